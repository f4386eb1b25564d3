// The records of the files runs make, and what a later start removes.

#include "spreadsheet/office_lock.h"
#include "spreadsheet/run_files.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

// The id of a process that has ended.
pid_t DeadPid() {
    QProcess p;
    p.start(QStringLiteral("true"), {});
    EXPECT_TRUE(p.waitForStarted(5000));
    const pid_t pid = pid_t(p.processId());
    p.waitForFinished(5000);
    return pid;
}

QByteArray LockNaming(const QString& profile) {
    return QByteArray(",,host,08.12.2026 14:31,") + QUrl::fromLocalFile(profile).toEncoded() + ";";
}

class RunFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp_.isValid());
        saved_ = qgetenv("XDG_CACHE_HOME");
        qputenv("XDG_CACHE_HOME", QFile::encodeName(temp_.filePath(QStringLiteral("cache"))));
        books_ = temp_.filePath(QStringLiteral("books"));
        ASSERT_TRUE(QDir().mkpath(books_));
        ASSERT_TRUE(QDir().mkpath(sheet::RunRecordFolder()));
    }
    void TearDown() override { qputenv("XDG_CACHE_HOME", saved_); }
    QString Book(const QString& name) const { return books_ + QLatin1Char('/') + name; }

    QTemporaryDir temp_;
    QByteArray saved_;
    QString books_;
};

TEST_F(RunFilesTest, ADeadRunsFilesGoAndEverythingElseStays) {
    const pid_t dead = DeadPid();
    const QString cache = sheet::SuiteCacheFolder();
    const QString copy = Book(QStringLiteral(".~bookmrg-%1-結果.xls").arg(dead));
    const QString copyLock = sheet::OfficeLockPath(copy);
    const QString saveTemp = Book(QStringLiteral(".~結果.xls.%1.tmp").arg(dead));
    const QString userBook = Book(QStringLiteral("結果.xls"));
    const QString userLock = sheet::OfficeLockPath(userBook);
    const QString otherLock = sheet::OfficeLockPath(Book(QStringLiteral("他.xls")));
    Write(copy, "copy");
    Write(copyLock, LockNaming(cache + QStringLiteral("/lo-profile-5")));
    Write(saveTemp, "half");
    Write(userBook, "the user's");
    // Opened by someone else after the run died: it names them, not us.
    Write(userLock, ",suzuki,pc-07,08.12.2026 14:30,file:///home/suzuki/.config/x/4;");
    Write(otherLock, LockNaming(cache + QStringLiteral("/lo-profile-6")));
    Write(sheet::RunRecordFolder() + QLatin1Char('/') + QSysInfo::machineHostName() +
              QStringLiteral("-%1-12345.lst").arg(dead),
          QFile::encodeName(copy + '\n' + copyLock + '\n' + saveTemp + '\n' + userBook + '\n' +
                            userLock + '\n' + otherLock + '\n'));

    // This process is a live run: its files stay.
    const QString live = Book(QStringLiteral(".~bookmrg-%1-live.xls").arg(getpid()));
    sheet::RecordRunFile(live);
    Write(live, "live");

    // Temp folders of private profiles: one nobody holds, one a live run holds.
    ASSERT_TRUE(QDir().mkpath(cache + QStringLiteral("/lo-profile-5.tmp/lu1234.tmp")));
    ASSERT_TRUE(QDir().mkpath(cache + QStringLiteral("/lo-profile-6.tmp/lu5678.tmp")));
    QLockFile held(cache + QStringLiteral("/lo-profile-6.lock"));
    ASSERT_TRUE(held.tryLock(0));

    sheet::RemoveDeadRunLeftovers();

    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_FALSE(QFile::exists(copyLock));
    EXPECT_FALSE(QFile::exists(saveTemp));
    EXPECT_TRUE(QFile::exists(userBook));  // never a user's file
    EXPECT_TRUE(QFile::exists(userLock));  // someone else's lock
    EXPECT_TRUE(QFile::exists(otherLock)); // the lock of a live run's profile
    EXPECT_TRUE(QFile::exists(live));
    EXPECT_FALSE(QFileInfo::exists(cache + QStringLiteral("/lo-profile-5.tmp")));
    EXPECT_TRUE(QFileInfo::exists(cache + QStringLiteral("/lo-profile-6.tmp/lu5678.tmp")));
    // The dead run's record keeps the one lock that may go later: its
    // profile is held by a run that will end.
    const QString deadRecord = sheet::RunRecordFolder() + QLatin1Char('/') +
                               QSysInfo::machineHostName() +
                               QStringLiteral("-%1-12345.lst").arg(dead);
    QFile record(deadRecord);
    ASSERT_TRUE(record.open(QIODevice::ReadOnly));
    EXPECT_EQ(record.readAll(), QFile::encodeName(otherLock) + '\n');
    record.close();

    // That run has ended: its profile's lock goes, and with it the record.
    held.unlock();
    sheet::RemoveDeadRunLeftovers();
    EXPECT_FALSE(QFile::exists(otherLock));
    EXPECT_TRUE(QFile::exists(userLock));
    const QStringList records = QDir(sheet::RunRecordFolder()).entryList(QDir::Files);
    ASSERT_EQ(records.size(), 1);
    EXPECT_TRUE(records[0].contains(QStringLiteral("-%1-").arg(getpid())));
}

TEST(OfficeLock, ReadsTheHolderAndDescribesIt) {
    QTemporaryDir dir;
    const QString lockFile = sheet::OfficeLockPath(dir.filePath(QStringLiteral("a.xls")));
    EXPECT_EQ(QFileInfo(lockFile).fileName(), QStringLiteral(".~lock.a.xls#"));
    sheet::OfficeLock lock;
    EXPECT_FALSE(sheet::ReadOfficeLock(lockFile, &lock));
    Write(lockFile, "Tanaka\\, Ichiro,tanaka,pc-01,08.12.2026 09:15,file:///home/t/.config/4;");
    ASSERT_TRUE(sheet::ReadOfficeLock(lockFile, &lock));
    EXPECT_EQ(lock.userName, QStringLiteral("Tanaka, Ichiro"));
    EXPECT_EQ(lock.host, QStringLiteral("pc-01"));
    EXPECT_EQ(lock.profileUrl, QStringLiteral("file:///home/t/.config/4"));
    EXPECT_EQ(sheet::DescribeHolder(lock),
              QStringLiteral("Tanaka, Ichiro (tanaka@pc-01)、08.12.2026 09:15 から"));
    EXPECT_FALSE(sheet::IsDeadRunLock(lock));
    // Unreadable content still refuses, naming no one.
    Write(lockFile, "garbage");
    EXPECT_TRUE(
        sheet::ForeignLockMessage(dir.filePath(QStringLiteral("a.xls")), QStringLiteral("a.xls"))
            .contains(QStringLiteral("不明なユーザー")));
    EXPECT_TRUE(QFile::exists(lockFile));

    // Held open under another name of the same file (a hard link).
    QFile::remove(lockFile);
    const QString doc = dir.filePath(QStringLiteral("a.xls"));
    const QString other = dir.filePath(QStringLiteral("b.xls"));
    Write(doc, "book");
    ASSERT_EQ(link(QFile::encodeName(doc).constData(), QFile::encodeName(other).constData()), 0);
    Write(sheet::OfficeLockPath(other), ",sato,pc-12,08.12.2026 10:00,file:///x;");
    EXPECT_TRUE(sheet::ForeignLockMessage(doc, QStringLiteral("a.xls"))
                    .contains(QStringLiteral("sato@pc-12")));
    Write(dir.filePath(QStringLiteral("c.xls")), "another book");
    EXPECT_EQ(sheet::ForeignLockMessage(dir.filePath(QStringLiteral("c.xls")), QString()),
              QString());
}

// A settings save killed between writing its temp file and renaming it:
// the program's own temp files go at its next start, nothing else does.
TEST_F(RunFilesTest, SettingsTempsOfTheProgramGoWhenNoOtherInstanceRuns) {
    EXPECT_FALSE(sheet::AnotherInstanceRuns());
    const QString data = temp_.filePath(QStringLiteral("data"));
    ASSERT_TRUE(QDir().mkpath(data));
    for (const char* name : {"BOOKMRG.PRM", "BOOKMRG.PRM.aB3xYz", "BOOKMRG.PRM.Q1w2E3",
                             "BOOKMRG.PRM.toolong1", "SHTLIST.PRM.aB3xYz", "MODORI.DAT"})
        Write(data + QLatin1Char('/') + QLatin1String(name), "x");
    sheet::RemoveDeadSettingsTemps(data, QStringLiteral("BOOKMRG"));
    EXPECT_EQ(QDir(data).entryList(QDir::Files),
              (QStringList{QStringLiteral("BOOKMRG.PRM"), QStringLiteral("BOOKMRG.PRM.toolong1"),
                           QStringLiteral("MODORI.DAT"), QStringLiteral("SHTLIST.PRM.aB3xYz")}));
}

} // namespace
