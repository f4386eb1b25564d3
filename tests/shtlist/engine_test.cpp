#include "common/seam.h"
#include "fake_messages.h"
#include "fake_process.h"
#include "fake_spreadsheet.h"
#include "shtlist/engine.h"
#include "shtlist_env.h"
#include "spreadsheet/office_lock.h"
#include "workbook_tools/tool_doubles.h"

#include <QLockFile>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using fakesheet::MakeBook;
using fakesheet::ReadBook;
using fakesheet::WriteBook;

const QFile::Permissions kModeBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                     QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;

class ShtlistEngineTest : public shtlist_test::ShtlistTest {
    std::optional<common::ScopedOverride<sheet::ExcelProbe>> probeInPlace_;
    std::optional<common::ScopedOverride<sheet::ProgressView>> viewInPlace_;

protected:
    void SetUp() override {
        ShtlistTest::SetUp();
        probeInPlace_.emplace(sheet::ExcelProbeSeam(), &probe_);
        viewInPlace_.emplace(sheet::ProgressViewSeam(), &progress_);
        probe_.onGate = [this] { shownAtGate_ = progress_.shown > 0; };
        sheet::ResetProgressCounter();
        target_ = Book(QStringLiteral("月次.xls"));
        template_ = Temp(QStringLiteral("SHTLISTX.EXL"));
        ASSERT_TRUE(WriteBook(template_, MakeBook({{QStringLiteral("シート一覧"), {}}})));
        ASSERT_TRUE(WriteBook(target_, MakeBook({{QStringLiteral("Sheet1"), {{"A1", "x"}}},
                                                 {QStringLiteral("2024"), {}},
                                                 {QStringLiteral("東京"), {}}})));
        original_ = ReadFile(target_);
    }
    void TearDown() override {
        viewInPlace_.reset();
        probeInPlace_.reset();
        ShtlistTest::TearDown();
    }
    void Run() {
        progress_.unloaded = 0;
        host_.calls.clear();
        host_.Follow(shtlist::BuildSheetList(target_, template_));
    }
    // The target is byte for byte as before, nothing was left beside it, the
    // application has gone and the result was not opened.
    void ExpectUntouched() {
        EXPECT_EQ(ReadFile(target_), original_);
        EXPECT_EQ(QDir(BooksFolder()).entryList(QDir::Files | QDir::Hidden),
                  QStringList{QStringLiteral("月次.xls")});
        EXPECT_EQ(office_.ApplicationsRunning(), 0);
        EXPECT_EQ(progress_.unloaded, 1);
        EXPECT_TRUE(process_.starts.isEmpty());
    }

    tools_test::FakeProbe probe_;
    tools_test::FakeProgress progress_;
    tools_test::ScriptedPasswords passwords_;
    common::ScopedOverride<tools::PasswordPrompt> passwordSeam_{tools::PasswordPrompts(),
                                                                &passwords_};
    tools_test::OutcomeRecorder host_;
    fakesheet::FakeOffice office_;
    testing_support::FakeMessages messages_;
    testing_support::FakeProcess process_;
    QString target_;
    QString template_;
    QByteArray original_;
    bool shownAtGate_ = false;
};

TEST_F(ShtlistEngineTest, ThreeSheetsGetALinkedListInFrontAndTheBookIsSavedInPlace) {
    const QFile::Permissions mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(target_, mode));
    Run();
    EXPECT_EQ(messages_.Count(), 0) << messages_.LastText().toStdString();

    const auto book = ReadBook(target_);
    ASSERT_TRUE(book.has_value());
    const QStringList names{QStringLiteral("Sheet1"), QStringLiteral("2024"),
                            QStringLiteral("東京")};
    EXPECT_EQ(book->SheetNames(), QStringList{QStringLiteral("シート一覧")} + names);
    const fakesheet::Sheet& index = book->sheets.front();
    EXPECT_EQ(index.At("A1").Text(), QStringLiteral("※※　目　　次　※※"));
    EXPECT_EQ(index.At("A2").Text(), QStringLiteral("クリックすると該当シートに移動します"));
    for (int i = 0; i < names.size(); ++i) {
        const fakesheet::Cell cell = index.At(QStringLiteral("A%1").arg(i + 3));
        EXPECT_EQ(cell.link, QStringLiteral("#'") + names[i] + QStringLiteral("'!A1"));
        EXPECT_EQ(cell.value, sheet::CellValue(names[i])); // "2024" as text
        EXPECT_EQ(cell.fontSize, 11);
    }
    EXPECT_EQ(shtlist::IndexLinkTarget(QStringLiteral("O'Neil")), QStringLiteral("'O''Neil'!A1"));
    EXPECT_TRUE(index.autoFitted);
    EXPECT_EQ(book->activeSheet, 0);
    EXPECT_EQ(book->selection, QStringLiteral("A1"));
    EXPECT_EQ(book->sheets[1].At("A1").Text(), QStringLiteral("x"));
    EXPECT_EQ(QFile::permissions(target_) & kModeBits, mode);

    EXPECT_EQ(office_.ApplicationsRunning(), 0);
    EXPECT_EQ(progress_.Label(sheet::ProgressLabel::Task), QStringLiteral("シート一覧"));
    // In sight before the office starts; the save cannot be stopped.
    EXPECT_TRUE(shownAtGate_);
    EXPECT_EQ(progress_.stop, (QStringList{QStringLiteral("off 保存中…"), QStringLiteral("on")}));
    EXPECT_EQ(progress_.ken1, (QStringList{QString(), QStringLiteral("1/3"), QStringLiteral("2/3"),
                                           QStringLiteral("3/3")}));
    EXPECT_EQ(host_.calls, QStringList{QStringLiteral("ReturnToCaller")});
    ASSERT_EQ(process_.starts.size(), 1);
    EXPECT_EQ(process_.starts.first().args, QStringList{target_});
    EXPECT_EQ(QDir(BooksFolder()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("月次.xls")});

    // A second run lists the first list sheet as an ordinary sheet.
    Run();
    const auto again = ReadBook(target_);
    ASSERT_EQ(again->sheets.size(), 5u);
    EXPECT_EQ(again->sheets[1].name, QStringLiteral("シート一覧"));
    EXPECT_EQ(again->sheets[0].At("A3").link, QStringLiteral("#'シート一覧'!A1"));
    EXPECT_EQ(again->sheets[0].At("A6").link, QStringLiteral("#'東京'!A1"));
}

// The installed template cannot be written by the user; it is only read.
TEST_F(ShtlistEngineTest, WriteProtectedTemplateIsUsed) {
    ASSERT_TRUE(QFile::setPermissions(template_, QFile::ReadOwner | QFile::ReadOther));
    Run();
    EXPECT_EQ(messages_.Count(), 0) << messages_.LastText().toStdString();
    ASSERT_TRUE(ReadBook(target_));
    EXPECT_EQ(ReadBook(target_)->sheets.size(), 4u);
}

TEST_F(ShtlistEngineTest, ProtectedWorkbookAsksForThePassword) {
    auto protectedBook = *ReadBook(target_);
    protectedBook.password = QStringLiteral("secret");
    ASSERT_TRUE(WriteBook(target_, protectedBook));
    original_ = ReadFile(target_);

    Run();
    EXPECT_EQ(messages_.Texts(), QStringList{QStringLiteral("パスワードがキャンセルされました。\r"
                                                            "このブックは処理しません。\r")});
    EXPECT_EQ(host_.calls, QStringList{QStringLiteral("ReturnToCaller")});
    ExpectUntouched();

    passwords_.answers = {QStringLiteral("wrong"), QStringLiteral("secret")};
    passwords_.asked.clear();
    Run();
    EXPECT_EQ(passwords_.asked, (QStringList{target_, target_ + QStringLiteral(" retry")}));
    EXPECT_EQ(ReadBook(target_)->sheets.front().name, QStringLiteral("シート一覧"));
}

TEST_F(ShtlistEngineTest, EveryFailureLeavesTheWorkbookUntouched) {
    const QString ret = QStringLiteral("ReturnToCaller");
    const QString end = QStringLiteral("EndProgram");

    probe_.installed = false; // the gate refuses: no application at all
    Run();
    EXPECT_EQ(host_.calls, QStringList{end});
    EXPECT_EQ(office_.ApplicationsCreated(), 0);
    probe_.installed = true;

    QFile::rename(template_, template_ + QStringLiteral(".gone"));
    Run();
    EXPECT_EQ(messages_.LastText(), QStringLiteral("必要な下記ファイルがありません。\r") +
                                        template_ + QStringLiteral("\r処理は続行できません。\r"));
    EXPECT_EQ(host_.calls, QStringList{end});
    ExpectUntouched();
    QFile::rename(template_ + QStringLiteral(".gone"), template_);

    // A template that is there but no workbook is not called missing.
    const QByteArray good = ReadFile(template_);
    WriteFile(template_, "not a workbook");
    Run();
    EXPECT_TRUE(messages_.LastText().startsWith(QStringLiteral("必要な下記ファイルを開けません")))
        << messages_.LastText().toStdString();
    ExpectUntouched();
    WriteFile(template_, good);

    office_.SetSheetLimit(3);
    Run();
    EXPECT_EQ(messages_.LastText(),
              QStringLiteral("作成するブックのシート数がExcelの制限に達しました。"
                             "\r\r処理を終了します。"));
    EXPECT_EQ(messages_.messages.last().icon, common::MsgIcon::Exclamation);
    EXPECT_EQ(host_.calls, QStringList{ret});
    ExpectUntouched();
    office_.SetSheetLimit(0);

    // A stop confirmed while the second link is written.
    progress_.onEvents = [](tools_test::FakeProgress& p) {
        if (p.Label(sheet::ProgressLabel::Counter) == QStringLiteral("2/3"))
            sheet::RequestCancel();
    };
    Run();
    EXPECT_TRUE(messages_.LastText().startsWith(QStringLiteral("処理を中断しました。")));
    EXPECT_EQ(office_.Calls(QStringLiteral("SaveAs")).size(), 0);
    EXPECT_EQ(host_.calls, QStringList{ret});
    ExpectUntouched();
    progress_.onEvents = nullptr;

    // A stop confirmed after the last link was written, as the save is
    // about to begin: honoured.
    int afterLastLink = 0;
    progress_.onEvents = [&afterLastLink](tools_test::FakeProgress& p) {
        if (p.Label(sheet::ProgressLabel::Counter) == QStringLiteral("3/3") && ++afterLastLink == 2)
            sheet::RequestCancel();
    };
    Run();
    EXPECT_TRUE(messages_.LastText().startsWith(QStringLiteral("処理を中断しました。")));
    EXPECT_EQ(office_.Calls(QStringLiteral("SaveAs")).size(), 0);
    ExpectUntouched();
    progress_.onEvents = nullptr;
    progress_.stop.clear();

    // A read-only file is not replaced, though its folder is writable.
    QFile::setPermissions(target_, QFile::ReadOwner);
    Run();
    EXPECT_TRUE(messages_.LastText().contains(QStringLiteral("元のブックは変更されていません。")));
    ExpectUntouched();
    QFile::setPermissions(target_, QFile::ReadOwner | QFile::WriteOwner);

    office_.FailOn(QStringLiteral("SaveAs")); // a full disk, say
    Run();
    EXPECT_TRUE(messages_.LastText().startsWith(QStringLiteral("ブックを保存できませんでした。")));
    ExpectUntouched();

    office_.FailOn(QStringLiteral("Hyperlinks.Add"), 1, sheet::SheetErrorKind::OfficeLost);
    Run();
    EXPECT_EQ(messages_.messages.last().icon, common::MsgIcon::Critical);
    EXPECT_EQ(host_.calls, QStringList{ret});
    ExpectUntouched();

    WriteFile(target_, "plain text"); // not a workbook: no password question
    original_ = ReadFile(target_);
    Run();
    EXPECT_TRUE(messages_.LastText().endsWith(QStringLiteral("\rこのブックは処理しません。\r")));
    EXPECT_TRUE(passwords_.asked.isEmpty());
    ExpectUntouched();
}

ino_t Inode(const QString& path) {
    struct stat st {};
    return stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// A workbook reached through a symbolic link: the file behind the link gets
// the list, the link stays a link, and nothing is left in either folder.
TEST_F(ShtlistEngineTest, ALinkedWorkbookIsSavedThroughItsLinkAndALinkedNameStaysALink) {
    const QString realFolder = Temp(QStringLiteral("real"));
    ASSERT_TRUE(QDir().mkpath(realFolder));
    const QString real = realFolder + QStringLiteral("/本体.xls");
    ASSERT_TRUE(QFile::rename(target_, real));
    ASSERT_TRUE(QFile::link(real, target_));

    Run();
    EXPECT_EQ(messages_.Count(), 0) << messages_.LastText().toStdString();
    EXPECT_TRUE(QFileInfo(target_).isSymLink());
    EXPECT_EQ(QFileInfo(target_).symLinkTarget(), real);
    const auto book = ReadBook(real);
    ASSERT_TRUE(book.has_value());
    EXPECT_EQ(book->SheetNames().value(0), QStringLiteral("シート一覧"));
    EXPECT_EQ(book->sheets.size(), 4u);
    EXPECT_EQ(QDir(BooksFolder()).entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList{QStringLiteral("月次.xls")});
    EXPECT_EQ(QDir(realFolder).entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList{QStringLiteral("本体.xls")});
    // The user sees the workbook under the name chosen.
    ASSERT_EQ(process_.starts.size(), 1);
    EXPECT_EQ(process_.starts.first().args, QStringList{target_});
}

// A workbook with a second hard link: both names show the new content (the
// same file), and a failed save leaves both as they were.
TEST_F(ShtlistEngineTest, AHardLinkedWorkbookKeepsOneContentUnderEveryName) {
    const QString other = Book(QStringLiteral("別名.xls"));
    ASSERT_EQ(::link(QFile::encodeName(target_).constData(), QFile::encodeName(other).constData()),
              0);
    const ino_t inode = Inode(target_);

    office_.FailOn(QStringLiteral("SaveAs"));
    Run();
    EXPECT_TRUE(messages_.LastText().startsWith(QStringLiteral("ブックを保存できませんでした。")));
    EXPECT_EQ(ReadFile(other), original_);
    EXPECT_EQ(Inode(other), inode);

    Run(); // the failure above was for one save only
    EXPECT_EQ(messages_.Count(), 1) << messages_.LastText().toStdString();
    EXPECT_EQ(Inode(target_), inode);
    EXPECT_EQ(Inode(other), inode);
    const auto book = ReadBook(other);
    ASSERT_TRUE(book.has_value());
    EXPECT_EQ(book->SheetNames().value(0), QStringLiteral("シート一覧"));
    EXPECT_EQ(ReadFile(other), ReadFile(target_));
    EXPECT_EQ(QDir(BooksFolder()).entryList(QDir::Files | QDir::Hidden | QDir::System),
              (QStringList{QStringLiteral("別名.xls"), QStringLiteral("月次.xls")}));
}

// The office's lock beside the workbook: someone else's is honoured with a
// message naming them; one of a dead run of ours is removed and the run goes
// on; one of a live run of ours is honoured too.
TEST_F(ShtlistEngineTest, AWorkbookOpenElsewhereIsNotReplaced) {
    const QString lockFile = sheet::OfficeLockPath(target_);
    WriteFile(lockFile, ",suzuki,pc-07,08.12.2026 14:30,file:///home/suzuki/.config/x/4;");
    Run();
    EXPECT_EQ(ReadFile(target_), original_);
    EXPECT_EQ(office_.Calls(QStringLiteral("SaveAs")).size(), 0);
    ASSERT_EQ(messages_.Count(), 1);
    EXPECT_TRUE(messages_.LastText().startsWith(
        QStringLiteral("このブックは他で開かれているため、処理できません。\r") + target_))
        << messages_.LastText().toStdString();
    EXPECT_TRUE(messages_.LastText().contains(
        QStringLiteral("使用中：suzuki@pc-07、08.12.2026 14:30 から")));
    EXPECT_EQ(messages_.messages.last().icon, common::MsgIcon::Exclamation);
    EXPECT_EQ(host_.calls, QStringList{QStringLiteral("ReturnToCaller")});
    EXPECT_TRUE(process_.starts.isEmpty());
    EXPECT_TRUE(QFile::exists(lockFile));

    // A private profile of the suite that a live run holds.
    const QString profile = sheet::SuiteCacheFolder() + QStringLiteral("/lo-profile-7");
    ASSERT_TRUE(QDir().mkpath(sheet::SuiteCacheFolder()));
    WriteFile(lockFile, QByteArray(",,host,08.12.2026 14:31,") +
                            QUrl::fromLocalFile(profile).toEncoded() + ";");
    {
        QLockFile live(profile + QStringLiteral(".lock"));
        ASSERT_TRUE(live.tryLock(0));
        Run();
        EXPECT_EQ(ReadFile(target_), original_);
        EXPECT_TRUE(QFile::exists(lockFile));
        EXPECT_EQ(messages_.Count(), 2);
    }
    // Its run has ended: the lock is a leftover.
    Run();
    EXPECT_FALSE(QFile::exists(lockFile));
    EXPECT_EQ(ReadBook(target_)->SheetNames().value(0), QStringLiteral("シート一覧"));
    EXPECT_EQ(messages_.Count(), 2);
}

} // namespace
