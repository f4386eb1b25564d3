#include <QApplication>
#include <gtest/gtest.h>

#include "common/ui/fonts.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ui::InstallFontSubstitutes();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
