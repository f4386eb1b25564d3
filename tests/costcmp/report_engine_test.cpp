// The spreadsheet report against the in-memory spreadsheet application: what
// is written, highlighted, saved and started for each solution, and the ways
// it can fail.

#include "common/seam.h"
#include "common/temp_folder.h"
#include "costcmp/report/report.h"
#include "costcmp/report/report_sheet.h"
#include "fake_messages.h"
#include "fake_process.h"
#include "fake_spreadsheet.h"
#include "sample_params.h"
#include "spreadsheet/gate.h"
#include "spreadsheet/progress.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

#include <functional>

#include <unistd.h>

namespace {

using common::Fixed4;
using costcmp::Calculate;
using costcmp::Calculation;
using costcmp::ReportOutcome;
using costcmp::SolutionKind;
using testing_support::FakeMessages;
using testing_support::FakeProcess;

const QString kLauncher = QStringLiteral("/opt/office/program/soffice");

// The cells of the template's named cells, in the order SA ... CB.
const QStringList kNamedAddresses = {"C22", "C23", "C24", "C25", "C26",
                                     "C27", "C28", "C29", "C30", "C31"};

class Probe : public sheet::ExcelProbe {
public:
    bool IsExcelInstalled() override {
        if (log)
            *log << QStringLiteral("Gate");
        return installed;
    }
    QStringList* log = nullptr;
    bool IsExcelRunning() override { return running; }
    bool CloseRunningExcel() override { return false; }
    bool installed = true;
    bool running = false;
};

class ProgressLog : public sheet::ProgressView {
public:
    void Show() override { calls << QStringLiteral("Show"); }
    void Unload() override { calls << QStringLiteral("Unload"); }
    void SetLabelText(sheet::ProgressLabel label, const QString& text) override {
        if (label == sheet::ProgressLabel::Task)
            calls << QStringLiteral("Key1 ") + text;
    }
    void SetLabelVisible(sheet::ProgressLabel, bool) override {}
    void SetBarValue(sheet::ProgressBar, int) override {}
    void SetBarVisible(sheet::ProgressBar, bool) override {}
    void ProcessEvents() override {
        if (onEvents)
            onEvents();
    }
    void SetStopAllowed(bool allowed, const QString& note) override {
        calls << (allowed ? QStringLiteral("Stop on") : QStringLiteral("Stop off ") + note);
    }
    QStringList calls;
    std::function<void()> onEvents; // what the user does while events run
};

class ReportTest : public ::testing::Test {
    std::optional<common::ScopedOverride<sheet::ExcelProbe>> probeInPlace_;
    std::optional<common::ScopedOverride<sheet::ProgressView>> viewInPlace_;

protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        probeInPlace_.emplace(sheet::ExcelProbeSeam(), &probe_);
        viewInPlace_.emplace(sheet::ProgressViewSeam(), &progress_);
        probe_.log = &progress_.calls;
        files_.templatePath = dir_.filePath(QStringLiteral("COSTCMPX.EXL"));
        files_.workPath = dir_.filePath(QStringLiteral("work.xls"));
        files_.findLauncher = [] { return kLauncher; };
        WriteTemplate(costcmp::TemplateSheetName());
    }
    void TearDown() override {
        probeInPlace_.reset();
        viewInPlace_.reset();
    }

    void WriteTemplate(const QString& sheetName) {
        fakesheet::Book book = fakesheet::MakeBook({{sheetName, {{"A1", QStringLiteral("比較")}}}});
        for (int i = 0; i < costcmp::kNamedCellCount; ++i)
            book.names.insert(costcmp::NamedCell(i),
                              QStringLiteral("'%1'!%2").arg(sheetName, kNamedAddresses[i]));
        ASSERT_TRUE(fakesheet::WriteBook(files_.templatePath, book));
    }

    ReportOutcome Outcome(const Calculation& calc) {
        return costcmp::BuildCostReport(calc, files_);
    }
    bool Run(const Calculation& calc) { return Outcome(calc) == ReportOutcome::Built; }

    // The only sheet of the saved work file.
    fakesheet::Sheet Saved() {
        std::optional<fakesheet::Book> book = fakesheet::ReadBook(files_.workPath);
        if (!book || book->sheets.size() != 1) {
            ADD_FAILURE() << "work file missing or not one sheet";
            return {};
        }
        return book->sheets[0];
    }

    double Number(const fakesheet::Sheet& s, const QString& address) {
        const sheet::CellValue v = s.At(address).value;
        return std::holds_alternative<double>(v) ? std::get<double>(v) : -1;
    }

    // Cells of the named cells that carry the highlight colour.
    QStringList HighlightedNamedCells(const fakesheet::Sheet& s) {
        QStringList out;
        for (const QString& a : kNamedAddresses)
            if (s.At(a).interior == 40)
                out << a;
        return out;
    }

    // Grid columns (D..W) whose cells in rows 2 and 18 are highlighted.
    QStringList HighlightedColumns(const fakesheet::Sheet& s) {
        QStringList out;
        for (char c = 'D'; c <= 'W'; ++c) {
            const QString col(QChar::fromLatin1(c));
            if (s.At(col + "2").interior == 40 && s.At(col + "18").interior == 40)
                out << col;
            else if (s.At(col + "2").interior || s.At(col + "18").interior ||
                     s.At(col + "10").interior)
                out << col + "?";
        }
        return out;
    }

    QTemporaryDir dir_;
    Probe probe_;
    ProgressLog progress_;
    costcmp::ReportFiles files_;
    fakesheet::FakeOffice office_;
    FakeMessages messages_;
    FakeProcess process_;
};

TEST_F(ReportTest, SolutionOneWritesTwelveUsersAndMarksPeriodFive) {
    QFile old(files_.workPath);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an earlier work file");
    old.close();

    EXPECT_TRUE(Run(Calculate(SampleTexts(), SolutionKind::Users)));

    const fakesheet::Sheet s = Saved();
    EXPECT_EQ(s.name, "価格で比較");
    const double expected[] = {80000, 15000, 12, 2, 1000000, 6000000, 0, 0.05, 6, 600000};
    for (int i = 0; i < costcmp::kNamedCellCount; ++i)
        EXPECT_DOUBLE_EQ(Number(s, kNamedAddresses[i]), expected[i])
            << kNamedAddresses[i].toStdString();
    EXPECT_EQ(s.At("C28").format, "0%");
    EXPECT_EQ(s.At("C29").format, "0%");
    EXPECT_EQ(HighlightedNamedCells(s), QStringList{"C24"});
    EXPECT_EQ(HighlightedColumns(s), QStringList{"H"});
    // The period column is framed; its diagonals are cleared.
    const fakesheet::Cell h2 = s.At("H2");
    EXPECT_EQ(h2.borders.at(sheet::xlEdgeLeft), sheet::xlContinuous);
    EXPECT_EQ(h2.borders.at(sheet::xlEdgeTop), sheet::xlContinuous);
    EXPECT_EQ(h2.borders.at(sheet::xlDiagonalUp), sheet::xlLineStyleNone);
    EXPECT_TRUE(s.At("C24").borders.empty());

    const std::optional<fakesheet::Book> book = fakesheet::ReadBook(files_.workPath);
    ASSERT_TRUE(book);
    EXPECT_EQ(book->activeSheet, 0);
    EXPECT_EQ(book->selection, "A1");

    // The private instance has ended before the result is opened for the user.
    EXPECT_EQ(office_.Calls("Workbooks.Open").value(0),
              "Workbooks.Open " + files_.templatePath + " ReadOnly");
    EXPECT_EQ(office_.ApplicationsRunning(), 0);
    ASSERT_EQ(process_.starts.size(), 1);
    EXPECT_EQ(process_.starts[0].program, kLauncher);
    EXPECT_EQ(process_.starts[0].args, QStringList{files_.workPath});
    EXPECT_EQ(messages_.Count(), 0);
    EXPECT_EQ(progress_.calls,
              (QStringList{"Show", "Key1 準備中", "Gate", "Show", "Key1 自社開発で比較",
                           "Stop off 保存中…", "Stop on", "Unload"}));
}

TEST_F(ReportTest, SolutionTwoMarksOnlyTheSolvedPeriod) {
    EXPECT_TRUE(Run(Calculate(SampleTexts(), SolutionKind::Period)));
    const fakesheet::Sheet s = Saved();
    EXPECT_EQ(HighlightedColumns(s), QStringList{"S"});
    EXPECT_TRUE(HighlightedNamedCells(s).isEmpty());
    EXPECT_DOUBLE_EQ(Number(s, "C24"), 5); // the users stay as entered
}

TEST_F(ReportTest, PeriodOutsideTheGridMarksNoColumn) {
    // A solved period above 20: with a development cost of 1,000 万円 the
    // in-house side catches up only in year 33.
    costcmp::ParamTexts texts = SampleTexts();
    texts[5] = QStringLiteral("1000");
    const Calculation longPeriod = Calculate(texts, SolutionKind::Period);
    ASSERT_EQ(longPeriod.result.value, Fixed4::FromInt(33));
    EXPECT_TRUE(Run(longPeriod));
    EXPECT_TRUE(HighlightedColumns(Saved()).isEmpty());

    // An entered period that is not a whole year of the grid.
    for (const char* period : {"25", "5.5", "0"}) {
        texts = SampleTexts();
        texts[9] = QString::fromLatin1(period);
        EXPECT_TRUE(Run(Calculate(texts, SolutionKind::Users)));
        const fakesheet::Sheet s = Saved();
        EXPECT_TRUE(HighlightedColumns(s).isEmpty()) << period;
        EXPECT_EQ(HighlightedNamedCells(s), QStringList{"C24"}) << period;
    }
}

TEST_F(ReportTest, SolutionWithoutBreakEvenWritesAndMarksZero) {
    // Solution 5 finds no rate for the sample set.
    const Calculation calc = Calculate(SampleTexts(), SolutionKind::MaintRate);
    ASSERT_EQ(calc.result.value, Fixed4());
    EXPECT_TRUE(Run(calc));
    const fakesheet::Sheet s = Saved();
    EXPECT_DOUBLE_EQ(Number(s, "C29"), 0);
    EXPECT_EQ(HighlightedNamedCells(s), QStringList{"C29"});
    EXPECT_EQ(HighlightedColumns(s), QStringList{"H"});

    // Solutions 3 and 4 mark their own cells.
    EXPECT_TRUE(Run(Calculate(SampleTexts(), SolutionKind::DevCost)));
    EXPECT_DOUBLE_EQ(Number(Saved(), "C27"), 980000);
    EXPECT_EQ(HighlightedNamedCells(Saved()), QStringList{"C27"});
    EXPECT_TRUE(Run(Calculate(SampleTexts(), SolutionKind::MonthlyFee)));
    EXPECT_DOUBLE_EQ(Number(Saved(), "C23"), 35067);
    EXPECT_EQ(HighlightedNamedCells(Saved()), QStringList{"C23"});
}

TEST_F(ReportTest, GateThatStopsLeavesWithoutTouchingTheOffice) {
    probe_.running = true; // the gate's dialog answers "stop"
    EXPECT_EQ(Outcome(Calculate(SampleTexts(), SolutionKind::Users)), ReportOutcome::Failed);
    EXPECT_EQ(office_.ApplicationsCreated(), 0);
    // The window is in sight before the gate starts the office, and goes
    // when the gate refuses.
    EXPECT_EQ(progress_.calls, (QStringList{"Show", "Key1 準備中", "Gate", "Unload"}));

    probe_.running = false;
    probe_.installed = false;
    EXPECT_FALSE(Run(Calculate(SampleTexts(), SolutionKind::Users)));
    EXPECT_EQ(office_.ApplicationsCreated(), 0);
    EXPECT_EQ(messages_.Count(), 1); // the gate's own message
    EXPECT_TRUE(process_.starts.isEmpty());
    EXPECT_FALSE(QFile::exists(files_.workPath));
}

TEST_F(ReportTest, MissingTemplateIsReportedAndTheInstanceEnds) {
    QFile::remove(files_.templatePath);
    EXPECT_FALSE(Run(Calculate(SampleTexts(), SolutionKind::Users)));
    EXPECT_EQ(messages_.Texts(), QStringList{"必要な下記ファイルがありません。\r" +
                                             QDir::toNativeSeparators(files_.templatePath) +
                                             "\r処理は続行できません。\r"});
    EXPECT_EQ(office_.ApplicationsCreated(), 1);
    EXPECT_EQ(office_.ApplicationsRunning(), 0);
    EXPECT_EQ(progress_.calls.last(), "Unload");
    EXPECT_TRUE(process_.starts.isEmpty());
}

// An installed template belongs to root and cannot be written by the user:
// it is opened read-only and works. One that is there but is no workbook is
// not reported as missing.
TEST_F(ReportTest, TemplateIsOpenedReadOnlyAndAProblemIsNamedAsItIs) {
    ASSERT_TRUE(QFile::setPermissions(files_.templatePath, QFile::ReadOwner | QFile::ReadOther));
    EXPECT_TRUE(Run(Calculate(SampleTexts(), SolutionKind::Users)));
    EXPECT_EQ(messages_.Count(), 0);
    EXPECT_TRUE(QFile::exists(files_.workPath));

    QFile::remove(files_.templatePath);
    QFile bad(files_.templatePath);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a workbook");
    bad.close();
    QFile::remove(files_.workPath);
    EXPECT_FALSE(Run(Calculate(SampleTexts(), SolutionKind::Users)));
    ASSERT_EQ(messages_.Count(), 1);
    EXPECT_TRUE(messages_.LastText().startsWith("必要な下記ファイルを開けません"))
        << messages_.LastText().toStdString();
    EXPECT_EQ(office_.ApplicationsRunning(), 0);
}

TEST_F(ReportTest, TemplateWithoutItsSheetIsReportedAndTheInstanceEnds) {
    WriteTemplate(QStringLiteral("別のシート"));
    EXPECT_FALSE(Run(Calculate(SampleTexts(), SolutionKind::Users)));
    ASSERT_EQ(messages_.Count(), 1);
    EXPECT_TRUE(messages_.LastText().startsWith(QString::number(sheet::kErrSubscript) + " "));
    EXPECT_TRUE(messages_.LastText().endsWith("\r元ブック に 元シートがない"));
    EXPECT_EQ(office_.ApplicationsRunning(), 0);
    EXPECT_FALSE(QFile::exists(files_.workPath));
    EXPECT_TRUE(process_.starts.isEmpty());
}

TEST_F(ReportTest, WorkFileThatCannotBeSavedIsReported) {
    office_.FailOn(QStringLiteral("SaveAs"), 0, sheet::SheetErrorKind::CannotWrite,
                   QStringLiteral("ファイルは使用中です。"));
    EXPECT_EQ(Outcome(Calculate(SampleTexts(), SolutionKind::Users)), ReportOutcome::NotSaved);
    ASSERT_EQ(messages_.Count(), 1);
    EXPECT_TRUE(messages_.LastText().startsWith("比較表のファイルを保存できませんでした。"));
    EXPECT_TRUE(messages_.LastText().contains(QDir::toNativeSeparators(files_.workPath)));
    EXPECT_TRUE(messages_.LastText().contains("ファイルは使用中です。"));
    EXPECT_EQ(office_.ApplicationsRunning(), 0);
    EXPECT_TRUE(process_.starts.isEmpty());
}

// An office that ends under the report is said to have failed as such, not
// taken for a work file held open elsewhere or a template without its sheet.
TEST_F(ReportTest, AnOfficeLostOnTheWayIsNotTakenForAnotherFailure) {
    for (const QString& step :
         {QStringLiteral("SaveAs"), QStringLiteral("Worksheets(元シート).Copy")}) {
        messages_.messages.clear();
        office_.FailOn(step, 0, sheet::SheetErrorKind::OfficeLost,
                       QStringLiteral("接続が切れました"));
        EXPECT_EQ(Outcome(Calculate(SampleTexts(), SolutionKind::Users)), ReportOutcome::Failed)
            << step.toStdString();
        ASSERT_EQ(messages_.Count(), 1) << step.toStdString();
        EXPECT_TRUE(messages_.LastText().startsWith("処理中にエラーが発生しました。"))
            << messages_.LastText().toStdString();
        EXPECT_TRUE(messages_.LastText().contains("接続が切れました"));
        EXPECT_EQ(messages_.messages[0].icon, common::MsgIcon::Critical);
        EXPECT_EQ(office_.ApplicationsRunning(), 0);
        EXPECT_EQ(progress_.calls.last(), "Unload");
        EXPECT_FALSE(QFile::exists(files_.workPath));
        EXPECT_TRUE(process_.starts.isEmpty());
    }
}

TEST_F(ReportTest, SaveCannotBeStoppedAndAStopBeforeItIsHonoured) {
    EXPECT_TRUE(Run(Calculate(SampleTexts(), SolutionKind::Users)));
    const qsizetype off = progress_.calls.indexOf("Stop off 保存中…");
    ASSERT_GE(off, 0);
    EXPECT_EQ(progress_.calls.indexOf("Stop on"), off + 1);

    // 中断 confirmed while the sheet is written: nothing is saved and the
    // calculator stays.
    QFile::remove(files_.workPath);
    process_.starts.clear();
    progress_.onEvents = [] { sheet::RequestCancel(); };
    EXPECT_EQ(Outcome(Calculate(SampleTexts(), SolutionKind::Users)), ReportOutcome::NotSaved);
    EXPECT_EQ(messages_.Texts(), QStringList{"処理を中断しました。"});
    EXPECT_FALSE(QFile::exists(files_.workPath));
    EXPECT_EQ(office_.ApplicationsRunning(), 0);
    EXPECT_TRUE(process_.starts.isEmpty());
    sheet::ClearCancelFlag();
}

TEST_F(ReportTest, OfficeThatDoesNotStartOrCannotBeFound) {
    office_.FailCreate();
    EXPECT_FALSE(Run(Calculate(SampleTexts(), SolutionKind::Users)));
    EXPECT_EQ(messages_.Count(), 1);
    EXPECT_EQ(progress_.calls.last(), "Unload");

    // The work file is made but there is no launcher to show it with: the
    // user is told where it is and the report counts as made.
    office_.FailCreate(false);
    messages_.messages.clear();
    files_.findLauncher = [] { return QString(); };
    EXPECT_TRUE(Run(Calculate(SampleTexts(), SolutionKind::Users)));
    EXPECT_TRUE(QFile::exists(files_.workPath));
    EXPECT_TRUE(process_.starts.isEmpty());
    ASSERT_EQ(messages_.Count(), 1);
    EXPECT_TRUE(messages_.LastText().contains(QDir::toNativeSeparators(files_.workPath)));
}

// work.xls lives in the user's private temporary folder, never at a fixed
// name in the shared one; without that folder the report does not start.
TEST_F(ReportTest, WorkFileIsInThePrivateTempFolderOrTheReportRefuses) {
    const QByteArray oldTemp = qgetenv("TEMP");
    const bool hadTemp = qEnvironmentVariableIsSet("TEMP");
    qputenv("TEMP", QFile::encodeName(dir_.path()));
    const costcmp::ReportFiles defaults = costcmp::DefaultReportFiles();
    EXPECT_EQ(defaults.workPath, common::PrivateTempFile(QStringLiteral("work.xls")));
    EXPECT_EQ(QFileInfo(defaults.workPath).absolutePath(),
              dir_.filePath(QStringLiteral("TamrasystemHikaku-%1").arg(::geteuid())));

    qputenv("TEMP", QFile::encodeName(dir_.filePath(QStringLiteral("none/deeper"))));
    files_.workPath = costcmp::DefaultReportFiles().workPath;
    files_.workPathError = costcmp::DefaultReportFiles().workPathError;
    EXPECT_TRUE(files_.workPath.isEmpty());
    EXPECT_EQ(Outcome(Calculate(SampleTexts(), SolutionKind::Users)), ReportOutcome::NotSaved);
    ASSERT_EQ(messages_.Count(), 1);
    EXPECT_TRUE(messages_.LastText().startsWith("比較表を保存するフォルダを用意できません。"));
    EXPECT_EQ(office_.ApplicationsCreated(), 0);
    if (hadTemp)
        qputenv("TEMP", oldTemp);
    else
        qunsetenv("TEMP");
}

} // namespace
