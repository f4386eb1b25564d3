#include <QApplication>
#include <gtest/gtest.h>

#include "common/ui/fonts.h"
#include "modal_driver.h"

namespace {

// A dialog driver that was never used must not answer the next test's dialog.
class DropModalDrivers : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override { testing_support::CancelModalActions(); }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ui::InstallFontSubstitutes();
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new DropModalDrivers);
    return RUN_ALL_TESTS();
}
