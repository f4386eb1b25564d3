#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "common/cp932.h"
#include "costcmp/prm_record.h"

using namespace costcmp;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

PrmRecord SampleRecord() {
    PrmRecord r;
    const char* texts[] = {"80,000", "15,000", "5", "2", "100", "600",
                           "0",      "5",      "6", "5", "60",  "1"};
    for (int i = 0; i < PrmRecord::kFieldCount; ++i)
        r.fields[i] = QString::fromUtf8(texts[i]);
    return r;
}

QByteArray LenField(const QByteArray& bytes) {
    return QByteArray(1, char(bytes.size() & 0xFF)) + QByteArray(1, char(bytes.size() >> 8)) +
           bytes;
}

} // namespace

TEST(PrmRecord, WrittenFileIsLengthPrefixedCp932) {
    QTemporaryDir dir;
    const QString path = dir.filePath(kPrmFileName);
    PrmRecord r = SampleRecord();
    r.fields[3] = QString();                // an empty field is the two bytes 00 00
    r.fields[4] = QStringLiteral("１００"); // full-width digits are stored as typed
    ASSERT_TRUE(SavePrmRecord(path, r));

    QByteArray expected;
    expected += LenField("80,000") + LenField("15,000") + LenField("5") + QByteArray(2, '\0');
    expected += LenField(common::ToCp932(QStringLiteral("１００")));
    expected += LenField("600") + LenField("0") + LenField("5") + LenField("6") + LenField("5") +
                LenField("60") + LenField("1");
    EXPECT_EQ(ReadAll(path), expected);
    EXPECT_EQ(expected.mid(8, 2), QByteArray("\x06\x00", 2));

    const auto back = LoadPrmRecord(path);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->fields, r.fields);
}

TEST(PrmRecord, HandMadeFileReadsBackAndSavingKeepsTrailingBytes) {
    QTemporaryDir dir;
    const QString path = dir.filePath(kPrmFileName);
    QByteArray bytes;
    for (const QString& t : SampleRecord().fields)
        bytes += LenField(common::ToCp932(t));
    bytes[bytes.size() - 1] = '5'; // solution "5"
    bytes += QByteArray("TAILTAIL");
    WriteAll(path, bytes);

    auto r = LoadPrmRecord(path);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->fields[0], QStringLiteral("80,000"));
    EXPECT_EQ(r->fields[10], QStringLiteral("60"));
    EXPECT_EQ(r->Solution(), QStringLiteral("5"));

    // A shorter record is written over the start; the bytes after it stay.
    PrmRecord shorter;
    shorter.fields[0] = QStringLiteral("1");
    ASSERT_TRUE(SavePrmRecord(path, shorter));
    const QByteArray after = ReadAll(path);
    EXPECT_EQ(after.size(), bytes.size());
    EXPECT_EQ(after.left(3), QByteArray("\x01\x00"
                                        "1",
                                        3));
    EXPECT_TRUE(after.endsWith("TAILTAIL"));
}

TEST(PrmRecord, MissingEmptyShortAndDamagedFiles) {
    QTemporaryDir dir;
    const QString path = dir.filePath(kPrmFileName);

    // A missing file is created empty and reads as twelve empty texts.
    auto r = LoadPrmRecord(path);
    ASSERT_TRUE(r.has_value());
    EXPECT_TRUE(QFile::exists(path));
    for (const QString& f : r->fields)
        EXPECT_TRUE(f.isEmpty());

    // A file cut short inside the fourth field keeps what is there.
    WriteAll(path, LenField("1") + LenField("2") + LenField("3") +
                       QByteArray("\x05\x00"
                                  "4",
                                  3));
    r = LoadPrmRecord(path);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->fields[2], QStringLiteral("3"));
    EXPECT_EQ(r->fields[3], QStringLiteral("4"));
    EXPECT_TRUE(r->Solution().isEmpty());

    // A length that runs past the record is a damaged file: nothing is loaded.
    WriteAll(path, LenField("1") + QByteArray("\xFF\xFF", 2) + QByteArray(40000, 'x'));
    QString error;
    EXPECT_FALSE(LoadPrmRecord(path, &error).has_value());
    EXPECT_FALSE(error.isEmpty());

    // A folder that does not exist can neither be read nor written.
    const QString nowhere = dir.filePath(QStringLiteral("missing/") + kPrmFileName);
    EXPECT_FALSE(LoadPrmRecord(nowhere).has_value());
    EXPECT_FALSE(SavePrmRecord(nowhere, SampleRecord(), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(PrmRecord, OversizedRecordIsRefusedAndTheFileKept) {
    QTemporaryDir dir;
    const QString path = dir.filePath(kPrmFileName);
    ASSERT_TRUE(SavePrmRecord(path, SampleRecord()));
    const QByteArray before = ReadAll(path);

    PrmRecord huge = SampleRecord();
    huge.fields[0] = QString(20000, u'9');
    huge.fields[1] = QString(20000, u'9');
    QString error;
    EXPECT_FALSE(SavePrmRecord(path, huge, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(ReadAll(path), before);
}
