
#include "common/data_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace common;

TEST(GetEnvValue, MatchesLeadingCharactersInAnyCaseAndFirstEntryWins) {
    qputenv("TAMRA_ENVTEST", "C:\\Users\\u");
    EXPECT_EQ(GetEnvValue(QStringLiteral("tamra_envtest")), QStringLiteral("C:\\Users\\u"));
    EXPECT_EQ(GetEnvValue(QStringLiteral("TAMRA_ENVTEST")), QStringLiteral("C:\\Users\\u"));
    EXPECT_EQ(GetEnvValue(QStringLiteral("TAMRA_ENVTEST_MISSING")), QString());
    EXPECT_EQ(GetEnvValue(QString()), QString());

    // A longer name that comes first in the environment is matched on its
    // leading characters: the answer is the entry without Len(name) + 1 characters.
    qputenv("TAMRA_PREFIXED_LONGER", "x");
    qputenv("TAMRA_PREFIXED", "y");
    EXPECT_EQ(GetEnvValue(QStringLiteral("TAMRA_PREFIXED")), QStringLiteral("LONGER=x"));
    qunsetenv("TAMRA_PREFIXED_LONGER");
    EXPECT_EQ(GetEnvValue(QStringLiteral("TAMRA_PREFIXED")), QStringLiteral("y"));
    qunsetenv("TAMRA_PREFIXED");
    qunsetenv("TAMRA_ENVTEST");
}

TEST(SetDataFolder, UsesAppDataThenXdgDataHomeAndEndsWithSeparator) {
    const QByteArray oldAppData = qgetenv("APPDATA");
    const QByteArray oldXdg = qgetenv("XDG_DATA_HOME");
    const bool hadAppData = qEnvironmentVariableIsSet("APPDATA");
    const bool hadXdg = qEnvironmentVariableIsSet("XDG_DATA_HOME");

    qputenv("APPDATA", "/home/u/roaming");
    SetDataFolder();
    EXPECT_EQ(DataFolder(), QStringLiteral("/home/u/roaming/TamrasystemHikaku/"));
    qputenv("APPDATA", "/home/u/roaming/");
    SetDataFolder();
    EXPECT_EQ(DataFolder(), QStringLiteral("/home/u/roaming/TamrasystemHikaku/"));

    qunsetenv("APPDATA");
    qputenv("XDG_DATA_HOME", "/srv/xdg");
    SetDataFolder();
    EXPECT_EQ(DataFolder(), QStringLiteral("/srv/xdg/TamrasystemHikaku/"));
    qunsetenv("XDG_DATA_HOME");
    SetDataFolder();
    EXPECT_EQ(DataFolder(), QDir::homePath() + QStringLiteral("/.local/share/TamrasystemHikaku/"));

    if (hadAppData)
        qputenv("APPDATA", oldAppData);
    if (hadXdg)
        qputenv("XDG_DATA_HOME", oldXdg);
}

TEST(EnsureFolder, ChecksOrCreatesWithParents) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString folder = temp.filePath(QStringLiteral("TamrasystemHikaku/"));
    EXPECT_FALSE(EnsureFolder(FolderAction::Check, folder));
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_TRUE(EnsureFolder(FolderAction::Create, folder));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(EnsureFolder(FolderAction::Check, folder));

    // A file of that name counts as present; a folder under a file cannot be
    // made.
    QFile file(temp.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_TRUE(EnsureFolder(FolderAction::Check, file.fileName()));
    EXPECT_FALSE(EnsureFolder(FolderAction::Create, temp.filePath(QStringLiteral("plain/b/"))));

    // A new account has no ~/.local/share: every missing level is made.
    const QString deep = temp.filePath(QStringLiteral("home/.local/share/TamrasystemHikaku/"));
    EXPECT_TRUE(EnsureFolder(FolderAction::Create, deep));
    EXPECT_TRUE(QFileInfo(deep).isDir());
}
