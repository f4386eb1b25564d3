#include "engine_fixture.h"

#include "spreadsheet/office_lock.h"

#include <QDirIterator>
#include <QFile>

namespace {

using bookmrg_test::EngineTest;
using common::MsgIcon;

QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList FilesIn(const QString& folder) {
    QStringList names;
    QDirIterator it(folder, QDir::Files | QDir::Hidden);
    while (it.hasNext())
        names.append(QFileInfo(it.next()).fileName());
    names.sort();
    return names;
}

// Column texts of the sheet list from row 3 on.
QStringList Column(const fakesheet::Sheet& index, const QString& column, int rows) {
    QStringList texts;
    for (int r = 3; r < 3 + rows; ++r)
        texts.append(index.At(column + QString::number(r)).Text());
    return texts;
}

TEST_F(EngineTest, CopiesBooksInListOrderAndBuildsTheSheetList) {
    const QString a = WriteNamed("a.xls", {"Sheet1", "Data"});
    const QString b = WriteNamed("b.xls", {"Data", "2024", "O'Brien"});
    const QString c = WriteNamed("c.xls", {"data", "4-1"});
    const QByteArray aBytes = FileBytes(a);
    const QByteArray bBytes = FileBytes(b);
    bool shownAtGate = false;
    probe.onGate = [&] { shownAtGate = progress.shown > 0; };
    Run(Params({a, b, c}));
    probe.onGate = nullptr;

    const auto out = Output();
    ASSERT_TRUE(out);
    EXPECT_EQ(out->SheetNames(), QStringList({"シート一覧", "Sheet1", "Data", "Data_2", "2024",
                                              "O'Brien", "data_3", "4-1"}));
    // Each copy carries its content.
    EXPECT_EQ(out->Find("Data_2")->At("A1").Text(), QStringLiteral("Data"));

    const fakesheet::Sheet& index = out->sheets[0];
    EXPECT_EQ(index.At("A1").Text(), QStringLiteral("※※　目　　次　※※"));
    EXPECT_EQ(index.At("A2").Text(), QStringLiteral("クリックすると該当シートに移動します"));
    EXPECT_EQ(index.At("B2").Text(), QStringLiteral("ブック名"));
    EXPECT_EQ(index.At("C2").Text(), QStringLiteral("シート名"));
    EXPECT_EQ(index.At("D1").Text(), QStringLiteral("見本")); // the template's own content
    EXPECT_EQ(Column(index, "A", 8),
              QStringList({"Sheet1", "Data", "Data_2", "2024", "O'Brien", "data_3", "4-1", ""}));
    EXPECT_EQ(Column(index, "B", 7), QStringList({a, a, b, b, b, c, c}));
    EXPECT_EQ(Column(index, "C", 7),
              QStringList({"Sheet1", "Data", "Data", "2024", "O'Brien", "data", "4-1"}));
    EXPECT_EQ(index.At("A5").link, QStringLiteral("#'Data_2'!B1"));
    EXPECT_EQ(index.At("A7").link, QStringLiteral("#'O''Brien'!B1"));
    // Names that look like numbers or dates stay texts.
    EXPECT_TRUE(std::holds_alternative<QString>(index.At("A6").value));
    EXPECT_TRUE(std::holds_alternative<QString>(index.At("C6").value));
    EXPECT_EQ(index.At("C6").format, QStringLiteral("@"));
    EXPECT_EQ(index.At("B9").format, QStringLiteral("@"));
    EXPECT_EQ(index.At("A9").fontSize, 11);
    EXPECT_TRUE(index.autoFitted);
    // The saved workbook opens on its first sheet at A1.
    EXPECT_EQ(out->activeSheet, 0);
    EXPECT_EQ(out->selection, QStringLiteral("A1"));

    // Listed books are opened read-only and left as they were; no working
    // file is left beside the output.
    EXPECT_EQ(office.Calls("Workbooks.Open " + b),
              QStringList({"Workbooks.Open " + b + " ReadOnly"}));
    EXPECT_EQ(FileBytes(a), aBytes);
    EXPECT_EQ(FileBytes(b), bBytes);
    EXPECT_EQ(FilesIn(Temp("out")), QStringList({QStringLiteral("結果.xls")}));
    EXPECT_EQ(office.ApplicationsRunning(), 0);

    // Progress: book 1 is not counted; the counter runs 2/3, 3/3.
    EXPECT_EQ(progress.ken1.mid(progress.ken1.size() - 2), QStringList({"2/3", "3/3"}));
    EXPECT_EQ(progress.Label(sheet::ProgressLabel::Task), QStringLiteral("シートまとめ"));
    EXPECT_EQ(progress.key2.value(1), b + QStringLiteral(" Data"));
    EXPECT_EQ(progress.unloaded, 1);
    // In sight before the office starts; the save cannot be stopped.
    EXPECT_TRUE(shownAtGate);
    EXPECT_EQ(progress.stop, (QStringList{QStringLiteral("off 保存中…"), QStringLiteral("on")}));

    // Back to the caller, then the result opened in the spreadsheet application.
    EXPECT_EQ(host.calls, QStringList({"ReturnToCaller"}));
    ASSERT_EQ(process.starts.size(), 1);
    EXPECT_EQ(process.starts[0].args, QStringList({OutputFile()}));
    EXPECT_EQ(messages.Count(), 0) << messages.Texts().join('|').toStdString();
}

TEST_F(EngineTest, ExclusionsApplyToEveryBookIncludingTheFirst) {
    const QString a = WriteNamed("a.xls", {"Sheet1", "表紙", "Sheet2"});
    const QString b = WriteNamed("b.xls", {"MySheet", "sheet3", "Sheet", "集計"});
    Run(Params({a, b}, "Sheet", "集計", "2"));
    auto out = Output();
    ASSERT_TRUE(out);
    EXPECT_EQ(out->SheetNames(), QStringList({"シート一覧", "表紙", "sheet3"}));
    EXPECT_EQ(out->sheets[0].At("C4").Text(), QStringLiteral("sheet3"));

    // Whole-name mode drops only the sheets named exactly so.
    QFile::remove(OutputFile());
    Run(Params({a, b}, "Sheet", "集計", "1"));
    out = Output();
    ASSERT_TRUE(out);
    EXPECT_EQ(out->SheetNames(),
              QStringList({"シート一覧", "Sheet1", "表紙", "Sheet2", "MySheet", "sheet3"}));
}

TEST_F(EngineTest, LeavingOutEverySheetOfTheFirstBookIsRefused) {
    const QString a = WriteNamed("a.xls", {"Sheet1", "Sheet2"});
    const QString b = WriteNamed("b.xls", {"集計"});
    Run(Params({a, b}, "Sheet"));
    EXPECT_FALSE(QFileInfo::exists(OutputFile()));
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral("１番目のブックのシートがすべて")));
    EXPECT_EQ(host.calls, QStringList({"EndProgram"}));
    EXPECT_TRUE(office.Calls("Workbooks.Open " + b).isEmpty());
    EXPECT_TRUE(FilesIn(Temp("out")).isEmpty());
    EXPECT_EQ(office.ApplicationsRunning(), 0);
}

TEST_F(EngineTest, StopDuringBookTwoSavesWhatWasCopiedWithTheList) {
    const QString a = WriteNamed("a.xls", {"A1", "A2"});
    const QString b = WriteNamed("b.xls", {"B1", "B2", "B3"});
    const QString c = WriteNamed("c.xls", {"C1"});
    // The user confirms the stop while B2 is being copied.
    progress.onEvents = [&](tools_test::FakeProgress& p) {
        if (p.Label(sheet::ProgressLabel::Item).endsWith(" B2"))
            sheet::RequestCancel();
    };
    Run(Params({a, b, c}));
    const auto out = Output();
    ASSERT_TRUE(out);
    EXPECT_EQ(out->SheetNames(), QStringList({"シート一覧", "A1", "A2", "B1", "B2"}));
    EXPECT_EQ(out->sheets[0].At("A6").Text(), QStringLiteral("B2"));
    EXPECT_TRUE(office.Calls("Workbooks.Open " + c).isEmpty());
    EXPECT_EQ(host.calls, QStringList({"ReturnToCaller"}));
    EXPECT_EQ(process.starts.size(), 1);
}

TEST_F(EngineTest, SheetLimitStopsTheRunAndSavesWithoutTheList) {
    const QString a = WriteNamed("a.xls", {"A1", "A2"});
    const QString b = WriteNamed("b.xls", {"B1", "B2", "B3"});
    const QString c = WriteNamed("c.xls", {"C1"});
    office.SetSheetLimit(4);
    Run(Params({a, b, c}));
    const auto out = Output();
    ASSERT_TRUE(out);
    EXPECT_EQ(out->SheetNames(), QStringList({"A1", "A2", "B1", "B2"}));
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.LastText(), QStringLiteral("作成するブックのシート数が制限に達しました。"
                                                  "\r\r処理を終了します。"));
    EXPECT_EQ(messages.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(office.Calls("Workbooks.Open " + c).isEmpty());
    EXPECT_EQ(process.starts.size(), 1);
}

TEST_F(EngineTest, ProtectedBooksAskForThePasswordAndCancelSkipsTheBook) {
    const QString a = WriteNamed("a.xls", {"A1"});
    const QString b = WriteNamed("b.xls", {"B1"}, "secret");
    const QString c = WriteNamed("c.xls", {"C1"}, "other");
    const QString d = WriteNamed("d.xls", {"D1"});
    passwords.answers = {QStringLiteral("wrong"), QStringLiteral("secret"), std::nullopt};
    Run(Params({a, b, c, d}));
    const auto out = Output();
    ASSERT_TRUE(out);
    EXPECT_EQ(out->SheetNames(), QStringList({"シート一覧", "A1", "B1", "D1"}));
    EXPECT_EQ(passwords.asked, QStringList({b, b + " retry", c}));
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.LastText(),
              QStringLiteral("パスワードがキャンセルされました。\rこのブックは処理しません。\r"));

    // A book that cannot be opened for another reason says so instead.
    QFile::remove(OutputFile());
    QFile broken(Book("broken.xls"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a workbook");
    broken.close();
    Run(Params({a, Book("broken.xls"), d}));
    EXPECT_EQ(passwords.asked.size(), 3);
    EXPECT_TRUE(messages.LastText().endsWith(QStringLiteral("\rこのブックは処理しません。\r")));
    EXPECT_FALSE(messages.LastText().contains(QStringLiteral("パスワードがキャンセル")));
    ASSERT_TRUE(Output());
    EXPECT_EQ(Output()->SheetNames(), QStringList({"シート一覧", "A1", "D1"}));
}

// Only a refusal for want of the password asks for one: a damaged book, whose
// error may well mention passwords, is reported with that error.
TEST_F(EngineTest, ADamagedBookGetsItsErrorNotThePasswordPrompt) {
    const QString a = WriteNamed("a.xls", {"A1"});
    const QString b = WriteNamed("b.xls", {"B1"});
    const QString c = WriteNamed("c.xls", {"C1"});
    const QString damaged = QStringLiteral("'%1' を開けません。パスワードで保護されているか、"
                                           "ブックではありません。")
                                .arg(b);
    office.FailOn(QStringLiteral("Workbooks.Open ") + b, 0, sheet::SheetErrorKind::NotWorkbook,
                  damaged);
    passwords.answers = {QStringLiteral("whatever")};
    Run(Params({a, b, c}));
    EXPECT_TRUE(passwords.asked.isEmpty()) << passwords.asked.join('|').toStdString();
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.LastText(), QString::number(sheet::kErrMethodFailed) + QLatin1Char(' ') +
                                       damaged + QStringLiteral("\rこのブックは処理しません。\r"));
    EXPECT_EQ(messages.messages[0].icon, MsgIcon::Exclamation);
    ASSERT_TRUE(Output());
    EXPECT_EQ(Output()->SheetNames(), QStringList({"シート一覧", "A1", "C1"}));
}

TEST_F(EngineTest, FailuresBeforeTheMergeEndTheRunWithoutAnOutput) {
    const QString a = WriteNamed("a.xls", {"A1"});

    // The user leaves the spreadsheet application open: back to the caller.
    probe.installed = false;
    Run(Params({a}));
    EXPECT_EQ(host.calls, QStringList({"EndProgram"}));
    EXPECT_EQ(office.ApplicationsCreated(), 0);
    probe.installed = true;

    // No template: nothing is saved, not even the settings.
    host.calls.clear();
    messages.messages.clear();
    templatePath = Temp("missing.EXL");
    Run(Params({a}));
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.LastText().endsWith(QStringLiteral("\r元ブック がない")));
    EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral("1004 ")));
    EXPECT_TRUE(host.calls.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(OutputFile()));
    EXPECT_EQ(office.ApplicationsRunning(), 0);

    // An output folder that cannot be written: said at once, settings kept.
    templatePath = Temp("BOOKMRGX.EXL");
    messages.messages.clear();
    bookmrg::RunParams p = Params({a});
    p.outputBook = Temp("gone/out.xls");
    Run(p);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral("出力するブックを作成できません。")));
    EXPECT_EQ(host.calls, QStringList({"EndProgram"}));
    EXPECT_TRUE(process.starts.isEmpty());
}

// A failed start leaves nothing of the run in the output folder by the time
// the program ends, and the message names the user's book, not its working
// copy.
TEST_F(EngineTest, AFailedStartLeavesNoWorkingCopyBehind) {
    const QString a = WriteNamed("a.xls", {"A1"});
    const QString b = WriteNamed("b.xls", {"B1"});
    Run(Params({a, b}, "A")); // every sheet of book 1 left out
    EXPECT_EQ(host.calls, QStringList({"EndProgram"}));
    EXPECT_TRUE(FilesIn(Temp("out")).isEmpty()) << FilesIn(Temp("out")).join(' ').toStdString();

    QFile broken(Book("broken1.xls"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a workbook");
    broken.close();
    host.calls.clear();
    Run(Params({Book("broken1.xls"), b}));
    EXPECT_EQ(host.calls, QStringList({"EndProgram"}));
    EXPECT_TRUE(FilesIn(Temp("out")).isEmpty()) << FilesIn(Temp("out")).join(' ').toStdString();
    EXPECT_TRUE(messages.LastText().contains(Book("broken1.xls")))
        << messages.LastText().toStdString();
    EXPECT_FALSE(messages.LastText().contains(QStringLiteral(".~bookmrg")));
}

TEST_F(EngineTest, AFailedSaveKeepsThePreviousOutputAndOpensNothing) {
    const QString a = WriteNamed("a.xls", {"A1"});
    const QString b = WriteNamed("b.xls", {"B1"});
    Run(Params({a}));
    const QByteArray previous = FileBytes(OutputFile());
    ASSERT_FALSE(previous.isEmpty());
    process.starts.clear();
    host.calls.clear();

    office.FailOn("SaveAs", 0, sheet::SheetErrorKind::CannotWrite,
                  QStringLiteral("書き込めません"));
    Run(Params({a, b}));
    EXPECT_EQ(FileBytes(OutputFile()), previous);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral("ブックを保存できませんでした。")));
    EXPECT_TRUE(messages.LastText().contains(QStringLiteral("70 書き込めません")));
    EXPECT_EQ(host.calls, QStringList({"ReturnToCaller"}));
    EXPECT_TRUE(process.starts.isEmpty());
    EXPECT_EQ(FilesIn(Temp("out")), QStringList({QStringLiteral("結果.xls")}));
}

TEST_F(EngineTest, AnOfficeLostWhileOpeningABookEndsTheRunWithOneMessage) {
    const QString a = WriteNamed("a.xls", {"A1"});
    const QString b = WriteNamed("b.xls", {"B1"});
    const QString c = WriteNamed("c.xls", {"C1"});
    office.FailOn(QStringLiteral("Workbooks.Open ") + b, 0, sheet::SheetErrorKind::OfficeLost,
                  QStringLiteral("接続が切れました"));
    Run(Params({a, b, c}));
    // Not one "このブックは処理しません。" per remaining book, and no output.
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral("処理中にエラーが発生しました。")));
    EXPECT_TRUE(messages.LastText().contains(QStringLiteral("462 接続が切れました")));
    EXPECT_FALSE(QFileInfo::exists(OutputFile()));
    EXPECT_EQ(host.calls, QStringList({"ReturnToCaller"}));
    EXPECT_TRUE(process.starts.isEmpty());
    EXPECT_EQ(office.ApplicationsRunning(), 0);
}

// A refused copy means the output is full; a lost office is not taken for
// that: the run ends with the office's error and saves nothing.
TEST_F(EngineTest, AnOfficeLostDuringASheetCopyIsNotTakenForTheSheetLimit) {
    const QString a = WriteNamed("a.xls", {"A1"});
    const QString b = WriteNamed("b.xls", {"B1", "B2"});
    office.FailOn(QStringLiteral("Worksheets(B2).Copy"), 0, sheet::SheetErrorKind::OfficeLost,
                  QStringLiteral("接続が切れました"));
    Run(Params({a, b}));
    ASSERT_EQ(messages.Count(), 1) << messages.Texts().join('|').toStdString();
    EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral("処理中にエラーが発生しました。")));
    EXPECT_TRUE(messages.LastText().contains(QStringLiteral("462 接続が切れました")));
    EXPECT_FALSE(messages.LastText().contains(QStringLiteral("制限")));
    EXPECT_EQ(messages.messages[0].icon, MsgIcon::Critical);
    EXPECT_FALSE(QFileInfo::exists(OutputFile()));
    EXPECT_TRUE(FilesIn(Temp("out")).isEmpty());
    EXPECT_EQ(host.calls, QStringList({"ReturnToCaller"}));
    EXPECT_TRUE(process.starts.isEmpty());
    EXPECT_EQ(office.ApplicationsRunning(), 0);
}

TEST_F(EngineTest, ASingleBookGivesItsCopyWithTheListAndReplacesTheOldOutput) {
    const QString a = WriteNamed("a.xls", {"Sheet1", "Sheet2"});
    const bookmrg::RunParams params = Params({a});
    ASSERT_TRUE(fakesheet::WriteBook(OutputFile(), fakesheet::MakeBook({{"old", {}}})));
    Run(params);
    const auto out = Output();
    ASSERT_TRUE(out);
    EXPECT_EQ(out->SheetNames(), QStringList({"シート一覧", "Sheet1", "Sheet2"}));
    EXPECT_EQ(Column(out->sheets[0], "B", 2), QStringList({a, a}));
    // With one book the counter never shows.
    EXPECT_TRUE(progress.ken1.filter("/").isEmpty());
}

// An output workbook that another office holds open is not replaced: said
// before anything is copied, and again if it is opened during the run.
TEST_F(EngineTest, AnOutputOpenElsewhereIsNotReplaced) {
    const QString a = WriteNamed("a.xls", {"A1"});
    const QString b = WriteNamed("b.xls", {"B1"});
    Run(Params({a}));
    const QByteArray previous = FileBytes(OutputFile());
    ASSERT_FALSE(previous.isEmpty());
    host.calls.clear();
    process.starts.clear();
    office.ClearLog();

    const QString lockFile = sheet::OfficeLockPath(OutputFile());
    {
        QFile lock(lockFile);
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write(",sato,pc-12,08.12.2026 10:00,file:///home/sato/.config/x/4;");
    }
    Run(Params({a, b}));
    EXPECT_EQ(FileBytes(OutputFile()), previous);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.LastText().startsWith(
        QStringLiteral("このブックは他で開かれているため、処理できません。")));
    EXPECT_TRUE(messages.LastText().contains(QStringLiteral("sato@pc-12")));
    EXPECT_EQ(office.Calls(QStringLiteral("Workbooks.Open")).size(), 1); // the template only
    EXPECT_TRUE(process.starts.isEmpty());
    QFile::remove(lockFile);

    // Opened while book 2 is merged.
    messages.messages.clear();
    progress.onEvents = [&](tools_test::FakeProgress&) {
        QFile lock(lockFile);
        if (!lock.exists() && lock.open(QIODevice::WriteOnly))
            lock.write(",sato,pc-12,08.12.2026 10:05,file:///home/sato/.config/x/4;");
    };
    Run(Params({a, b}));
    progress.onEvents = nullptr;
    EXPECT_EQ(FileBytes(OutputFile()), previous);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.LastText().contains(QStringLiteral("10:05")));
    EXPECT_TRUE(process.starts.isEmpty());
    EXPECT_EQ(FilesIn(Temp("out")),
              (QStringList{QStringLiteral(".~lock.結果.xls#"), QStringLiteral("結果.xls")}));
}

} // namespace
