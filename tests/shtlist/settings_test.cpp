#include "common/cp932.h"
#include "common/result_words.h"
#include "fake_messages.h"
#include "shtlist/settings.h"
#include "shtlist/target_check.h"
#include "shtlist_env.h"

namespace {

QByteArray LengthPrefix(int length) {
    return QByteArray(1, char(length & 0xFF)) + QByteArray(1, char((length >> 8) & 0xFF));
}

TEST(ShtlistSettings, RecordIsLengthPrefixedCp932CutAtACharacterBoundary) {
    const QString text = QStringLiteral(" /data/売上表.xls ");
    const QByteArray bytes = common::ToCp932(text);
    const QByteArray record = shtlist::EncodeSettings(text);
    ASSERT_EQ(record.size(), shtlist::kRecordLength);
    EXPECT_EQ(record.left(2 + bytes.size()), LengthPrefix(int(bytes.size())) + bytes);
    EXPECT_EQ(record.mid(2 + bytes.size()), QByteArray(record.size() - 2 - bytes.size(), '\0'));

    // Reading trims the blanks; an empty or damaged record gives what is there.
    EXPECT_EQ(shtlist::DecodeSettings(record), QStringLiteral("/data/売上表.xls"));
    EXPECT_EQ(shtlist::DecodeSettings(QByteArray()), QString());
    EXPECT_EQ(shtlist::DecodeSettings(LengthPrefix(60000) + "ab"), QStringLiteral("ab"));

    // The limit falls in the middle of a double-byte character.
    const QString longText = QStringLiteral("a") + QString(20000, QChar(0x3042));
    const QByteArray cut = shtlist::EncodeSettings(longText);
    ASSERT_EQ(cut.size(), shtlist::kRecordLength);
    EXPECT_EQ(cut.left(2), LengthPrefix(shtlist::kMaxTextBytes - 1));
    EXPECT_EQ(shtlist::DecodeSettings(cut), longText.left(1 + (shtlist::kMaxTextBytes - 2) / 2));
}

using ShtlistCheckTest = shtlist_test::ShtlistTest;

TEST_F(ShtlistCheckTest, BareNameMustExistInTheDocumentsFolderItIsMovedTo) {
    testing_support::FakeMessages messages;
    ASSERT_TRUE(QDir::setCurrent(BooksFolder()));
    Touch(Book(QStringLiteral("here.xls")));

    // Found in the current folder, but the run would open the documents
    // folder's file of that name, which does not exist.
    shtlist::TargetCheck check = shtlist::CheckTarget(QStringLiteral(" here.xls"));
    EXPECT_EQ(check.ok, false);
    EXPECT_EQ(check.boxText, Documents() + QStringLiteral("/here.xls"));
    EXPECT_EQ(messages.Texts(), QStringList{shtlist::kNoSuchFile});

    Touch(Documents() + QStringLiteral("/here.xls"));
    check = shtlist::CheckTarget(QStringLiteral("here.xls"));
    EXPECT_EQ(check.ok, true);
    EXPECT_EQ(shtlist::TargetPath(check.boxText), Documents() + QStringLiteral("/here.xls"));

    // A folder is not a workbook.
    EXPECT_EQ(shtlist::CheckTarget(BooksFolder()).ok, false);
}

TEST_F(ShtlistCheckTest, WorkbooksOfEveryFormatReadAreAcceptedOtherFilesAreNot) {
    testing_support::FakeMessages messages;
    for (const QString& name : {QStringLiteral("a.xlsx"), QStringLiteral("b.XLSM"),
                                QStringLiteral("c.ods"), QStringLiteral("d.xls")}) {
        Touch(Book(name));
        EXPECT_EQ(shtlist::CheckTarget(Book(name)).ok, true) << name.toStdString();
    }
    EXPECT_EQ(messages.Count(), 0);
    Touch(Book(QStringLiteral("e.csv")));
    EXPECT_EQ(shtlist::CheckTarget(Book(QStringLiteral("e.csv"))).ok, false);
    EXPECT_EQ(messages.LastText(), QStringLiteral("エクセルファイル(XLS)以外は扱えません。"));
}

} // namespace
