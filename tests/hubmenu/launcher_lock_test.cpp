#include "hubmenu/launcher_lock.h"

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using hubmenu::LauncherLock;

TEST(LauncherLock, SecondLauncherIsRefusedUntilTheFirstReleases) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    LauncherLock first(dir.path());
    LauncherLock second(dir.path());
    EXPECT_EQ(first.TryAcquire(), LauncherLock::Result::Acquired);
    EXPECT_EQ(second.TryAcquire(), LauncherLock::Result::HeldByOther);

    // A launcher left open for hours still holds its lock.
    QFile lockFile(LauncherLock::FilePath(dir.path()));
    ASSERT_TRUE(lockFile.open(QIODevice::ReadWrite));
    ASSERT_TRUE(lockFile.setFileTime(QDateTime::currentDateTime().addSecs(-3 * 3600),
                                     QFileDevice::FileModificationTime));
    lockFile.close();
    EXPECT_EQ(second.TryAcquire(), LauncherLock::Result::HeldByOther);

    first.Release();
    EXPECT_FALSE(first.IsHeld());
    EXPECT_EQ(second.TryAcquire(), LauncherLock::Result::Acquired);
}

TEST(LauncherLock, LockOfACrashedLauncherIsTakenOver) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // The lock file a launcher leaves when it dies: its process is gone.
    QProcess ended;
    ended.start(QStringLiteral("sleep"), {QStringLiteral("0.05")});
    ASSERT_TRUE(ended.waitForStarted());
    const qint64 deadPid = ended.processId();
    ASSERT_TRUE(ended.waitForFinished());
    QFile lockFile(LauncherLock::FilePath(dir.path()));
    ASSERT_TRUE(lockFile.open(QIODevice::WriteOnly));
    lockFile.write(QByteArray::number(deadPid) + "\nHUBMENU\n" +
                   QSysInfo::machineHostName().toUtf8() + "\n");
    lockFile.close();

    LauncherLock next(dir.path());
    EXPECT_EQ(next.TryAcquire(), LauncherLock::Result::Acquired);
}

TEST(LauncherLock, UnwritableFolderIsReportedAsUnavailable) {
    LauncherLock lock(QStringLiteral("/nonexistent-folder-for-lock-test"));
    EXPECT_EQ(lock.TryAcquire(), LauncherLock::Result::Unavailable);
}
