#include "common/error_text.h"
#include "common/record_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(ErrorText, SystemWordingBecomesJapanese) {
    EXPECT_EQ(common::SystemErrorText(ENAMETOOLONG), QStringLiteral("ファイル名が長すぎます"));
    EXPECT_EQ(common::SystemErrorText(EACCES), QStringLiteral("アクセスが許可されていません"));
    EXPECT_EQ(common::JapaneseErrorText(QStringLiteral("File name too long")),
              QStringLiteral("ファイル名が長すぎます"));
    EXPECT_EQ(common::JapaneseErrorText(QStringLiteral("No space left on device")),
              QStringLiteral("ディスクの空き容量が足りません"));
    // What the table does not know, or is already Japanese, stays.
    EXPECT_EQ(common::JapaneseErrorText(QStringLiteral("ファイルは使用中です。")),
              QStringLiteral("ファイルは使用中です。"));
    EXPECT_EQ(common::JapaneseErrorText(QStringLiteral("Unknown error")),
              QStringLiteral("Unknown error"));
}

TEST(ErrorText, RecordFileMessagesGiveTheReasonInJapanese) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A name longer than a file system allows.
    const QString path = dir.filePath(QString(300, QChar(u'a')) + QStringLiteral(".PRM"));
    QString error;
    EXPECT_FALSE(common::WriteRecordFile(path, QByteArray(8, '\0'), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("ファイル名が長すぎます"))) << error.toStdString();
    EXPECT_FALSE(error.contains(QStringLiteral("too long"))) << error.toStdString();
}

} // namespace
