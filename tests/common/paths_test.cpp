#include "common/paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace common;

namespace {
void Touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
}
} // namespace

TEST(CheckFileName, RefusesNamesAShareCouldNotHold) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString dir = temp.path() + QLatin1Char('/');
    EXPECT_FALSE(CheckFileName(dir + QStringLiteral("con.xls")));
    EXPECT_FALSE(CheckFileName(dir + QStringLiteral("COM1")));
    EXPECT_FALSE(CheckFileName(dir + QStringLiteral("Lpt9.a.b")));
    EXPECT_FALSE(CheckFileName(dir + QStringLiteral("a,b.xls")));
    EXPECT_FALSE(CheckFileName(dir + QStringLiteral("a?.xls")));
    EXPECT_FALSE(CheckFileName(dir + QStringLiteral("a\\b.xls")));
    EXPECT_FALSE(CheckFileName(dir + QStringLiteral("a:b.xls")));
    EXPECT_FALSE(CheckFileName(dir)); // no name at all
    EXPECT_FALSE(CheckFileName(QString()));

    // Names that merely resemble device names pass.
    EXPECT_TRUE(CheckFileName(dir + QStringLiteral("LPT10.xls")));
    EXPECT_TRUE(CheckFileName(dir + QStringLiteral("COM１.xls"))); // full-width digit
}

TEST(CheckFileName, AcceptsExistingFilesAndNewFilesInExistingFolders) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString dir = temp.path() + QLatin1Char('/');
    EXPECT_TRUE(CheckFileName(dir + QStringLiteral("new.xls")));
    EXPECT_FALSE(CheckFileName(dir + QStringLiteral("missing/new.xls")));
    Touch(dir + QStringLiteral("売上 2024.xls"));
    EXPECT_TRUE(CheckFileName(dir + QStringLiteral("売上 2024.xls")));
    ASSERT_TRUE(QDir().mkdir(dir + QStringLiteral("sub.xls")));
    EXPECT_FALSE(CheckFileName(dir + QStringLiteral("sub.xls"))); // a folder
}

TEST(SplitPath, FolderKeepsItsSeparatorAndExtensionSplitsAtLastDot) {
    PathParts p = SplitPath(QStringLiteral("/a/b.xls"));
    EXPECT_EQ(p.folder, QStringLiteral("/a/"));
    EXPECT_EQ(p.name, QStringLiteral("b.xls"));
    p = SplitPath(QStringLiteral("b.xls"));
    EXPECT_EQ(p.folder, QString());
    EXPECT_EQ(p.name, QStringLiteral("b.xls"));
    p = SplitPath(QStringLiteral("/a/"));
    EXPECT_EQ(p.folder, QStringLiteral("/a/"));
    EXPECT_EQ(p.name, QString());

    NameParts n = SplitExtension(QStringLiteral("/a.d/b.c.xls"));
    EXPECT_EQ(n.folder, QStringLiteral("/a.d/"));
    EXPECT_EQ(n.base, QStringLiteral("b.c"));
    EXPECT_EQ(n.extension, QStringLiteral("xls"));
    n = SplitExtension(QStringLiteral("/a.d/README"));
    EXPECT_EQ(n.folder, QStringLiteral("/a.d/"));
    EXPECT_EQ(n.base, QStringLiteral("README"));
    EXPECT_EQ(n.extension, QString());
    n = SplitExtension(QStringLiteral("x."));
    EXPECT_EQ(n.base, QStringLiteral("x"));
    EXPECT_EQ(n.extension, QString());
}

TEST(FileExists, OnlyForReadableFiles) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString file = temp.filePath(QStringLiteral("a.xls"));
    EXPECT_FALSE(FileExists(file));
    Touch(file);
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(temp.path()));
    EXPECT_FALSE(FileExists(temp.filePath(QStringLiteral("no/a.xls"))));
}
