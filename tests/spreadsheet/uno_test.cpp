// The LibreOffice backend against the real office: workbooks made here,
// saved as .xls, reopened and checked.

#include "common/messages.h"
#include "damaged_book.h"
#include "office_inspect.h"
#include "spreadsheet/gate.h"
#include "spreadsheet/lo/running.h"
#include "spreadsheet/office_lock.h"
#include "spreadsheet/run_files.h"
#include "spreadsheet/spreadsheet.h"
#include "uno_support.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using sheet::CellValue;
using sheet::GateChoice;
using sheet::SheetError;
using sheet::Where;

std::vector<pid_t> g_started;

std::unique_ptr<sheet::Application> NewApp() {
    auto app = sheet::CreateApplication();
    g_started.push_back(sheet::lo::OfficePid(*app));
    return app;
}

QString Text(const CellValue& v) {
    return std::holds_alternative<QString>(v) ? std::get<QString>(v) : QStringLiteral("<not text>");
}

double Num(const CellValue& v) {
    if (std::holds_alternative<double>(v))
        return std::get<double>(v);
    ADD_FAILURE() << "not a number: "
                  << (std::holds_alternative<QString>(v) ? std::get<QString>(v).toStdString()
                                                         : std::string("<empty>"));
    return -1;
}

// The sheet an internal link leads to ("#'O''Brien'.B1" or "#Data.B1").
QString LinkSheet(const QString& url, const QString& cell) {
    QString s = url;
    if (!s.startsWith(QLatin1Char('#')) || !s.endsWith(QLatin1Char('.') + cell))
        return QStringLiteral("<bad link: ") + url + QLatin1Char('>');
    s = s.mid(1, s.size() - 2 - cell.size());
    if (s.size() >= 2 && s.startsWith(QLatin1Char('\'')) && s.endsWith(QLatin1Char('\''))) {
        s = s.mid(1, s.size() - 2);
        s.replace(QStringLiteral("''"), QStringLiteral("'"));
    }
    return s;
}

// A workbook with the given sheet names, made by copying its first sheet.
std::shared_ptr<sheet::Workbook> MakeBook(sheet::Application& app, const QStringList& names) {
    auto book = app.Workbooks().Add();
    book->Worksheets(1)->SetName(names[0]);
    for (int i = 1; i < names.size(); ++i) {
        auto copy = book->Worksheets(i)->Copy(Where::After, *book->Worksheets(i));
        copy->SetName(names[i]);
    }
    return book;
}

// The temp folder an office process was given.
QString OfficeTempDir(pid_t office) {
    QFile environ(QStringLiteral("/proc/%1/environ").arg(office));
    if (!environ.open(QIODevice::ReadOnly))
        return QString();
    for (const QByteArray& entry : environ.readAll().split('\0'))
        if (entry.startsWith("TMPDIR="))
            return QFile::decodeName(entry.mid(7));
    return QString();
}

// The pipe sockets of this process's private offices in the shared temp
// folders.
QStringList OwnPipeSockets() {
    QStringList found;
    const QString pattern = QStringLiteral("OSL_PIPE_*tamra_%1_*").arg(getpid());
    for (const QString& folder : {QStringLiteral("/tmp"), QStringLiteral("/var/tmp")})
        for (const QString& name : QDir(folder).entryList({pattern}, QDir::System | QDir::Hidden))
            found << folder + QLatin1Char('/') + name;
    return found;
}

TEST(LibreOfficeBackend, MergeIndexSaveAndReopen) {
    QTemporaryDir dir;
    auto app = NewApp();

    auto a = MakeBook(*app, {QStringLiteral("データ"), QStringLiteral("2024"),
                             QStringLiteral("A B"), QStringLiteral("O'Brien")});
    a->Worksheets(QStringLiteral("データ"))->Range(QStringLiteral("A1"))->SetValue(u"一"_qs);
    auto code = a->Worksheets(QStringLiteral("2024"))->Range(QStringLiteral("B2"));
    code->SetNumberFormatLocal(QStringLiteral("@"));
    code->SetValue(QStringLiteral("00123"));
    a->Worksheets(QStringLiteral("2024"))->Cells(3, 2)->SetValue(QStringLiteral("2024"));
    a->Worksheets(QStringLiteral("2024"))->Cells(4, 2)->SetValue(2024.0);
    a->SaveAs(dir.filePath(QStringLiteral("a")));
    EXPECT_EQ(a->Name(), QStringLiteral("a.xls"));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("a.xls"))));
    auto b = MakeBook(*app, {QStringLiteral("データ"), QStringLiteral("Sheet1")});
    b->SaveAs(dir.filePath(QStringLiteral("b.xls")));

    // Consolidate: every sheet of a and b behind the new book's sheet.
    auto out = app->Workbooks().Add();
    EXPECT_EQ(out->Worksheets(1)->Name(), QStringLiteral("Sheet1"));
    QString last = QStringLiteral("Sheet1");
    QStringList copied;
    for (auto src : {a, b}) {
        for (int i = 1; i <= src->SheetCount(); ++i) {
            auto made = src->Worksheets(i)->Copy(Where::After, *out->Worksheets(last));
            EXPECT_EQ(app->ActiveSheet()->Name(), made->Name());
            last = made->Name();
            copied << last;
        }
    }
    EXPECT_EQ(copied, QStringList({QStringLiteral("データ"), QStringLiteral("2024"),
                                   QStringLiteral("A B"), QStringLiteral("O'Brien"),
                                   QStringLiteral("データ_2"), QStringLiteral("Sheet1_2")}));
    // Renaming onto a used name is refused, not silently ignored.
    EXPECT_THROW(out->Worksheets(QStringLiteral("データ_2"))->SetName(QStringLiteral("2024")),
                 SheetError);
    EXPECT_THROW(out->Worksheets(QStringLiteral("A B"))->SetName(QStringLiteral("a[b]")),
                 SheetError);

    // The index sheet in front, as the engines build it.
    out->Worksheets(QStringLiteral("Sheet1"))->Delete();
    auto index = a->Worksheets(1)->Copy(Where::Before, *out->Worksheets(1));
    index->SetName(QStringLiteral("シート一覧"));
    EXPECT_EQ(app->ActiveSheet()->Name(), QStringLiteral("シート一覧"));
    index->Cells(1, 1)->SetValue(QStringLiteral("※※　目　　次　※※"));
    for (int i = 0; i < copied.size(); ++i) {
        const int r = i + 3;
        index->Range(QStringLiteral("A%1").arg(r))->Select();
        index->Hyperlinks().Add(*app->Selection(), QString(),
                                QLatin1Char('\'') + copied[i] + QStringLiteral("'!B1"),
                                QLatin1Char('\'') + copied[i]);
        index->Range(QStringLiteral("A%1").arg(r))->SetFontSize(11);
        index->Range(QStringLiteral("C%1").arg(r))->SetNumberFormatLocal(QStringLiteral("@"));
        index->Range(QStringLiteral("C%1").arg(r))->SetValue(copied[i]);
    }
    index->Range(QStringLiteral("E1"))->SetValue(0.05);
    index->Range(QStringLiteral("E1"))->SetNumberFormatLocal(QStringLiteral("0%"));
    auto grid = index->Range(QStringLiteral("D2:D18"));
    grid->Select();
    EXPECT_EQ(app->Selection()->Address(), QStringLiteral("D2:D18"));
    app->Selection()->SetBorder(sheet::xlDiagonalDown, {sheet::xlLineStyleNone, 0, 0});
    for (int edge : {sheet::xlEdgeLeft, sheet::xlEdgeTop, sheet::xlEdgeBottom, sheet::xlEdgeRight})
        app->Selection()->SetBorder(edge, {});
    app->Selection()->SetInterior({40, sheet::xlAutomatic, sheet::xlAutomatic});
    index->AllCells()->AutoFitColumns();
    out->Worksheets(1)->Activate();
    out->Worksheets(1)->Cells(1, 1)->Select();

    // Replacing an existing file.
    QFile old(dir.filePath(QStringLiteral("out.xls")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old content");
    old.close();
    out->SaveAs(dir.filePath(QStringLiteral("out")));
    EXPECT_EQ(out->Name(), QStringLiteral("out.xls"));
    for (auto* book : {&a, &b, &out})
        (*book)->Close();

    // Reopen and check.
    auto back = app->Workbooks().Open(dir.filePath(QStringLiteral("out.xls")), {true, {}});
    QStringList names;
    for (int i = 1; i <= back->SheetCount(); ++i)
        names << back->Worksheets(i)->Name();
    EXPECT_EQ(names,
              QStringList({QStringLiteral("シート一覧"), QStringLiteral("データ"),
                           QStringLiteral("2024"), QStringLiteral("A B"), QStringLiteral("O'Brien"),
                           QStringLiteral("データ_2"), QStringLiteral("Sheet1_2")}));
    EXPECT_EQ(app->ActiveSheet()->Name(), QStringLiteral("シート一覧"));
    auto list = back->Worksheets(1);
    EXPECT_EQ(Text(list->Range(QStringLiteral("A1"))->Value()), QStringLiteral("※※　目　　次　※※"));
    for (int i = 0; i < copied.size(); ++i) {
        auto link = list->Cells(i + 3, 1);
        EXPECT_EQ(Text(link->Value()), copied[i]);
        const QStringList urls = sheet::lo::CellLinks(*link);
        ASSERT_EQ(urls.size(), 1);
        EXPECT_EQ(LinkSheet(urls[0], QStringLiteral("B1")), copied[i]) << urls[0].toStdString();
        EXPECT_EQ(sheet::lo::CellFontSize(*link), 11.0);
        EXPECT_EQ(Text(list->Cells(i + 3, 3)->Value()), copied[i]);
        EXPECT_EQ(list->Cells(i + 3, 3)->NumberFormatLocal(), QStringLiteral("@"));
    }
    EXPECT_EQ(Num(list->Range(QStringLiteral("E1"))->Value()), 0.05);
    EXPECT_EQ(list->Range(QStringLiteral("E1"))->NumberFormatLocal(), QStringLiteral("0%"));
    EXPECT_EQ(sheet::lo::CellBackColor(*list->Range(QStringLiteral("D10"))), 0xFFCC99);
    EXPECT_EQ(sheet::lo::CellBackColor(*list->Range(QStringLiteral("C10"))), -1);
    for (int w : sheet::lo::RangeBorderWidths(*list->Range(QStringLiteral("D2:D18"))))
        EXPECT_GT(w, 0);

    auto year = back->Worksheets(QStringLiteral("2024"));
    EXPECT_EQ(Text(year->Range(QStringLiteral("B2"))->Value()), QStringLiteral("00123"));
    EXPECT_EQ(Text(year->Range(QStringLiteral("B3"))->Value()), QStringLiteral("2024"));
    EXPECT_EQ(Num(year->Range(QStringLiteral("B4"))->Value()), 2024.0);
    EXPECT_EQ(Text(back->Worksheets(QStringLiteral("データ"))->Cells(1, 1)->Value()), u"一"_qs);

    const pid_t pid = sheet::lo::OfficePid(*app);
    app->Quit();
    EXPECT_FALSE(unotest::ProcessAlive(pid));
    EXPECT_THROW(app->Workbooks().Add(), SheetError);
}

// Whole arrays of values and groups of formulas go in a few calls; each
// value and formula must still land in its own cell.
TEST(LibreOfficeBackend, BatchedValuesAndFormulasLandInTheirCells) {
    auto app = NewApp();
    auto book = MakeBook(*app, {QStringLiteral("Data"), QStringLiteral("Sum")});
    auto data = book->Worksheets(QStringLiteral("Data"));
    auto area = data->Range(QStringLiteral("B2:C4"));
    area->SetValues({{QStringLiteral("00123"), 2024.0},
                     {QStringLiteral("'4-1"), CellValue()},
                     {QStringLiteral("2024"), 7.5}});
    EXPECT_EQ(Text(data->Range(QStringLiteral("B2"))->Value()), QStringLiteral("00123"));
    EXPECT_EQ(Num(data->Range(QStringLiteral("C2"))->Value()), 2024.0);
    EXPECT_EQ(Text(data->Range(QStringLiteral("B3"))->Value()), QStringLiteral("4-1"));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(data->Range(QStringLiteral("C3"))->Value()));
    EXPECT_EQ(Text(data->Range(QStringLiteral("B4"))->Value()), QStringLiteral("2024"));
    EXPECT_THROW(area->SetValues({{1.0, 2.0}}), SheetError);
    EXPECT_THROW(area->SetValues({{1.0}, {2.0}, {3.0}}), SheetError);

    // An L shape, a gap in a row, a lone cell and a cell named twice.
    auto sum = book->Worksheets(QStringLiteral("Sum"));
    sum->SetFormulas({{1, 1, QStringLiteral("=$Data.C2+1")},
                      {1, 2, QStringLiteral("=$Data.C4*2")},
                      {2, 1, QStringLiteral("=A1+1")},
                      {2, 2, QStringLiteral("=B1+1")},
                      {3, 1, QStringLiteral("=A2+1")},
                      {1, 4, QStringLiteral("=A1*10")},
                      {6, 5, QStringLiteral("=1")},
                      {6, 5, QStringLiteral("=SUM(A1:A3)")}});
    const QList<sheet::FormulaCell> set = sum->Formulas();
    QStringList cells;
    for (const sheet::FormulaCell& f : set)
        cells << QStringLiteral("R%1C%2 %3").arg(f.row).arg(f.column).arg(f.formula);
    EXPECT_EQ(cells,
              QStringList({QStringLiteral("R1C1 =$Data.C2+1"), QStringLiteral("R1C2 =$Data.C4*2"),
                           QStringLiteral("R1C4 =A1*10"), QStringLiteral("R2C1 =A1+1"),
                           QStringLiteral("R2C2 =B1+1"), QStringLiteral("R3C1 =A2+1"),
                           QStringLiteral("R6C5 =SUM(A1:A3)")}));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(sum->Cells(1, 3)->Value()));
    EXPECT_EQ(Num(sum->Cells(6, 5)->Value()), 2025.0 + 2026.0 + 2027.0);
    EXPECT_EQ(Num(sum->Cells(1, 4)->Value()), 20250.0);
    app->Quit();
}

TEST(LibreOfficeBackend, NamesTravelWithTheCopiedSheet) {
    auto app = NewApp();
    auto tpl = app->Workbooks().Open(unotest::SourceDir() +
                                     QStringLiteral("/tests/spreadsheet/data/names.fods"));
    EXPECT_EQ(tpl->Name(), QStringLiteral("names.fods"));
    auto out = app->Workbooks().Add();
    tpl->Worksheets(QStringLiteral("元シート"))
        ->Copy(Where::Before, *out->Worksheets(QStringLiteral("sheet1")));
    auto report = app->ActiveSheet();
    report->SetName(QStringLiteral("価格で比較"));
    auto users = report->Range(QStringLiteral("SC_ユーザ数"));
    users->SetValue(12.0);
    EXPECT_EQ(users->Address(), QStringLiteral("C2"));
    // Names are found whatever their letter case, as in the double.
    EXPECT_EQ(report->Range(QStringLiteral("sc_ユーザ数"))->Address(), QStringLiteral("C2"));
    EXPECT_EQ(Num(report->Range(QStringLiteral("D2"))->Value()), 24.0);
    // The template itself is untouched.
    EXPECT_EQ(Num(tpl->Worksheets(1)->Range(QStringLiteral("C2"))->Value()), 0.0);
    report->Range(QStringLiteral("JC_１年目保守費用"))->SetNumberFormatLocal(QStringLiteral("0%"));
    EXPECT_THROW(report->Range(QStringLiteral("NO_SUCH_NAME")), SheetError);
    EXPECT_THROW(out->Worksheets(QStringLiteral("Sheet2"))->Delete(), SheetError);
    out->Worksheets(QStringLiteral("Sheet1"))->Delete();
    EXPECT_EQ(out->SheetCount(), 1);
    EXPECT_THROW(out->Worksheets(1)->Delete(), SheetError);
    app->Quit();
}

// Names set while the updates are held take effect when the last hold ends:
// a formula that read the workbook's name reads the sheet's own name of the
// same name added meanwhile, and a changed content.
TEST(LibreOfficeBackend, NamesSetWhileHeldReachTheFormulasWhenTheHoldEnds) {
    auto app = NewApp();
    auto book = MakeBook(*app, {QStringLiteral("Data"), QStringLiteral("Sum")});
    book->SetName({QStringLiteral("Rate"), QStringLiteral("2")});
    auto sum = book->Worksheets(QStringLiteral("Sum"));
    auto data = book->Worksheets(QStringLiteral("Data"));
    sum->SetFormulas({{1, 1, QStringLiteral("=Rate*10")}});
    data->SetFormulas({{1, 1, QStringLiteral("=Rate*10")}});
    book->HoldNameUpdates(true);
    book->HoldNameUpdates(true);
    sum->SetLocalName({QStringLiteral("Rate"), QStringLiteral("3")});
    book->SetName({QStringLiteral("Rate"), QStringLiteral("4")});
    book->HoldNameUpdates(false);
    book->HoldNameUpdates(false);
    EXPECT_EQ(Num(sum->Cells(1, 1)->Value()), 30.0);
    EXPECT_EQ(Num(data->Cells(1, 1)->Value()), 40.0);
    app->Quit();
}

TEST(LibreOfficeBackend, OpenAndSaveFailuresAreErrors) {
    QTemporaryDir dir;
    auto app = NewApp();
    auto book = app->Workbooks().Add();
    book->Worksheets(1)->Cells(1, 1)->SetValue(QStringLiteral("secret"));
    sheet::lo::SaveProtectedCopy(*book, dir.filePath(QStringLiteral("locked.xls")),
                                 QStringLiteral("pw"));
    const QString locked = dir.filePath(QStringLiteral("locked.xls"));

    auto expectOpenError = [&](const QString& path, sheet::SheetErrorKind kind,
                               const sheet::OpenOptions& options = {}) {
        try {
            app->Workbooks().Open(path, options);
            ADD_FAILURE() << "opened " << path.toStdString();
        } catch (const SheetError& e) {
            EXPECT_EQ(e.Kind(), kind) << path.toStdString() << ": " << e.what();
            EXPECT_EQ(e.Number(), sheet::kErrMethodFailed);
            EXPECT_FALSE(e.Description().isEmpty());
        }
    };
    using Kind = sheet::SheetErrorKind;
    expectOpenError(locked, Kind::PasswordRequired);
    expectOpenError(locked, Kind::PasswordRequired, {true, QStringLiteral("wrong")});
    auto opened = app->Workbooks().Open(locked, {true, QStringLiteral("pw")});
    EXPECT_EQ(Text(opened->Worksheets(1)->Cells(1, 1)->Value()), QStringLiteral("secret"));
    opened->Close();

    QFile junk(dir.filePath(QStringLiteral("junk.xls")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(600, '\x01'));
    junk.close();
    expectOpenError(junk.fileName(), Kind::NotWorkbook);
    // A real workbook whose first record is damaged still passes type
    // detection and fails in the load: damaged, not protected.
    auto plain = app->Workbooks().Add();
    const QString damaged = dir.filePath(QStringLiteral("damaged.xls"));
    plain->SaveAs(damaged);
    plain->Close();
    ASSERT_TRUE(test_support::WipeWorkbookRecord(damaged));
    expectOpenError(damaged, Kind::NotWorkbook);
    // A classic workbook saved with a password, opened without it or with a
    // wrong one.
    auto secret = app->Workbooks().Add();
    secret->SaveAs(dir.filePath(QStringLiteral("secret.xls")), sheet::xlNormal,
                   QStringLiteral("pw"));
    secret->Close();
    expectOpenError(dir.filePath(QStringLiteral("secret.xls")), Kind::PasswordRequired);
    expectOpenError(dir.filePath(QStringLiteral("secret.xls")), Kind::PasswordRequired,
                    {true, QStringLiteral("bad")});

    // Saving where it cannot be written fails and keeps the previous file.
    EXPECT_THROW(book->SaveAs(dir.filePath(QStringLiteral("no/such/folder/x.xls"))), SheetError);
    QFile readOnly(dir.filePath(QStringLiteral("ro.xls")));
    ASSERT_TRUE(readOnly.open(QIODevice::WriteOnly));
    readOnly.write("keep");
    readOnly.close();
    readOnly.setPermissions(QFile::ReadOwner);
    if (QFileInfo(readOnly.fileName()).isWritable()) {
        GTEST_LOG_(INFO) << "running as root: read-only files are writable";
    } else {
        EXPECT_THROW(book->SaveAs(readOnly.fileName()), SheetError);
        ASSERT_TRUE(readOnly.open(QIODevice::ReadOnly));
        EXPECT_EQ(readOnly.readAll(), QByteArray("keep"));
        readOnly.close();
    }
    app->Quit();
    QStringList leftovers =
        QDir(dir.path()).entryList({QStringLiteral(".~*")}, QDir::Hidden | QDir::Files);
    EXPECT_TRUE(leftovers.isEmpty()) << leftovers.join(' ').toStdString();
}

// An installed template or a colleague's book the user may read but not
// write opens (read-only); one the user may not read says so. Root reads and
// writes everything: there the write-protected file must open all the same.
TEST(LibreOfficeBackend, WriteProtectedFilesOpenAndUnreadableOnesSaySo) {
    QTemporaryDir dir;
    auto app = NewApp();
    auto book = app->Workbooks().Add();
    book->Worksheets(1)->Cells(1, 1)->SetValue(2.5);
    const QString path = dir.filePath(QStringLiteral("配布用.xls"));
    book->SaveAs(path);
    book->Close();

    ASSERT_TRUE(
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    auto opened = app->Workbooks().Open(path);
    EXPECT_EQ(Num(opened->Worksheets(1)->Cells(1, 1)->Value()), 2.5);
    opened->Close();

    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::Permissions()));
    if (QFileInfo(path).isReadable()) {
        GTEST_LOG_(INFO) << "running as root: unreadable files are readable";
    } else {
        try {
            app->Workbooks().Open(path);
            ADD_FAILURE() << "opened an unreadable file";
        } catch (const SheetError& e) {
            EXPECT_TRUE(e.Description().contains(QStringLiteral("読み取れません")))
                << e.Description().toStdString();
        }
    }
    app->Quit();
}

TEST(LibreOfficeBackend, AnOfficeCrashIsAnErrorNotAHang) {
    auto app = NewApp();
    auto book = app->Workbooks().Add();
    const pid_t pid = sheet::lo::OfficePid(*app);
    ASSERT_GT(pid, 0);
    kill(pid, SIGKILL);
    QThread::msleep(200);
    QElapsedTimer timer;
    timer.start();
    try {
        book->Worksheets(1)->Cells(1, 1)->SetValue(1.0);
        book->SaveAs(QDir::temp().filePath(QStringLiteral("never.xls")));
        ADD_FAILURE() << "no error after the office died";
    } catch (const SheetError& e) {
        EXPECT_EQ(e.Number(), sheet::kErrServerGone) << e.what();
    }
    EXPECT_LT(timer.elapsed(), 10000);
    app->Quit();
}

TEST(LibreOfficeBackend, NoPrivateInstanceOutlivesAKilledProgram) {
    QProcess helper;
    helper.start(QCoreApplication::applicationDirPath() +
                 QStringLiteral("/spreadsheet_orphan_helper"));
    ASSERT_TRUE(helper.waitForStarted(5000));
    ASSERT_TRUE(helper.waitForReadyRead(60000));
    const pid_t office = helper.readLine().trimmed().toInt();
    ASSERT_GT(office, 0);
    EXPECT_TRUE(unotest::ProcessAlive(office));
    const QString officeTmp = OfficeTempDir(office);
    ASSERT_FALSE(officeTmp.isEmpty());
    const pid_t helperPid = pid_t(helper.processId());
    kill(helperPid, SIGKILL);
    helper.waitForFinished(5000);
    QElapsedTimer timer;
    timer.start();
    while (unotest::ProcessAlive(office) && timer.elapsed() < 10000)
        QThread::msleep(50);
    EXPECT_FALSE(unotest::ProcessAlive(office));

    // The killed office left its pipe socket and its temp folder; the next
    // start of a program removes them, and nothing of a live run.
    const QString pattern = QStringLiteral("OSL_PIPE_*tamra_%1_*").arg(helperPid);
    const QStringList left = QDir(QStringLiteral("/tmp")).entryList({pattern}, QDir::System);
    EXPECT_EQ(left.size(), 1);
    EXPECT_TRUE(QFileInfo::exists(officeTmp));
    sheet::RemoveDeadRunLeftovers();
    EXPECT_TRUE(QDir(QStringLiteral("/tmp")).entryList({pattern}, QDir::System).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(officeTmp));
    // Another program starting while a run goes on leaves that run alone.
    auto live = NewApp();
    const QStringList ours = OwnPipeSockets();
    const QString liveTmp = OfficeTempDir(sheet::lo::OfficePid(*live));
    sheet::RemoveDeadRunLeftovers();
    EXPECT_EQ(OwnPipeSockets(), ours);
    EXPECT_TRUE(QFileInfo::exists(liveTmp));
    auto book = live->Workbooks().Add();
    EXPECT_EQ(book->SheetCount(), 1);
    live->Quit();
}

TEST(LibreOfficeBackend, GateProbeKeepsTheInstanceItStarted) {
    sheet::ExcelProbe& probe = sheet::CurrentExcelProbe();
    ASSERT_TRUE(probe.IsExcelInstalled());
    EXPECT_TRUE(probe.IsExcelInstalled()); // no second start
    auto app = NewApp();
    auto book = app->Workbooks().Add();
    EXPECT_EQ(book->SheetCount(), 1);
    app->Quit();
    EXPECT_FALSE(sheet::GetAppPath(QStringLiteral("EXCEL.EXE")).isEmpty());
}

TEST(LibreOfficeBackend, UserInstancesAreTellFromOurs) {
    using sheet::lo::IsUserInstanceCommandLine;
    EXPECT_TRUE(IsUserInstanceCommandLine(
        {QStringLiteral("/usr/lib/libreoffice/program/soffice.bin"), QStringLiteral("--calc")}));
    EXPECT_FALSE(IsUserInstanceCommandLine(
        {QStringLiteral("/usr/lib/libreoffice/program/soffice.bin"), QStringLiteral("--headless"),
         QStringLiteral(
             "-env:UserInstallation=file:///home/u/.cache/TamrasystemHikaku/lo-profile-1")}));
    EXPECT_FALSE(IsUserInstanceCommandLine({QStringLiteral("/usr/bin/oosplash")}));
    EXPECT_FALSE(IsUserInstanceCommandLine({}));
    // Our own running instances are never counted.
    auto app = NewApp();
    for (const auto& info : sheet::lo::FindUserInstances())
        EXPECT_NE(info.pid, sheet::lo::OfficePid(*app));
    app->Quit();
}

TEST(LibreOfficeBackend, ShippedTemplatesHoldTheSheetList) {
    const QString bin = qEnvironmentVariable("SUITE_BIN_DIR");
    ASSERT_FALSE(bin.isEmpty());
    auto app = NewApp();
    std::shared_ptr<sheet::Workbook> bookmrgTemplate;
    for (const QString& name : {QStringLiteral("BOOKMRGX.EXL"), QStringLiteral("SHTLISTX.EXL")}) {
        auto tpl = app->Workbooks().Open(bin + QLatin1Char('/') + name, {true, {}});
        if (name == QStringLiteral("BOOKMRGX.EXL"))
            bookmrgTemplate = tpl;
        EXPECT_EQ(tpl->Name(), name);
        auto list = tpl->Worksheets(QStringLiteral("シート一覧"));
        EXPECT_EQ(Text(list->Range(QStringLiteral("A1"))->Value()),
                  QStringLiteral("※※　目　　次　※※"));
        EXPECT_EQ(Text(list->Range(QStringLiteral("A2"))->Value()),
                  QStringLiteral("クリックすると該当シートに移動します"));
        auto target = app->Workbooks().Add();
        list->Copy(Where::Before, *target->Worksheets(1));
        EXPECT_EQ(target->Worksheets(1)->Name(), QStringLiteral("シート一覧"));
        target->Close();
    }
    auto list = bookmrgTemplate->Worksheets(1);
    EXPECT_EQ(Text(list->Range(QStringLiteral("B2"))->Value()), QStringLiteral("ブック名"));
    EXPECT_EQ(Text(list->Range(QStringLiteral("C2"))->Value()), QStringLiteral("シート名"));
    app->Quit();
}

// A new workbook takes in the chart of a copied sheet: the calculator's
// template sheet keeps its chart in the saved report, and so does a sheet of
// a workbook made here.
TEST(LibreOfficeBackend, ACopyIntoANewWorkbookKeepsItsCharts) {
    const QString bin = qEnvironmentVariable("SUITE_BIN_DIR");
    ASSERT_FALSE(bin.isEmpty());
    QTemporaryDir dir;
    auto app = NewApp();
    auto made = app->Workbooks().Add();
    made->Worksheets(1)->SetName(QStringLiteral("Data"));
    made->Worksheets(1)
        ->Range(QStringLiteral("A1:B3"))
        ->SetValues({{QStringLiteral("年"), QStringLiteral("額")}, {1.0, 10.0}, {2.0, 20.0}});
    sheet::lo::AddChart(*made->Worksheets(1), QStringLiteral("推移"), {"$Data.$A$1:$B$3"});
    const QString source = dir.filePath(QStringLiteral("chart.xls"));
    made->SaveAs(source);
    made->Close();

    struct Case {
        QString file, sheet;
    };
    for (const Case& c : {Case{bin + QStringLiteral("/COSTCMPX.EXL"), QString()},
                          Case{source, QStringLiteral("Data")}}) {
        SCOPED_TRACE(c.file.toStdString());
        auto from = app->Workbooks().Open(c.file, {true, {}});
        auto sheet = c.sheet.isEmpty() ? from->Worksheets(1) : from->Worksheets(c.sheet);
        const int charts = int(sheet->Charts().size());
        ASSERT_GT(charts, 0);
        auto target = app->Workbooks().Add();
        auto copy = sheet->Copy(Where::Before, *target->Worksheets(1), true);
        const QString name = copy->Name();
        const QString path = dir.filePath(QStringLiteral("work.xls"));
        target->SaveAs(path);
        target->Close();
        from->Close();
        auto reopened = app->Workbooks().Open(path, {true, {}});
        const QList<sheet::ChartData> kept = reopened->Worksheets(name)->Charts();
        EXPECT_EQ(int(kept.size()), charts);
        for (const sheet::ChartData& chart : kept)
            EXPECT_FALSE(chart.ranges.isEmpty()) << chart.name.toStdString();
        reopened->Close();
    }
    app->Quit();
}

// The user's own office runs on a profile in HOME: a scratch home for the
// test's lifetime, the previous HOME and XDG_CONFIG_HOME put back after it.
class ScratchHome {
public:
    ScratchHome() : oldHome_(qgetenv("HOME")), oldConfig_(qgetenv("XDG_CONFIG_HOME")) {
        qputenv("HOME", dir_.path().toLocal8Bit());
        qunsetenv("XDG_CONFIG_HOME");
    }
    ~ScratchHome() {
        qputenv("HOME", oldHome_);
        if (!oldConfig_.isEmpty())
            qputenv("XDG_CONFIG_HOME", oldConfig_);
    }
    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    QByteArray oldHome_;
    QByteArray oldConfig_;
};

// A user's own instance (on the user's profile, here in a scratch home) is
// found, asked to close through the gate's auto-close and gone.
// The gate's dialog answering "close it for me" every time, and a clock that
// really waits: the gate against a real instance of the user's.
struct AutoQuitDialog : sheet::GateDialog {
    int shows = 0;
    GateChoice ShowModal() override {
        ++shows;
        return sheet::GateChoice::AutoQuit;
    }
    void Unload() override {}
};
struct RealClock : sheet::GateClock {
    void DoEvents() override {}
    void Sleep(int ms) override { QThread::msleep(ms); }
};

TEST(LibreOfficeBackend, GateClosesTheUsersOwnInstance) {
    if (!sheet::lo::FindUserInstances().isEmpty())
        GTEST_SKIP() << "an office of this user is open";
    ScratchHome home;
    QProcess user;
    user.setProgram(sheet::GetAppPath(QStringLiteral("EXCEL.EXE")));
    user.setArguments({QStringLiteral("--headless"), QStringLiteral("--invisible"),
                       QStringLiteral("--norestore"), QStringLiteral("--nologo")});
    user.start();
    ASSERT_TRUE(user.waitForStarted(10000));
    QElapsedTimer timer;
    timer.start();
    while (sheet::lo::FindUserInstances().isEmpty() && timer.elapsed() < 60000)
        QThread::msleep(100);
    ASSERT_FALSE(sheet::lo::FindUserInstances().isEmpty());
    const pid_t userPid = sheet::lo::FindUserInstances().first().pid;

    AutoQuitDialog dialog;
    RealClock clock;
    struct InstalledProbe : sheet::ExcelProbe {
        bool IsExcelInstalled() override { return true; }
        bool IsExcelRunning() override { return sheet::CurrentExcelProbe().IsExcelRunning(); }
        bool CloseRunningExcel() override { return sheet::CurrentExcelProbe().CloseRunningExcel(); }
    } probe;
    EXPECT_EQ(sheet::RunExcelGate(probe, dialog, clock), sheet::GateResult::AutoClosed);
    EXPECT_EQ(dialog.shows, 1);
    timer.restart();
    while (unotest::ProcessAlive(userPid) && timer.elapsed() < 20000)
        QThread::msleep(100);
    EXPECT_FALSE(unotest::ProcessAlive(userPid));
    EXPECT_FALSE(sheet::CurrentExcelProbe().IsExcelRunning());
    user.waitForFinished(10000);
    if (user.state() != QProcess::NotRunning)
        user.kill();
    // An instance the gate failed to close must not outlive the test: the
    // launcher's end leaves the office process itself running, and later
    // tests would find an office of this user open.
    if (unotest::ProcessAlive(userPid))
        ::kill(userPid, SIGKILL);
}

// Connects to a socket as the user nobody; true when the connection was made.
bool OtherUserConnects(const QString& socketPath) {
    const QByteArray path = QFile::encodeName(socketPath);
    const pid_t child = fork();
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path.constData(), sizeof addr.sun_path - 1);
        _exit(connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 2) << "could not become nobody";
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Another local user cannot reach a private office, even when this user's
// file mode mask would let everyone in; its socket and temp folder go with it.
TEST(LibreOfficeBackend, NoOtherUserReachesThePrivateOffice) {
    const mode_t mask = umask(0);
    auto app = NewApp();
    umask(mask);
    const QStringList sockets = OwnPipeSockets();
    ASSERT_EQ(sockets.size(), 1) << sockets.join(QLatin1Char(' ')).toStdString();
    struct stat st {};
    ASSERT_EQ(lstat(QFile::encodeName(sockets[0]).constData(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_mode & 077, 0u) << std::oct << st.st_mode;
    if (getuid() == 0)
        EXPECT_FALSE(OtherUserConnects(sockets[0]));
    else
        GTEST_LOG_(INFO) << "not root: no second user to try with";
    // The office's temp files go to a private folder of its own.
    const QString officeTmp = OfficeTempDir(sheet::lo::OfficePid(*app));
    ASSERT_TRUE(officeTmp.endsWith(QStringLiteral(".tmp"))) << officeTmp.toStdString();
    ASSERT_EQ(stat(QFile::encodeName(officeTmp).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    app->Quit();
    EXPECT_TRUE(OwnPipeSockets().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(officeTmp));
}

// A user the user database does not know would get an office whose pipe is
// open to everyone: no office is started for them at all.
TEST(LibreOfficeBackend, NoOfficeForAUserWithoutAPasswdEntry) {
    if (getuid() != 0)
        GTEST_SKIP() << "needs root to run as a user without a passwd entry";
    uid_t stranger = 4242;
    while (getpwuid(stranger))
        ++stranger;
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    chmod(QFile::encodeName(home.path()).constData(), 0777);
    QProcess helper;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.remove(QStringLiteral("XDG_CACHE_HOME"));
    env.remove(QStringLiteral("XDG_CONFIG_HOME"));
    helper.setProcessEnvironment(env);
    helper.start(
        QStringLiteral("setpriv"),
        {QStringLiteral("--reuid=%1").arg(stranger), QStringLiteral("--regid=%1").arg(stranger),
         QStringLiteral("--clear-groups"),
         QCoreApplication::applicationDirPath() + QStringLiteral("/spreadsheet_orphan_helper")});
    ASSERT_TRUE(helper.waitForStarted(5000));
    const bool ended = helper.waitForFinished(60000);
    const QByteArray out = helper.readAllStandardOutput();
    if (!ended) {
        helper.kill();
        helper.waitForFinished(5000);
    }
    EXPECT_TRUE(ended) << "an office was started: " << out.toStdString();
    EXPECT_NE(helper.exitCode(), 0);
    EXPECT_TRUE(out.trimmed().isEmpty()) << out.toStdString();
    // It ended on the refusal to start, not on anything else.
    EXPECT_TRUE(helper.readAllStandardError().contains("429")) << "no refusal";
    EXPECT_TRUE(QDir(QStringLiteral("/tmp"))
                    .entryList({QStringLiteral("OSL_PIPE_tamra_*")}, QDir::System)
                    .isEmpty());
}

// A headless office of the user holding an unsaved document cannot ask
// anyone: the gate's automatic close asks once, is turned down, ends at once
// with 「EXCELが終了できません」, leaves the office and its document alone and
// the office no longer listens on the pipe the gate opened in it.
TEST(LibreOfficeBackend, GateLeavesAUsersUnsavedWorkAloneAndStopsListening) {
    if (!sheet::lo::FindUserInstances().isEmpty())
        GTEST_SKIP() << "an office of this user is open";
    ScratchHome home;
    const QString control = QStringLiteral("tamratest_%1").arg(getpid());
    QProcess user;
    user.setProgram(sheet::GetAppPath(QStringLiteral("EXCEL.EXE")));
    user.setArguments({QStringLiteral("--headless"), QStringLiteral("--invisible"),
                       QStringLiteral("--norestore"), QStringLiteral("--nologo"),
                       QStringLiteral("--accept=pipe,name=") + control + QStringLiteral(";urp;")});
    user.start();
    ASSERT_TRUE(user.waitForStarted(10000));
    QElapsedTimer timer;
    timer.start();
    bool left = false;
    while (!left && timer.elapsed() < 60000) {
        left =
            !sheet::lo::FindUserInstances().isEmpty() && sheet::lo::LeaveUnsavedDocument(control);
        if (!left)
            QThread::msleep(200);
    }
    ASSERT_TRUE(left);
    const pid_t userPid = sheet::lo::FindUserInstances().first().pid;

    AutoQuitDialog dialog;
    RealClock clock;
    struct Sink : common::MessageSink {
        QStringList texts;
        common::MsgAnswer Show(const QString&, const QString& text, common::MsgIcon,
                               common::MsgButtons) override {
            texts << text;
            return common::MsgAnswer::Ok;
        }
    } sink;
    // The private office for the run comes first, with a pipe of its own.
    ASSERT_TRUE(sheet::CurrentExcelProbe().IsExcelInstalled());
    const QStringList ours = OwnPipeSockets();
    EXPECT_EQ(ours.size(), 1);
    sheet::GateResult gate = sheet::GateResult::NotRunning;
    {
        const common::ScopedOverride sinkInPlace(common::MessageSinkSeam(), &sink);
        timer.restart();
        gate = sheet::RunExcelGate(sheet::CurrentExcelProbe(), dialog, clock);
    }
    EXPECT_EQ(gate, sheet::GateResult::Unavailable);
    EXPECT_EQ(sink.texts, QStringList{QStringLiteral("EXCELが終了できません")});
    EXPECT_TRUE(unotest::ProcessAlive(userPid));
    // The pipe the gate had the office open is gone; only the private
    // office the gate started for the run is left listening.
    EXPECT_EQ(OwnPipeSockets(), ours);

    kill(userPid, SIGKILL);
    user.waitForFinished(10000);
    if (user.state() != QProcess::NotRunning)
        user.kill();
    for (const QString& folder : {QStringLiteral("/tmp"), QStringLiteral("/var/tmp")})
        for (const QString& name :
             QDir(folder).entryList({QStringLiteral("OSL_PIPE_*") + control}, QDir::System))
            QFile::remove(folder + QLatin1Char('/') + name);
}

// Runs last: every office started by these tests has ended.
TEST(LibreOfficeBackend, ZzNoOfficeLeftBehind) {
    QThread::msleep(200);
    for (pid_t pid : g_started)
        EXPECT_FALSE(unotest::ProcessAlive(pid)) << pid;
}

} // namespace
