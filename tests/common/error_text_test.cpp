#include "common/error_text.h"
#include "common/record_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(ErrorText, RecordFileMessagesGiveTheReasonInJapanese) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A name longer than a file system allows.
    const QString path = dir.filePath(QString(300, QChar(u'a')) + QStringLiteral(".PRM"));
    QString error;
    EXPECT_FALSE(common::WriteRecordFile(path, QByteArray(8, '\0'), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("ファイル名が長すぎます"))) << error.toStdString();
    EXPECT_FALSE(error.contains(QStringLiteral("too long"))) << error.toStdString();
    // A reason the table does not know, or one already in Japanese, stays.
    EXPECT_EQ(common::JapaneseErrorText(QStringLiteral("ファイルは使用中です。")),
              QStringLiteral("ファイルは使用中です。"));
}

} // namespace
