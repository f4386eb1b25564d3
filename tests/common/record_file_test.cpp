#include "common/record_file.h"
#include "support/full_disk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace common;

TEST(RecordFields, RoundTripFixedLengthPrefixedAndIntegerFields) {
    RecordWriter w;
    w.FixedText(QStringLiteral("あいう"), 5); // six bytes: cut after "あい", one space
    w.LenText(QStringLiteral("見積 A "));
    w.Int64(-2);
    w.Int64(Q_INT64_C(1234567890123));
    w.LenText(QString());
    w.PadTo(64);
    const QByteArray& bytes = w.Data();
    ASSERT_EQ(bytes.size(), 64);
    EXPECT_EQ(bytes.left(5), QByteArray("\x82\xA0\x82\xA2 "));
    EXPECT_EQ(bytes.mid(5, 2), QByteArray("\x07\x00", 2)); // length in bytes, little-endian
    EXPECT_EQ(bytes.mid(14, 8), QByteArray("\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 8));
    EXPECT_EQ(bytes.at(63), '\0');

    RecordReader r(bytes);
    EXPECT_EQ(r.FixedText(5), QStringLiteral("あい"));
    EXPECT_EQ(r.LenText(), QStringLiteral("見積 A"));
    EXPECT_EQ(r.Int64(), -2);
    EXPECT_EQ(r.Int64(), Q_INT64_C(1234567890123));
    EXPECT_EQ(r.LenText(), QString());
}

TEST(RecordFields, ShortOrDamagedRecordsReadAsEmptyTextsAndZeros) {
    RecordReader empty(QByteArray{});
    EXPECT_EQ(empty.FixedText(10), QString());
    EXPECT_EQ(empty.LenText(), QString());
    EXPECT_EQ(empty.Int64(), 0);

    // An integer cut short reads as padded with zero bytes.
    RecordReader cut(QByteArray("\x01\x02", 2));
    EXPECT_EQ(cut.Int64(), 0x0201);

    // A length pointing far past the end takes what is there and goes on.
    RecordReader damaged(QByteArray("\xFF\xFF"
                                    "abc",
                                    5));
    EXPECT_EQ(damaged.LenText(), QStringLiteral("abc"));
    EXPECT_EQ(damaged.Int64(), 0);
}

TEST(RecordFields, WriterKeepsFieldsItDoesNotTouch) {
    RecordWriter w(QByteArray("0105"));
    w.Seek(3);
    w.FixedText(QStringLiteral("3"), 1);
    EXPECT_EQ(w.Data(), QByteArray("0103"));
    w.Seek(6);
    w.Bytes("x");
    EXPECT_EQ(w.Data(), QByteArray("0103\0\0x", 7));
}

TEST(RecordFile, MissingFileIsCreatedEmptyAndWritesReplaceTheContent) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString path = temp.filePath(QStringLiteral("HUBMENU.PRM"));
    QByteArray bytes("stale");
    ASSERT_TRUE(ReadRecordFile(path, &bytes));
    EXPECT_TRUE(bytes.isEmpty());
    EXPECT_TRUE(QFile::exists(path));

    ASSERT_TRUE(WriteRecordFile(path, QByteArray("0105")));
    ASSERT_TRUE(WriteRecordFile(path, QByteArray("01")));
    ASSERT_TRUE(ReadRecordFile(path, &bytes));
    EXPECT_EQ(bytes, QByteArray("01")); // replaced, not overlaid
    ASSERT_TRUE(ReadRecordFile(path, &bytes, 1));
    EXPECT_EQ(bytes, QByteArray("0"));
    // Nothing is left behind beside the file.
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::Files), QStringList{QStringLiteral("HUBMENU.PRM")});
}

TEST(RecordFile, MissingFolderIsReportedOnReadAndWrite) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString missing = temp.filePath(QStringLiteral("nofolder/X.PRM"));
    QByteArray bytes;
    QString error;
    EXPECT_FALSE(ReadRecordFile(missing, &bytes, -1, &error));
    EXPECT_FALSE(error.isEmpty());
    error.clear();
    EXPECT_FALSE(WriteRecordFile(missing, QByteArray("x"), &error));
    EXPECT_FALSE(error.isEmpty());
}

// On a full disk a small write only fails when it is flushed; the file must
// keep its previous content, nothing may be left beside it, and the reason
// must say that the file was kept. Sizes: HUBMENU.PRM's record, a template
// file, MODORI.DAT, and a full settings record (which Qt writes unbuffered).
TEST(RecordFile, FullDiskKeepsThePreviousContentAndSaysSo) {
    testing_support::FullDisk disk;
    if (!disk.Mounted())
        GTEST_SKIP() << "needs root to mount a small tmpfs";
    const QList<int> sizes = {4, 192, 256, 4864, 32640};
    for (int size : sizes) {
        const QString path = disk.FilePath(QStringLiteral("F%1.PRM").arg(size));
        ASSERT_TRUE(WriteRecordFile(path, QByteArray(size, 'a'))) << size;
    }
    ASSERT_TRUE(disk.Fill());
    for (int size : sizes) {
        SCOPED_TRACE(size);
        const QString path = disk.FilePath(QStringLiteral("F%1.PRM").arg(size));
        QString error;
        EXPECT_FALSE(WriteRecordFile(path, QByteArray(size, 'b'), &error));
        EXPECT_TRUE(error.contains(QStringLiteral("前の内容のまま"))) << error.toStdString();
        QByteArray bytes;
        ASSERT_TRUE(ReadRecordFile(path, &bytes));
        EXPECT_EQ(bytes, QByteArray(size, 'a'));
    }
    // A new file cannot be made either, and no temporary file stays.
    EXPECT_FALSE(WriteRecordFile(disk.FilePath(QStringLiteral("NEW.PRM")), QByteArray(10, 'c')));
    EXPECT_EQ(QDir(disk.Path()).entryList(QDir::Files | QDir::Hidden).size(), sizes.size() + 1);

    disk.Drain();
    EXPECT_TRUE(WriteRecordFile(disk.FilePath(QStringLiteral("F4.PRM")), QByteArray("0105")));
}
