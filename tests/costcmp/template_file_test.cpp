#include "costcmp/templates/template_exchange.h"
#include "costcmp/templates/template_record.h"
#include "support/full_disk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

// Readable texts in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

using costcmp::ParamTexts;
using costcmp::SolutionKind;
using costcmp::TemplateExchanger;
using costcmp::TemplateRecord;

// The input screen as the templates see it.
class FakeInput : public costcmp::InputScreenAccess {
public:
    ParamTexts texts;
    SolutionKind kai = SolutionKind::None;
    int selectCalls = 0;

    ParamTexts Texts() const override { return texts; }
    SolutionKind Solution() const override { return kai; }
    void SetTexts(const ParamTexts& t) override { texts = t; }
    void SelectSolution(SolutionKind k) override {
        kai = k;
        ++selectCalls;
    }
};

const ParamTexts kSample = {"80,000", "15,000", "5", "2", "250", "600", "15", "5", "6", "5", "60"};

qint64 FieldAt(const QByteArray& bytes, int field) {
    return qFromLittleEndian<qint64>(bytes.constData() + (field - 1) * 8);
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

TEST(TemplateFile, SavedValuesAreStoredInModelUnitsAndShownAsEntered) {
    QTemporaryDir dir;
    const QString path = dir.filePath("見積A.SA1");
    FakeInput screen;
    screen.texts = kSample;
    screen.kai = SolutionKind::MaintRate;
    TemplateExchanger exchanger;
    ASSERT_TRUE(exchanger.Save(path, screen));

    const QByteArray bytes = ReadAll(path);
    ASSERT_EQ(bytes.size(), 192);
    EXPECT_EQ(FieldAt(bytes, 1), 800'000'000LL);    // SA 80,000 yen
    EXPECT_EQ(FieldAt(bytes, 5), 25'000'000'000LL); // JA 250 万円 in yen
    EXPECT_EQ(FieldAt(bytes, 6), 60'000'000'000LL); // JB 600 万円
    EXPECT_EQ(FieldAt(bytes, 7), 1'500LL);          // JC 15 % as 0.15
    EXPECT_EQ(FieldAt(bytes, 8), 500LL);            // JD 5 %
    EXPECT_EQ(FieldAt(bytes, 11), 6'000'000'000LL); // CB 60 万円
    EXPECT_EQ(FieldAt(bytes, 12), 50'000LL);        // solution 5
    for (int field = 13; field <= 24; ++field)
        EXPECT_EQ(FieldAt(bytes, field), 0) << field;

    FakeInput other;
    other.texts.fill("x");
    ASSERT_TRUE(TemplateExchanger().Load(path, other));
    EXPECT_EQ(other.texts, kSample);
    EXPECT_EQ(other.kai, SolutionKind::MaintRate);
}

TEST(TemplateFile, DisplayKeepsFractionsAndGroupsOnlyWhereThePatternDoes) {
    TemplateRecord r;
    r.fields[0] = 123'456'789'000LL;     // SA 12,345,678.9
    r.fields[2] = -25'000;               // SC -2.5
    r.fields[4] = 123'456'789'000'000LL; // JA 1,234,567.89 万円
    r.fields[6] = 250;                   // JC 2.5 %
    r.fields[7] = 12'345'000;            // JD 123,450 %: "##0" has no grouping
    r.fields[10] = 5'000;                // CB 0.5 yen = 0.00005 万円
    const ParamTexts t = costcmp::DisplayTexts(r);
    EXPECT_EQ(t[0], "12,345,678.9");
    EXPECT_EQ(t[1], "0");
    EXPECT_EQ(t[2], "-2.5");
    EXPECT_EQ(t[4], "1,234,567.89");
    EXPECT_EQ(t[6], "2.5");
    EXPECT_EQ(t[7], "123450");
    EXPECT_EQ(t[10], "0.00005");
}

TEST(TemplateFile, OverwriteKeepsReservedFieldsAndLongerFiles) {
    QTemporaryDir dir;
    const QString path = dir.filePath("t.SA1");
    QByteArray old(8192, '\x11');
    WriteAll(path, old);

    TemplateExchanger exchanger;
    FakeInput screen;
    ASSERT_TRUE(exchanger.Load(path, screen)); // reserved fields now 0x1111...
    EXPECT_EQ(screen.selectCalls, 0);          // no valid solution stored
    screen.texts = kSample;
    screen.kai = SolutionKind::None; // none chosen: the number in memory stays
    ASSERT_TRUE(exchanger.Save(path, screen));

    const QByteArray bytes = ReadAll(path);
    ASSERT_EQ(bytes.size(), 8192);
    EXPECT_EQ(FieldAt(bytes, 7), 1'500LL);
    EXPECT_EQ(FieldAt(bytes, 12), 0x1111111111111111LL);
    EXPECT_EQ(FieldAt(bytes, 24), 0x1111111111111111LL);
    EXPECT_EQ(bytes.mid(192), old.mid(192));
}

// The .SA1 was left at 0 bytes when the disk was full.
TEST(TemplateFile, SaveOnAFullDiskKeepsTheTemplateAndSaysSo) {
    testing_support::FullDisk disk;
    if (!disk.Mounted())
        GTEST_SKIP() << "needs root to mount a small tmpfs";
    const QString path = disk.FilePath(QStringLiteral("見積.SA1"));
    FakeInput screen;
    screen.texts = kSample;
    screen.kai = SolutionKind::Users;
    ASSERT_TRUE(TemplateExchanger().Save(path, screen));
    const QByteArray before = ReadAll(path);
    ASSERT_EQ(before.size(), TemplateRecord::kByteLength);
    ASSERT_TRUE(disk.Fill());

    screen.kai = SolutionKind::MaintRate;
    QString error;
    EXPECT_FALSE(TemplateExchanger().Save(path, screen, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("前の内容のまま"))) << error.toStdString();
    EXPECT_EQ(ReadAll(path), before);
}

TEST(TemplateFile, MissingFilesAndTooLargeValuesAreRefused) {
    QTemporaryDir dir;
    FakeInput screen;
    screen.texts = kSample;
    // Loading a missing file leaves no empty file behind.
    const QString missing = dir.filePath("gone.SA1");
    EXPECT_FALSE(TemplateExchanger().Load(missing, screen));
    EXPECT_FALSE(QFile::exists(missing));
    // A value beyond the file's range would be stored as 0.
    screen.texts[4] = "900,000,000,000"; // JA in 万円
    QString error;
    EXPECT_FALSE(TemplateExchanger().Save(missing, screen, &error));
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_FALSE(error.isEmpty());
}

TEST(TemplateFile, NamesThatCannotBeFileNames) {
    using costcmp::IsValidTemplateName;
    for (const char* good : {"見積A", "plan.2024", "a,b", "LPT10", "console"})
        EXPECT_TRUE(IsValidTemplateName(QString::fromUtf8(good))) << good;
    for (const char* bad : {"", ".", "..", "a/b", "a\\b", "a:b", "a*", "a?", "a\"b", "a<b", "a>b",
                            "a|b", "con", "NUL.txt", "Com3", "lpt1", "CLOCK$"})
        EXPECT_FALSE(IsValidTemplateName(QString::fromUtf8(bad))) << bad;
}

} // namespace
