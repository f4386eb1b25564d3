#include "e2e/handover.h"

namespace e2e {

namespace {

const QString kCostsub = QStringLiteral("COSTSUB");
const QString kHubmenu = QStringLiteral("HUBMENU");

} // namespace

TEST_F(HandOverTest, CompanionSitsBehindWithoutTakingTheFocusAndEscLeadsToTheMenu) {
    // A window in front, as the spreadsheet would be: the launcher here.
    session.Start(kHubmenu);
    const QString front = desktop::WaitForWindow(kLauncherWindow, kWaitMs);
    ASSERT_FALSE(front.isEmpty());
    desktop::PressKey(front, QStringLiteral("shift")); // give it the focus
    ASSERT_EQ(desktop::FocusedWindow(), front);

    QProcess* companion = session.Start(kCostsub);
    const QString behind = desktop::WaitForWindow(kCompanionWindow, kWaitMs);
    ASSERT_FALSE(behind.isEmpty());
    EXPECT_EQ(desktop::FocusedWindow(), front);
    const QStringList stack = desktop::StackingOrder();
    EXPECT_LT(stack.indexOf(behind), stack.indexOf(front));

    // The launcher refuses a second instance; end the first before Esc.
    desktop::PressKey(front, QStringLiteral("Escape"));
    ASSERT_TRUE(session.WaitUntilGone(kHubmenu, kWaitMs));

    desktop::PressKey(behind, QStringLiteral("Escape"));
    EXPECT_EQ(session.WaitForExit(companion, kWaitMs), 0);
    EXPECT_FALSE(desktop::WaitForWindow(kLauncherWindow, kWaitMs).isEmpty());
    EXPECT_TRUE(session.DataFile(QStringLiteral("MODORI.DAT")).isNull());
}

TEST_F(HandOverTest, CompanionF12StartsTheCalculator) {
    if (!Need(QStringLiteral("COSTCMP")))
        GTEST_SKIP() << "COSTCMP is not built";
    QProcess* companion = session.Start(kCostsub);
    const QString window = desktop::WaitForWindow(kCompanionWindow, kWaitMs);
    ASSERT_FALSE(window.isEmpty());
    desktop::PressKey(window, QStringLiteral("F12"));
    EXPECT_EQ(session.WaitForExit(companion, kWaitMs), 0);
    EXPECT_FALSE(desktop::WaitForWindow(kCalculatorWindow, kWaitMs).isEmpty());
}

TEST_F(HandOverTest, CompanionWithoutTheCalculatorReportsItAndEnds) {
    const QString folder = session.CopyPrograms({kCostsub, kHubmenu});
    QProcess* companion = session.Start(kCostsub, folder);
    const QString window = desktop::WaitForWindow(kCompanionWindow, kWaitMs);
    ASSERT_FALSE(window.isEmpty());
    desktop::PressKey(window, QStringLiteral("F12"));
    const QString box = desktop::WaitForWindow(MessageBoxOf(kCostsub), kWaitMs);
    ASSERT_FALSE(box.isEmpty());
    desktop::PressKey(box, QStringLiteral("Return"));
    EXPECT_EQ(session.WaitForExit(companion, kWaitMs), 0);
    EXPECT_TRUE(desktop::FindWindows(kCalculatorWindow).isEmpty());
}

} // namespace e2e
