#include "common/cp932.h"
#include "common/result_words.h"
#include "fake_messages.h"
#include "shtlist/settings.h"
#include "shtlist/target_check.h"
#include "shtlist_env.h"

#include <QFile>
#include <QFileInfo>

namespace {

using shtlist_test::ShtlistTest;
using testing_support::FakeMessages;

QByteArray LengthPrefix(int length) {
    QByteArray head(2, '\0');
    head[0] = char(length & 0xFF);
    head[1] = char((length >> 8) & 0xFF);
    return head;
}

TEST(ShtlistSettings, RecordIsLengthPrefixedCp932PaddedWithZeros) {
    const QString text = QStringLiteral(" /data/売上表.xls ");
    const QByteArray bytes = common::ToCp932(text);
    const QByteArray record = shtlist::EncodeSettings(text);

    ASSERT_EQ(record.size(), shtlist::kRecordLength);
    EXPECT_EQ(record.left(2), LengthPrefix(int(bytes.size())));
    EXPECT_EQ(record.mid(2, bytes.size()), bytes); // as typed, blanks kept
    EXPECT_EQ(record.mid(2 + bytes.size()), QByteArray(record.size() - 2 - bytes.size(), '\0'));

    // Reading trims the blanks; an empty, short or damaged record is empty.
    EXPECT_EQ(shtlist::DecodeSettings(record), QStringLiteral("/data/売上表.xls"));
    EXPECT_EQ(shtlist::DecodeSettings(QByteArray()), QString());
    EXPECT_EQ(shtlist::DecodeSettings(QByteArray(1, '\x05')), QString());
    EXPECT_EQ(shtlist::DecodeSettings(LengthPrefix(60000) + "ab"), QStringLiteral("ab"));
}

TEST(ShtlistSettings, OverlongTextIsCutAtACharacterBoundary) {
    // One half-width character first, so that the limit falls in the middle
    // of a double-byte character.
    const QString text = QStringLiteral("a") + QString(20000, QChar(0x3042));
    const QByteArray record = shtlist::EncodeSettings(text);
    ASSERT_EQ(record.size(), shtlist::kRecordLength);
    EXPECT_EQ(record.left(2), LengthPrefix(shtlist::kMaxTextBytes - 1));
    EXPECT_EQ(shtlist::DecodeSettings(record),
              QStringLiteral("a") + QString((shtlist::kMaxTextBytes - 2) / 2, QChar(0x3042)));
}

TEST_F(ShtlistTest, SettingsFileIsCreatedEmptyAndRoundTrips) {
    QString text = QStringLiteral("unchanged");
    ASSERT_TRUE(shtlist::ReadSettingsFile(&text));
    EXPECT_EQ(text, QString());
    EXPECT_TRUE(QFileInfo::exists(shtlist::SettingsPath()));

    ASSERT_TRUE(shtlist::WriteSettingsFile(QStringLiteral("/書類/一覧.XLS")));
    ASSERT_TRUE(shtlist::ReadSettingsFile(&text));
    EXPECT_EQ(text, QStringLiteral("/書類/一覧.XLS"));
}

TEST_F(ShtlistTest, TargetChecksReportMissingFilesAndWrongNames) {
    FakeMessages messages;
    WriteFile(Book(QStringLiteral("list.xls")), "x");
    WriteFile(Book(QStringLiteral("notes.txt")), "x");

    // Empty box and a missing file: the existence message, nothing rewritten.
    for (const QString& box : {QString(), QStringLiteral("   "), Book(QStringLiteral("no.xls"))}) {
        const shtlist::TargetCheck check = shtlist::CheckTarget(box);
        EXPECT_EQ(check.result, common::kNg);
        EXPECT_EQ(check.boxText, box);
        EXPECT_EQ(messages.LastText(), shtlist::kNoSuchFile);
    }
    // A folder is not a workbook file.
    EXPECT_EQ(shtlist::CheckTarget(BooksFolder()).result, common::kNg);
    EXPECT_EQ(messages.Count(), 4);

    EXPECT_EQ(shtlist::CheckTarget(Book(QStringLiteral("notes.txt"))).result, common::kNg);
    EXPECT_EQ(messages.LastText(), QStringLiteral("エクセルファイル(XLS)以外は扱えません。"));

    messages.messages.clear();
    const shtlist::TargetCheck ok = shtlist::CheckTarget(
        QStringLiteral("  ") + Book(QStringLiteral("list.xls")) + QStringLiteral(" "));
    EXPECT_EQ(ok.result, common::kOk);
    EXPECT_EQ(messages.Count(), 0);
    EXPECT_EQ(shtlist::TargetPath(ok.boxText), Book(QStringLiteral("list.xls")));
}

TEST_F(ShtlistTest, BareNameFoundInCurrentFolderMustAlsoExistInDocuments) {
    FakeMessages messages;
    ASSERT_TRUE(QDir::setCurrent(BooksFolder()));
    WriteFile(Book(QStringLiteral("here.xls")), "x");

    // Found beside the program, but the run would open the documents folder's
    // file of that name, which does not exist.
    shtlist::TargetCheck check = shtlist::CheckTarget(QStringLiteral("here.xls"));
    EXPECT_EQ(check.result, common::kNg);
    EXPECT_EQ(check.boxText, Documents() + QStringLiteral("/here.xls"));
    EXPECT_EQ(messages.Texts(), QStringList{shtlist::kNoSuchFile});

    // With the file in the documents folder the rewritten path is accepted.
    WriteFile(Documents() + QStringLiteral("/here.xls"), "x");
    check = shtlist::CheckTarget(QStringLiteral("here.xls"));
    EXPECT_EQ(check.result, common::kOk);
    EXPECT_EQ(check.boxText, Documents() + QStringLiteral("/here.xls"));
}

TEST(ShtlistDialogRule, XlsIsAppendedWithoutAThreeLetterExtension) {
    EXPECT_EQ(shtlist::ChosenWorkbook(QStringLiteral("/d/"), QStringLiteral("Summary")),
              QStringLiteral("/d/Summary.XLS"));
    EXPECT_EQ(shtlist::ChosenWorkbook(QStringLiteral("/d/"), QStringLiteral("a.xls")),
              QStringLiteral("/d/a.xls"));
    EXPECT_EQ(shtlist::ChosenWorkbook(QStringLiteral("/d/"), QStringLiteral("b.xlsx")),
              QStringLiteral("/d/b.xlsx.XLS"));
    EXPECT_EQ(shtlist::ChosenWorkbook(QStringLiteral("/d/"), QStringLiteral("ab")),
              QStringLiteral("/d/ab.XLS"));
}

} // namespace
