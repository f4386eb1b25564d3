#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "common/cp932.h"
#include "costcmp/core/prm_record.h"

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

QByteArray LenField(const QString& text) {
    const QByteArray b = common::ToCp932(text);
    return QByteArray(1, char(b.size() & 0xFF)) + QByteArray(1, char(b.size() >> 8)) + b;
}

const QStringList kSample = {"80,000", "15,000", "5", "2", "100", "600",
                             "0",      "5",      "6", "5", "60",  "1"};

} // namespace

TEST(PrmRecord, BytesOfAWrittenFileAndAHandMadeOne) {
    QTemporaryDir dir;
    const QString path = dir.filePath(kPrmFileName);
    PrmRecord r;
    QByteArray expected;
    for (int i = 0; i < PrmRecord::kFieldCount; ++i) {
        r.fields[i] = i == 3 ? QString() : i == 4 ? QStringLiteral("１００") : kSample[i];
        expected += LenField(r.fields[i]);
    }
    ASSERT_TRUE(SavePrmRecord(path, r));
    EXPECT_EQ(ReadAll(path), expected);
    EXPECT_EQ(expected.mid(8, 2), QByteArray("\x06\x00", 2));  // length of "15,000"
    EXPECT_EQ(expected.mid(19, 2), QByteArray("\x00\x00", 2)); // the empty fourth field

    // A hand-made file with bytes after the record reads back; saving a
    // shorter record overwrites its start and keeps the rest.
    QByteArray made;
    for (const QString& t : kSample)
        made += LenField(t);
    WriteAll(path, made + "TAILTAIL");
    const auto back = LoadPrmRecord(path);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(QStringList(back->fields.begin(), back->fields.end()), kSample);

    ASSERT_TRUE(SavePrmRecord(path, PrmRecord{}));
    const QByteArray after = ReadAll(path);
    EXPECT_EQ(after.left(24), QByteArray(24, '\0'));
    EXPECT_EQ(after.size(), made.size() + 8);
    EXPECT_TRUE(after.endsWith("TAILTAIL"));
}

TEST(PrmRecord, MissingShortDamagedAndUnwritableFiles) {
    QTemporaryDir dir;
    const QString path = dir.filePath(kPrmFileName);

    // A missing file is created empty and reads as twelve empty texts.
    auto r = LoadPrmRecord(path);
    ASSERT_TRUE(r.has_value());
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(r->fields, PrmRecord{}.fields);

    // A file cut short inside the fourth field keeps what is there.
    WriteAll(path, LenField("1") + LenField("2") + LenField("3") +
                       QByteArray("\x05\x00"
                                  "4",
                                  3));
    r = LoadPrmRecord(path);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->fields[3], QStringLiteral("4"));
    EXPECT_TRUE(r->Solution().isEmpty());
    EXPECT_EQ(SolutionFromText(r->Solution()), SolutionKind::None);
    EXPECT_EQ(SolutionFromText(QStringLiteral("5")), SolutionKind::MaintRate);
    EXPECT_EQ(SolutionFromText(QStringLiteral("6")), SolutionKind::None);

    // A length that runs past the record is a damaged file: nothing is loaded.
    WriteAll(path, LenField("1") + QByteArray("\xFF\xFF", 2) + QByteArray(40000, 'x'));
    QString error;
    EXPECT_FALSE(LoadPrmRecord(path, &error).has_value());
    EXPECT_FALSE(error.isEmpty());

    // Texts too long for the record are refused and the previous file stays.
    const QByteArray before = ReadAll(path);
    PrmRecord huge;
    huge.fields[0] = huge.fields[1] = QString(20000, u'9');
    EXPECT_FALSE(SavePrmRecord(path, huge));
    EXPECT_EQ(ReadAll(path), before);

    // A folder that does not exist can neither be read nor written.
    const QString nowhere = dir.filePath(QStringLiteral("missing/") + kPrmFileName);
    EXPECT_FALSE(LoadPrmRecord(nowhere).has_value());
    error.clear();
    EXPECT_FALSE(SavePrmRecord(nowhere, PrmRecord{}, &error));
    EXPECT_FALSE(error.isEmpty());
}
