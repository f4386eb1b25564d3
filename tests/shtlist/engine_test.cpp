#include "bookmrg/password_prompt.h"
#include "fake_messages.h"
#include "fake_process.h"
#include "fake_spreadsheet.h"
#include "shtlist/engine.h"
#include "shtlist_env.h"
#include "spreadsheet/gate.h"
#include "spreadsheet/progress.h"

#include <QDir>
#include <QFile>

namespace {

using fakesheet::FakeOffice;
using fakesheet::MakeBook;
using fakesheet::ReadBook;
using fakesheet::WriteBook;
using sheet::ProgressLabel;
using testing_support::FakeMessages;
using testing_support::FakeProcess;

class Probe : public sheet::ExcelProbe {
public:
    bool installed = true;
    bool IsExcelInstalled() override { return installed; }
    bool IsExcelRunning() override { return false; }
    bool CloseRunningExcel() override { return false; }
};

// Records what the run shows; can confirm a stop when the counter shows a
// given text.
class ProgressDouble : public sheet::ProgressView {
public:
    void Show() override { ++shows; }
    void Unload() override { ++unloads; }
    void SetLabelText(ProgressLabel label, const QString& text) override {
        labels[int(label)] = text;
        if (label == ProgressLabel::Key1)
            key1History.append(text);
    }
    void SetLabelVisible(ProgressLabel, bool) override {}
    void SetBarValue(sheet::ProgressBar, int value) override { bar = value; }
    void SetBarVisible(sheet::ProgressBar, bool) override {}
    void ProcessEvents() override {
        if (!stopAt.isEmpty() && labels.value(int(ProgressLabel::Ken1)) == stopAt)
            sheet::SetCancelFlag(sheet::kCancelled);
    }

    int shows = 0;
    int unloads = 0;
    int bar = -1;
    QMap<int, QString> labels;
    QStringList key1History;
    QString stopAt;
};

class Passwords : public bookmrg::PasswordPrompt {
public:
    bool Ask(const QString& bookPath, bool retry, QString* password) override {
        asked.append(bookPath);
        retries.append(retry);
        if (answers.isEmpty())
            return false;
        *password = answers.takeFirst();
        return true;
    }
    QStringList answers;
    QStringList asked;
    QList<bool> retries;
};

class Host : public shtlist::ProgramHost {
public:
    void EndProgram() override { ++ends; }
    void ReturnToCaller() override { ++returns; }
    int ends = 0;
    int returns = 0;
};

class ShtlistEngineTest : public shtlist_test::ShtlistTest {
protected:
    void SetUp() override {
        ShtlistTest::SetUp();
        sheet::SetExcelProbe(&probe_);
        sheet::SetProgressView(&progress_);
        sheet::ResetProgressCounter();
        bookmrg::SetPasswordPrompt(&passwords_);
        target_ = Book(QStringLiteral("月次.xls"));
        template_ = Temp(QStringLiteral("SHTLISTX.EXL"));
        ASSERT_TRUE(WriteBook(template_, MakeBook({{QStringLiteral("シート一覧"), {}}})));
        ASSERT_TRUE(WriteBook(target_, MakeBook({{QStringLiteral("Sheet1"), {{"A1", "x"}}},
                                                 {QStringLiteral("2024"), {}},
                                                 {QStringLiteral("東京"), {}}})));
        original_ = ReadFile(target_);
    }
    void TearDown() override {
        bookmrg::SetPasswordPrompt(nullptr);
        sheet::SetProgressView(nullptr);
        sheet::SetExcelProbe(nullptr);
        ShtlistTest::TearDown();
    }
    void Run() { shtlist::BuildSheetList(target_, template_, host_); }

    // The target is exactly as before, and nothing was left beside it.
    void ExpectUntouched() {
        EXPECT_EQ(ReadFile(target_), original_);
        EXPECT_EQ(QDir(BooksFolder()).entryList(QDir::Files | QDir::Hidden),
                  QStringList{QStringLiteral("月次.xls")});
        EXPECT_EQ(office_.ApplicationsRunning(), 0);
        EXPECT_EQ(progress_.unloads, 1);
        EXPECT_TRUE(process_.starts.isEmpty());
    }

    Probe probe_;
    ProgressDouble progress_;
    Passwords passwords_;
    Host host_;
    FakeOffice office_;
    FakeMessages messages_;
    FakeProcess process_;
    QString target_;
    QString template_;
    QByteArray original_;
};

TEST_F(ShtlistEngineTest, ThreeSheetsGetALinkedListInFrontAndTheBookIsSavedInPlace) {
    const QFile::Permissions mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(target_, mode));
    Run();
    EXPECT_EQ(messages_.Count(), 0) << messages_.LastText().toStdString();

    const auto book = ReadBook(target_);
    ASSERT_TRUE(book.has_value());
    EXPECT_EQ(book->SheetNames(),
              (QStringList{QStringLiteral("シート一覧"), QStringLiteral("Sheet1"),
                           QStringLiteral("2024"), QStringLiteral("東京")}));
    const fakesheet::Sheet& index = book->sheets.front();
    EXPECT_EQ(index.At("A1").Text(), QStringLiteral("※※　目　　次　※※"));
    EXPECT_EQ(index.At("A2").Text(), QStringLiteral("クリックすると該当シートに移動します"));
    const QStringList names{QStringLiteral("Sheet1"), QStringLiteral("2024"),
                            QStringLiteral("東京")};
    for (int i = 0; i < names.size(); ++i) {
        const fakesheet::Cell cell = index.At(QStringLiteral("A%1").arg(i + 3));
        EXPECT_EQ(cell.link, QStringLiteral("#'") + names[i] + QStringLiteral("'!A1"));
        // Held as text, "2024" included.
        ASSERT_TRUE(std::holds_alternative<QString>(cell.value));
        EXPECT_EQ(std::get<QString>(cell.value), names[i]);
        EXPECT_EQ(cell.fontSize, 11);
    }
    EXPECT_EQ(index.At("A6").Text(), QString());
    EXPECT_TRUE(index.autoFitted);
    EXPECT_EQ(book->activeSheet, 0);
    EXPECT_EQ(book->selection, QStringLiteral("A1"));
    EXPECT_EQ(book->sheets[1].At("A1").Text(), QStringLiteral("x"));
    // The replaced file keeps the access rights of the old one.
    const QFile::Permissions modeBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                        QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    EXPECT_EQ(QFile::permissions(target_) & modeBits, mode);

    // The private application was hidden, quiet and quit; the template was
    // copied from, never saved.
    EXPECT_EQ(office_.Calls(QStringLiteral("Workbooks.Open")).size(), 2);
    EXPECT_EQ(office_.Calls(QStringLiteral("SaveAs")).size(), 1);
    EXPECT_TRUE(office_.Log().contains(QStringLiteral("Visible = False")));
    EXPECT_TRUE(office_.Log().contains(QStringLiteral("DisplayAlerts = False")));
    EXPECT_EQ(office_.ApplicationsRunning(), 0);
    EXPECT_EQ(ReadBook(template_)->SheetNames(), QStringList{QStringLiteral("シート一覧")});

    EXPECT_EQ(progress_.key1History,
              (QStringList{QStringLiteral("準備中"), QStringLiteral("シート一覧")}));
    EXPECT_EQ(progress_.labels.value(int(ProgressLabel::Ken1)), QStringLiteral("3/3"));
    EXPECT_EQ(progress_.bar, 100);
    EXPECT_EQ(progress_.unloads, 1);

    EXPECT_EQ(host_.returns, 1);
    EXPECT_EQ(host_.ends, 0);
    // The result is opened for the user; nothing but the book is left behind.
    ASSERT_EQ(process_.starts.size(), 1);
    EXPECT_EQ(process_.starts.first().args, QStringList{target_});
    EXPECT_EQ(QDir(BooksFolder()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("月次.xls")});
}

TEST_F(ShtlistEngineTest, RunningTwiceListsTheFirstListSheetAsAnOrdinarySheet) {
    Run();
    Run();
    const auto book = ReadBook(target_);
    ASSERT_TRUE(book.has_value());
    ASSERT_EQ(book->sheets.size(), 5u);
    const QString second = book->sheets[0].name;
    EXPECT_NE(second, QStringLiteral("シート一覧"));
    EXPECT_EQ(book->sheets[1].name, QStringLiteral("シート一覧"));
    EXPECT_EQ(book->sheets[0].At("A3").link, QStringLiteral("#'シート一覧'!A1"));
    EXPECT_EQ(book->sheets[0].At("A6").link, QStringLiteral("#'東京'!A1"));
    EXPECT_EQ(host_.returns, 2);
}

TEST_F(ShtlistEngineTest, LinkTargetsQuoteTheSheetName) {
    EXPECT_EQ(shtlist::IndexLinkTarget(QStringLiteral("2024")), QStringLiteral("'2024'!A1"));
    EXPECT_EQ(shtlist::IndexLinkTarget(QStringLiteral("O'Neil")), QStringLiteral("'O''Neil'!A1"));
}

TEST_F(ShtlistEngineTest, GateRefusalEndsTheProgramWithoutTheApplication) {
    probe_.installed = false;
    Run();
    EXPECT_EQ(host_.ends, 1);
    EXPECT_EQ(host_.returns, 0);
    EXPECT_EQ(office_.ApplicationsCreated(), 0);
    EXPECT_EQ(progress_.shows, 0);
    EXPECT_EQ(ReadFile(target_), original_);
}

TEST_F(ShtlistEngineTest, ProtectedWorkbookAsksForThePassword) {
    auto protectedBook = *ReadBook(target_);
    protectedBook.password = QStringLiteral("secret");
    ASSERT_TRUE(WriteBook(target_, protectedBook));
    original_ = ReadFile(target_);

    // Cancelled: the fixed message, nothing saved, the caller comes back.
    Run();
    EXPECT_EQ(passwords_.asked, QStringList{target_});
    EXPECT_EQ(messages_.Texts(), QStringList{QStringLiteral("パスワードがキャンセルされました。\r"
                                                            "このブックは処理しません。\r")});
    EXPECT_EQ(host_.returns, 1);
    ExpectUntouched();

    // A wrong password is asked again; the right one opens the book.
    passwords_.answers = {QStringLiteral("wrong"), QStringLiteral("secret")};
    passwords_.asked.clear();
    passwords_.retries.clear();
    Run();
    EXPECT_EQ(passwords_.retries, (QList<bool>{false, true}));
    EXPECT_EQ(ReadBook(target_)->sheets.front().name, QStringLiteral("シート一覧"));
    EXPECT_EQ(process_.starts.size(), 1);
}

TEST_F(ShtlistEngineTest, FailuresBeforeSavingLeaveTheWorkbookUntouched) {
    // Not a workbook at all.
    WriteFile(target_, "plain text");
    original_ = ReadFile(target_);
    Run();
    ASSERT_EQ(messages_.Count(), 1);
    EXPECT_TRUE(messages_.LastText().endsWith(QStringLiteral("\rこのブックは処理しません。\r")));
    EXPECT_TRUE(passwords_.asked.isEmpty());
    ExpectUntouched();
}

TEST_F(ShtlistEngineTest, MissingTemplateEndsTheProgram) {
    QFile::remove(template_);
    Run();
    EXPECT_EQ(messages_.Texts(),
              QStringList{QStringLiteral("必要な下記ファイルがありません。\r") + template_ +
                          QStringLiteral("\r処理は続行できません。\r")});
    EXPECT_EQ(host_.ends, 1);
    EXPECT_EQ(host_.returns, 0);
    ExpectUntouched();
}

TEST_F(ShtlistEngineTest, RefusedCopyReportsTheSheetLimit) {
    office_.SetSheetLimit(3);
    Run();
    ASSERT_EQ(messages_.Count(), 1);
    EXPECT_EQ(messages_.LastText(),
              QStringLiteral("作成するブックのシート数がExcelの制限に達しました。"
                             "\r\r処理を終了します。"));
    EXPECT_EQ(messages_.messages.first().icon, common::MsgIcon::Exclamation);
    EXPECT_EQ(office_.Calls(QStringLiteral("SaveAs")).size(), 0);
    EXPECT_EQ(host_.returns, 1);
    ExpectUntouched();
}

TEST_F(ShtlistEngineTest, ConfirmedStopEndsTheRunBeforeSaving) {
    progress_.stopAt = QStringLiteral("2/3");
    Run();
    EXPECT_EQ(office_.Calls(QStringLiteral("SaveAs")).size(), 0);
    EXPECT_EQ(office_.Calls(QStringLiteral("Hyperlinks.Add")).size(), 1);
    ASSERT_EQ(messages_.Count(), 1);
    EXPECT_TRUE(messages_.LastText().startsWith(QStringLiteral("処理を中断しました。")));
    EXPECT_EQ(host_.returns, 1);
    ExpectUntouched();
}

TEST_F(ShtlistEngineTest, FailedSavesLeaveTheOriginalBytes) {
    // A read-only workbook is not replaced, though its folder is writable.
    QFile::setPermissions(target_, QFile::ReadOwner | QFile::ReadGroup);
    Run();
    ASSERT_EQ(messages_.Count(), 1);
    EXPECT_TRUE(messages_.LastText().contains(QStringLiteral("元のブックは変更されていません。")));
    EXPECT_EQ(host_.returns, 1);
    ExpectUntouched();
    QFile::setPermissions(target_, QFile::ReadOwner | QFile::WriteOwner);

    // The save itself fails (a full disk, say).
    office_.FailOn(QStringLiteral("SaveAs"));
    progress_.unloads = 0;
    Run();
    EXPECT_EQ(messages_.Count(), 2);
    EXPECT_TRUE(messages_.LastText().startsWith(QStringLiteral("ブックを保存できませんでした。")));
    ExpectUntouched();

    // The application dies in the middle of the list.
    office_.FailOn(QStringLiteral("Hyperlinks.Add"), 1, sheet::kErrServerGone);
    progress_.unloads = 0;
    Run();
    EXPECT_EQ(messages_.Count(), 3);
    EXPECT_EQ(messages_.messages.last().icon, common::MsgIcon::Critical);
    EXPECT_EQ(host_.returns, 3);
    ExpectUntouched();
}

} // namespace
