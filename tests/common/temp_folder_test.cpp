#include "common/temp_folder.h"
#include "support/other_user.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace common;
using testing_support::OtherUser;
using testing_support::SharedFolder;

namespace {

// Sets (or, with nullptr, removes) an environment variable for one test.
class EnvValue {
public:
    EnvValue(const char* name, const QString* value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        if (value)
            qputenv(name, QFile::encodeName(*value));
        else
            qunsetenv(name);
    }
    ~EnvValue() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

struct Entry {
    bool exists = false;
    bool isDir = false;
    uid_t owner = 0;
    mode_t mode = 0;
};
Entry Stat(const QString& path) {
    struct stat st {};
    Entry e;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return e;
    e = {true, S_ISDIR(st.st_mode), st.st_uid, static_cast<mode_t>(st.st_mode & 07777)};
    return e;
}

QString Stem() {
    return QStringLiteral("TamrasystemHikaku-%1").arg(::geteuid());
}

} // namespace

TEST(PrivateTempFolder, IsMadePrivateUnderTempOrTheSystemFolderAndReused) {
    SharedFolder shared;
    ASSERT_TRUE(shared.IsValid());
    QTemporaryDir other;
    const QString sharedPath = shared.Path();
    const QString otherPath = other.path();
    const QString relative = QStringLiteral("relative/tmp");
    {
        // TEMP, when set to an absolute path, wins over TMPDIR.
        EnvValue temp("TEMP", &sharedPath);
        EnvValue tmpdir("TMPDIR", &otherPath);
        QString error;
        const QString folder = PrivateTempFolder(&error);
        ASSERT_EQ(folder, shared.FilePath(Stem())) << error.toStdString();
        const Entry e = Stat(folder);
        EXPECT_TRUE(e.isDir);
        EXPECT_EQ(e.owner, ::geteuid());
        EXPECT_EQ(e.mode, 0700u);
        EXPECT_EQ(PrivateTempFolder(), folder);
        EXPECT_EQ(PrivateTempFile(QStringLiteral("work.xls")),
                  folder + QStringLiteral("/work.xls"));
    }
    {
        // A relative TEMP is not a folder: the system's temporary folder is used.
        EnvValue temp("TEMP", &relative);
        EnvValue tmpdir("TMPDIR", &otherPath);
        EXPECT_EQ(PrivateTempFolder(), QDir(otherPath).filePath(Stem()));
    }
    {
        // Neither TEMP nor TMPDIR: /tmp.
        EnvValue temp("TEMP", nullptr);
        EnvValue tmpdir("TMPDIR", nullptr);
        const QString folder = PrivateTempFolder();
        EXPECT_EQ(folder, QStringLiteral("/tmp/") + Stem());
        EXPECT_EQ(Stat(folder).mode, 0700u);
    }
}

TEST(PrivateTempFolder, UmaskDoesNotLeaveTheFolderWithoutItsOwnerBits) {
    SharedFolder shared;
    ASSERT_TRUE(shared.IsValid());
    const QString sharedPath = shared.Path();
    EnvValue temp("TEMP", &sharedPath);
    const mode_t old = ::umask(0277);
    const QString folder = PrivateTempFolder();
    ::umask(old);
    EXPECT_EQ(Stat(folder).mode, 0700u);
}

// Another user gets to the shared folder first and plants, under the names the
// suite will use, a link to a folder of the victim, then a folder of their
// own that anyone may enter. Neither is used or followed; the victim's folder
// stays untouched, and the suite's folder is a new private one.
TEST(PrivateTempFolder, EntriesPlantedByAnotherUserAreNeverUsed) {
    if (!OtherUser::Available())
        GTEST_SKIP() << "needs root and setpriv to act as a second user";
    SharedFolder shared;
    ASSERT_TRUE(shared.IsValid());
    QTemporaryDir victim;
    ASSERT_TRUE(victim.isValid());
    const QString sharedPath = shared.Path();
    EnvValue temp("TEMP", &sharedPath);

    ASSERT_TRUE(OtherUser::PlantLink(victim.path(), shared.FilePath(Stem())));
    ASSERT_TRUE(OtherUser::Run({QStringLiteral("mkdir"), QStringLiteral("-m"),
                                QStringLiteral("0777"), shared.FilePath(Stem() + "-2")}));
    // Our own folder that others may enter is passed over as well.
    ASSERT_TRUE(QDir().mkdir(shared.FilePath(Stem() + "-3")));
    ::chmod(QFile::encodeName(shared.FilePath(Stem() + "-3")).constData(), 0755);

    const QString folder = PrivateTempFolder();
    EXPECT_EQ(folder, shared.FilePath(Stem() + "-4"));
    const Entry e = Stat(folder);
    EXPECT_TRUE(e.isDir);
    EXPECT_EQ(e.owner, ::geteuid());
    EXPECT_EQ(e.mode, 0700u);
    EXPECT_TRUE(QDir(victim.path()).isEmpty());
    EXPECT_EQ(Stat(shared.FilePath(Stem() + "-2")).owner, OtherUser::kUid);
    EXPECT_EQ(PrivateTempFolder(), folder);
}

TEST(PrivateTempFolder, AnUnusableTempFolderIsReported) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missing = dir.filePath(QStringLiteral("none/deeper"));
    EnvValue temp("TEMP", &missing);
    QString error;
    EXPECT_EQ(PrivateTempFolder(&error), QString());
    EXPECT_EQ(PrivateTempFile(QStringLiteral("WORK.TXT")), QString());
    EXPECT_TRUE(error.contains(QStringLiteral("作業用フォルダ"))) << error.toStdString();
}
