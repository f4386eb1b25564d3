#include "e2e/handover.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

namespace e2e {

namespace {

const QString kCostcmp = QStringLiteral("COSTCMP");
const QString kHubmenu = QStringLiteral("HUBMENU");

} // namespace

TEST_F(HandOverTest, LauncherStartsTheCalculatorWhichLeadsBackToTheMarkedMenu) {
    if (!Need(kCostcmp))
        GTEST_SKIP() << "COSTCMP is not built";
    QProcess* launcher = session.Start(kHubmenu);
    const QString menu = desktop::WaitForWindow(kLauncherWindow, kWaitMs);
    ASSERT_FALSE(menu.isEmpty());
    EXPECT_TRUE(QFileInfo(session.DataFolder()).isDir());
    EXPECT_EQ(MarkBluePixels(desktop::Grab(menu), kCostcmpButton), 0); // first start

    desktop::Click(menu, kCostcmpButton.center());
    EXPECT_EQ(session.WaitForExit(launcher, kWaitMs), 0);
    EXPECT_EQ(session.DataFile(QStringLiteral("HUBMENU.PRM")), QByteArray("0023"));
    EXPECT_EQ(session.ReturnTarget(kCostcmp), kHubmenu);
    const QString calculator = desktop::WaitForWindow(kCalculatorWindow, kWaitMs);
    ASSERT_FALSE(calculator.isEmpty());
    EXPECT_TRUE(desktop::FindWindows(kLauncherWindow).isEmpty());

    desktop::PressKey(calculator, QStringLiteral("Escape"));
    const QString back = desktop::WaitForWindow(kLauncherWindow, kWaitMs);
    ASSERT_FALSE(back.isEmpty());
    EXPECT_TRUE(session.WaitUntilGone(kCostcmp, kWaitMs));
    const QImage picture = WaitForMarking(back, kCostcmpButton, kWaitMs);
    EXPECT_GT(MarkBluePixels(picture, kCostcmpButton), 10);
    EXPECT_EQ(MarkBluePixels(picture, kBookmrgButton), 0);

    desktop::PressKey(back, QStringLiteral("Escape"));
    EXPECT_TRUE(session.WaitUntilGone(kHubmenu, kWaitMs));
    EXPECT_EQ(session.DataFile(QStringLiteral("HUBMENU.PRM")), QByteArray("0023"));
}

TEST_F(HandOverTest, SecondLauncherIsRefusedAndTheChosenPictureIsKept) {
    QProcess* first = session.Start(kHubmenu);
    const QString menu = desktop::WaitForWindow(kLauncherWindow, kWaitMs);
    ASSERT_FALSE(menu.isEmpty());

    QProcess* second = session.Start(kHubmenu);
    const QString box = desktop::WaitForWindow(MessageBoxOf(kHubmenu), kWaitMs);
    ASSERT_FALSE(box.isEmpty());
    EXPECT_EQ(second->state(), QProcess::Running); // waiting for its OK
    desktop::PressKey(box, QStringLiteral("Return"));
    EXPECT_EQ(session.WaitForExit(second, kWaitMs), 0);
    EXPECT_EQ(desktop::FindWindows(kLauncherWindow), QStringList{menu}); // the first stays

    desktop::Click(menu, ThumbnailCentre(5));
    desktop::PressKey(menu, QStringLiteral("Escape"));
    EXPECT_EQ(session.WaitForExit(first, kWaitMs), 0);
    EXPECT_EQ(session.DataFile(QStringLiteral("HUBMENU.PRM")), QByteArray("   5"));

    // The next start shows picture 5.
    const QString picturePath = QDir(Session::BinFolder()).filePath(QStringLiteral("HAIKEI5.PNG"));
    if (!QFile::exists(picturePath))
        GTEST_SKIP() << "the launcher's pictures are not in the program folder";
    session.Start(kHubmenu);
    const QString again = desktop::WaitForWindow(kLauncherWindow, kWaitMs);
    ASSERT_FALSE(again.isEmpty());
    const QImage expected(picturePath);
    // Spots of the free area, away from every label; polled until painted.
    const QList<QPoint> spots = {QPoint(300, 300), QPoint(100, 450), QPoint(450, 150)};
    auto matches = [&](const QImage& shown) {
        for (const QPoint at : spots) {
            if (shown.pixelColor(at) != expected.pixelColor(at))
                return false;
        }
        return true;
    };
    QElapsedTimer clock;
    clock.start();
    bool same = false;
    while (!same && clock.elapsed() < kWaitMs) {
        same = matches(desktop::Grab(again));
        if (!same)
            QThread::msleep(100);
    }
    EXPECT_TRUE(same);
}

TEST_F(HandOverTest, LockOfAKilledLauncherDoesNotBlockTheNext) {
    QProcess* crashed = session.Start(kHubmenu);
    ASSERT_FALSE(desktop::WaitForWindow(kLauncherWindow, kWaitMs).isEmpty());
    crashed->kill();
    crashed->waitForFinished();
    ASSERT_TRUE(desktop::WaitForNoWindow(kLauncherWindow, kWaitMs));

    QProcess* next = session.Start(kHubmenu);
    const QString menu = desktop::WaitForWindow(kLauncherWindow, kWaitMs);
    ASSERT_FALSE(menu.isEmpty());
    EXPECT_TRUE(desktop::FindWindows(MessageBoxOf(kHubmenu)).isEmpty());
    desktop::PressKey(menu, QStringLiteral("Escape"));
    EXPECT_EQ(session.WaitForExit(next, kWaitMs), 0);
}

TEST_F(HandOverTest, MissingToolProgramIsReportedAndTheLauncherEnds) {
    const QString folder = session.CopyPrograms({kHubmenu, QStringLiteral("COSTSUB")});
    QProcess* launcher = session.Start(kHubmenu, folder);
    const QString menu = desktop::WaitForWindow(kLauncherWindow, kWaitMs);
    ASSERT_FALSE(menu.isEmpty());

    desktop::Click(menu, kCostcmpButton.center());
    const QString box = desktop::WaitForWindow(MessageBoxOf(kHubmenu), kWaitMs);
    ASSERT_FALSE(box.isEmpty());
    EXPECT_EQ(session.DataFile(QStringLiteral("HUBMENU.PRM")), QByteArray("0023"));
    EXPECT_EQ(session.ReturnTarget(kCostcmp), kHubmenu);
    desktop::PressKey(box, QStringLiteral("Return"));
    EXPECT_EQ(session.WaitForExit(launcher, kWaitMs), 0);
    EXPECT_TRUE(desktop::FindWindows(kCalculatorWindow).isEmpty());
}

// Where no browser is installed (a minimal system), the read-me opens in the
// suite's own window instead of nothing at all, and the launcher stays.
TEST_F(HandOverTest, ReadMeShowsWhereNoBrowserIsInstalled) {
    if (!qEnvironmentVariable("BROWSER").isEmpty() ||
        !QStandardPaths::findExecutable(QStringLiteral("x-www-browser")).isEmpty())
        GTEST_SKIP() << "a browser is installed here";
    QProcess* launcher = session.Start(kHubmenu);
    const QString menu = desktop::WaitForWindow(kLauncherWindow, kWaitMs);
    ASSERT_FALSE(menu.isEmpty());
    desktop::Click(menu, kReadMeButton.center());
    // (The caption's Japanese part is not in the legacy window name of a
    // program without a locale, which xdotool matches.)
    const QString page = desktop::WaitForWindow(QStringLiteral("^\\(PAGE\\) "), kWaitMs);
    EXPECT_FALSE(page.isEmpty());
    EXPECT_EQ(launcher->state(), QProcess::Running);
    EXPECT_EQ(desktop::FindWindows(kLauncherWindow), QStringList{menu});
}

} // namespace e2e
