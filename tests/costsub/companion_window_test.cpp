#include "common/return_table.h"
#include "common/test_env.h"
#include "costsub/frm_costsub1.h"
#include "support/fake_messages.h"
#include "support/fake_process.h"

#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <QtTest/qtestspontaneevent.h>
#include <gtest/gtest.h>

using costsub::CompanionScreen;
using testing_support::FakeMessages;
using testing_support::FakeProcess;

namespace {

class CompanionWindow : public DataFolderTest {
protected:
    void SetUp() override {
        DataFolderTest::SetUp();
        window = std::make_unique<CompanionScreen>();
        window->Open();
    }

    QString ReturnTable() const { return common::ReturnTablePath(); }

    FakeMessages messages;
    FakeProcess process;
    std::unique_ptr<CompanionScreen> window;
};

} // namespace

TEST_F(CompanionWindow, OneLineSaysWhatHappenedAndWhatTheKeysDo) {
    auto* guide = window->findChild<QLabel*>(QStringLiteral("lblGuide"));
    ASSERT_NE(guide, nullptr);
    EXPECT_TRUE(guide->isVisible());
    EXPECT_TRUE(guide->text().contains(QStringLiteral("比較表")));
    EXPECT_TRUE(guide->text().contains(QStringLiteral("F12")));
    EXPECT_TRUE(guide->text().contains(QStringLiteral("ESC")));
    // One line that fits the window, between the message and the buttons.
    EXPECT_LE(guide->fontMetrics().horizontalAdvance(guide->text()), guide->width());
    auto* message = window->findChild<QLabel*>(QStringLiteral("Label1"));
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->text(), QStringLiteral("処理は終了しました"));
    EXPECT_GE(guide->geometry().top(), message->geometry().bottom());
    EXPECT_LE(guide->geometry().bottom(),
              window->findChild<QWidget*>(QStringLiteral("picExit"))->geometry().top());
}

TEST_F(CompanionWindow, F12StartsTheCalculatorAndEnds) {
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->RunButton()->isEnabled()); // disabled only while being shown
    QTest::keyClick(window.get(), Qt::Key_F12);
    ASSERT_EQ(process.starts.size(), 1);
    EXPECT_EQ(process.starts[0].program, QStringLiteral("COSTCMP"));
    EXPECT_FALSE(process.ends.isEmpty());
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(QFile::exists(ReturnTable())); // the return table is not touched
}

TEST_F(CompanionWindow, EscStartsTheMenuAndEnds) {
    QTest::keyClick(window.get(), Qt::Key_Escape);
    ASSERT_EQ(process.starts.size(), 1);
    EXPECT_EQ(process.starts[0].program, QStringLiteral("HUBMENU"));
    EXPECT_FALSE(process.ends.isEmpty());
    EXPECT_FALSE(QFile::exists(ReturnTable()));
}

TEST_F(CompanionWindow, MissingProgramIsReportedAndCompanionEnds) {
    process.missing = {QStringLiteral("HUBMENU")};
    QTest::mouseClick(window->MenuButton(), Qt::LeftButton);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.LastText(), QStringLiteral("ｴﾗｰ53:HUBMENUがありません"));
    EXPECT_TRUE(process.starts.isEmpty());
    EXPECT_FALSE(process.ends.isEmpty());
}

TEST_F(CompanionWindow, OtherStartFailureStillEnds) {
    process.startSucceeds = false;
    QTest::mouseClick(window->RunButton(), Qt::LeftButton);
    EXPECT_EQ(messages.Count(), 0);
    EXPECT_EQ(process.ends.size(), 1);
}

TEST_F(CompanionWindow, FrameCloseStartsNothing) {
    // What the window system sends when the user closes the window's frame.
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    QApplication::sendEvent(window->windowHandle(), &close);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(process.starts.isEmpty());
    EXPECT_EQ(messages.Count(), 0);
}
