// The spreadsheet report with the real office: the shipped template
// COSTCMPX.EXL, the work file it produces, and the template's year grid
// against the calculator's own cost model.

#include "common/seam.h"
#include "costcmp/report/report.h"
#include "costcmp/report/report_sheet.h"
#include "costcmp/sample_params.h"
#include "office_inspect.h"
#include "spreadsheet/gate.h"
#include "spreadsheet/spreadsheet.h"
#include "support/fake_messages.h"
#include "support/fake_process.h"
#include "support/xls_reader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

#include <unistd.h>

namespace {

using common::Fixed4;
using costcmp::Calculate;
using costcmp::Calculation;
using costcmp::CostParams;
using costcmp::SolutionKind;

constexpr int kHighlight = 0xFFCC99; // colour index 40 of the classic palette

class InstalledProbe : public sheet::ExcelProbe {
public:
    bool IsExcelInstalled() override { return true; }
    bool IsExcelRunning() override { return false; }
    bool CloseRunningExcel() override { return false; }
};

QString TemplatePath() {
    return QDir(qEnvironmentVariable("SUITE_BIN_DIR"))
        .filePath(QString::fromLatin1(costcmp::kReportTemplateName));
}

double Num(const sheet::CellValue& v) {
    if (const double* d = std::get_if<double>(&v))
        return *d;
    ADD_FAILURE() << "not a number";
    return -1;
}

QString Text(const sheet::CellValue& v) {
    const QString* s = std::get_if<QString>(&v);
    return s ? *s : QString();
}

// The grid cell of a row for a year (D = year 1).
QString GridCell(int row, int year) {
    return QChar(QLatin1Char('D').unicode() + year - 1) + QString::number(row);
}

class ReportUnoTest : public ::testing::Test {
    std::optional<common::ScopedOverride<sheet::ExcelProbe>> probeInPlace_;

protected:
    void SetUp() override {
        ASSERT_TRUE(QFile::exists(TemplatePath())) << TemplatePath().toStdString();
        ASSERT_TRUE(tmp_.isValid());
        // The work file goes to the user's folder in the temporary folder;
        // here the test's own (TEMP would come first).
        hadTmp_ = qEnvironmentVariableIsSet("TMPDIR");
        previousTmp_ = qgetenv("TMPDIR");
        qputenv("TMPDIR", tmp_.path().toLocal8Bit());
        hadTemp_ = qEnvironmentVariableIsSet("TEMP");
        previousTemp_ = qgetenv("TEMP");
        qunsetenv("TEMP");
        probeInPlace_.emplace(sheet::ExcelProbeSeam(), &probe_);
    }
    void TearDown() override {
        probeInPlace_.reset();
        if (hadTmp_)
            qputenv("TMPDIR", previousTmp_);
        else
            qunsetenv("TMPDIR");
        if (hadTemp_)
            qputenv("TEMP", previousTemp_);
    }

    // Runs the report as the program does, with the template from the build.
    void BuildReport(const Calculation& calc) {
        costcmp::ReportFiles files = costcmp::DefaultReportFiles();
        files.templatePath = TemplatePath();
        ASSERT_EQ(files.workPath,
                  QDir(tmp_.path())
                      .filePath(QStringLiteral("TamrasystemHikaku-%1/work.xls").arg(::geteuid())));
        process_.starts.clear();
        ASSERT_EQ(costcmp::BuildCostReport(calc, files), costcmp::ReportOutcome::Built)
            << messages_.LastText().toStdString();
        EXPECT_EQ(messages_.Count(), 0) << messages_.LastText().toStdString();
        ASSERT_EQ(process_.starts.size(), 1);
        EXPECT_EQ(process_.starts[0].program, sheet::GetAppPath(QStringLiteral("EXCEL.EXE")));
        EXPECT_EQ(process_.starts[0].args, QStringList{files.workPath});
        work_ = files.workPath;
    }

    // Checks the reopened work file of a calculation whose period column is
    // `year`.
    void CheckWorkFile(const Calculation& calc, int year, const QString& solvedName) {
        QFile file(work_);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.read(4), QByteArray("\xD0\xCF\x11\xE0", 4)); // classic workbook
        file.close();

        std::unique_ptr<sheet::Application> app = sheet::CreateApplication();
        std::shared_ptr<sheet::Workbook> book = app->Workbooks().Open(work_);
        ASSERT_EQ(book->SheetCount(), 1);
        std::shared_ptr<sheet::Worksheet> s = book->Worksheets(1);
        EXPECT_EQ(s->Name(), "価格で比較");
        // Printed on landscape pages of ten years each, every page with the
        // row labels.
        EXPECT_EQ(sheet::lo::PageSetup(*s), "landscape 75%");
        EXPECT_EQ(sheet::lo::PrintTitleColumns(*s), "A:C");

        const CostParams p = costcmp::WithSolution(calc.params, calc.solution, calc.result);
        const Fixed4 values[] = {p.SA, p.SB, p.SC, p.SD, p.JA, p.JB, p.JC, p.JD, p.JE, p.CB};
        const QStringList names = sheet::lo::NamedRanges(*book);
        for (int i = 0; i < costcmp::kNamedCellCount; ++i) {
            const QString name = costcmp::NamedCell(i);
            ASSERT_TRUE(names.contains(name)) << name.toStdString();
            std::shared_ptr<sheet::Range> cell = s->Range(name);
            EXPECT_DOUBLE_EQ(Num(cell->Value()), values[i].ToDouble()) << name.toStdString();
            EXPECT_EQ(sheet::lo::CellBackColor(*cell) == kHighlight, name == solvedName)
                << name.toStdString();
        }
        EXPECT_EQ(s->Range(costcmp::NamedCell(6))->NumberFormatLocal(), "0%");
        EXPECT_EQ(s->Range(costcmp::NamedCell(7))->NumberFormatLocal(), "0%");

        // Only the period's column is filled, from row 2 to row 18.
        for (int y = 1; y <= costcmp::kGridYears; ++y)
            for (int row : {2, 10, 18})
                EXPECT_EQ(sheet::lo::CellBackColor(*s->Range(GridCell(row, y))) == kHighlight,
                          y == year)
                    << GridCell(row, y).toStdString();

        // The running totals of the period equal the calculator's totals.
        EXPECT_DOUBLE_EQ(Num(s->Range(GridCell(7, year))->Value()),
                         costcmp::SaasTotal(p).ToDouble());
        EXPECT_DOUBLE_EQ(Num(s->Range(GridCell(13, year))->Value()),
                         costcmp::InhouseTotal(p).ToDouble());
        app->Quit();
    }

    QTemporaryDir tmp_;
    bool hadTmp_ = false;
    QByteArray previousTmp_;
    bool hadTemp_ = false;
    QByteArray previousTemp_;
    InstalledProbe probe_;
    testing_support::FakeMessages messages_;
    testing_support::FakeProcess process_;
    QString work_;
};

TEST_F(ReportUnoTest, SolutionOneOnTheSampleSet) {
    // An earlier work file is replaced without a question.
    QFile old(QDir(tmp_.path()).filePath("work.xls"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("earlier");
    old.close();

    const Calculation calc = Calculate(SampleTexts(), SolutionKind::Users);
    BuildReport(calc);
    CheckWorkFile(calc, 5, QStringLiteral("SC_ユーザ数"));
}

TEST_F(ReportUnoTest, SolutionTwoMarksTheSolvedPeriod) {
    const Calculation calc = Calculate(SampleTexts(), SolutionKind::Period);
    ASSERT_EQ(calc.result.value, Fixed4::FromInt(16));
    BuildReport(calc);
    CheckWorkFile(calc, 16, QString());

    // The comparison rows name the break-even year and the cheaper side.
    std::unique_ptr<sheet::Application> app = sheet::CreateApplication();
    std::shared_ptr<sheet::Worksheet> s = app->Workbooks().Open(work_)->Worksheets(1);
    for (int y = 1; y <= costcmp::kGridYears; ++y) {
        EXPECT_EQ(Text(s->Range(GridCell(17, y))->Value()).isEmpty(), y != 16) << y;
        EXPECT_EQ(Text(s->Range(GridCell(16, y))->Value()), y < 16 ? "SAAS" : "自社開発") << y;
    }
    app->Quit();

    // The same texts are stored in the file for readers that do not
    // calculate (the office above recalculates them on opening).
    const xlsread::Book stored = xlsread::Read(work_);
    ASSERT_TRUE(stored.ok) << stored.error.toStdString();
    const auto& results = stored.sheets.value(0).formulaResults;
    for (int y = 1; y <= costcmp::kGridYears; ++y) {
        const int column = 3 + y; // year 1 is column D
        EXPECT_EQ(xlsread::Describe(results.value({16, column})),
                  y < 16 ? QStringLiteral("\"SAAS\"") : QStringLiteral("\"自社開発\""))
            << y;
        EXPECT_EQ(xlsread::Describe(results.value({17, column})),
                  y == 16 ? QStringLiteral("\"◆分岐点\"") : QStringLiteral("\"\""))
            << y;
    }
}

// The template as shipped: its names survive the conversion and the grid
// computes every year as the cost model does, with the rounding of each
// product, for parameters with decimals.
TEST_F(ReportUnoTest, TemplateGridFollowsTheCostModel) {
    std::unique_ptr<sheet::Application> app = sheet::CreateApplication();
    std::shared_ptr<sheet::Workbook> book = app->Workbooks().Open(TemplatePath());
    std::shared_ptr<sheet::Worksheet> s = book->Worksheets(costcmp::TemplateSheetName());
    for (int i = 0; i < costcmp::kNamedCellCount; ++i)
        EXPECT_EQ(s->Range(costcmp::NamedCell(i))->Address(), QStringLiteral("C%1").arg(22 + i));

    const costcmp::ParamTexts texts = {"123,456.5", "1,234.5678", "7",   "1.5",
                                       "12.3456",   "345.6789",   "3.3", "7.77",
                                       "2.25",      "1",          "55.5"};
    CostParams p = costcmp::ConvertParams(texts);
    const Fixed4 values[] = {p.SA, p.SB, p.SC, p.SD, p.JA, p.JB, p.JC, p.JD, p.JE, p.CB};
    for (int i = 0; i < costcmp::kNamedCellCount; ++i)
        s->Range(costcmp::NamedCell(i))->SetValue(values[i].ToDouble());

    for (int y = 1; y <= costcmp::kGridYears; ++y) {
        p.CA = Fixed4::FromInt(y);
        const auto at = [&](int row) { return Num(s->Range(GridCell(row, y))->Value()); };
        EXPECT_NEAR(at(6), costcmp::SaasYearCost(p, y).ToDouble(), 5e-5) << y;
        EXPECT_NEAR(at(12), costcmp::InhouseYearCost(p, y).ToDouble(), 5e-5) << y;
        EXPECT_NEAR(at(7), costcmp::SaasTotal(p).ToDouble(), 5e-5) << y;
        EXPECT_NEAR(at(13), costcmp::InhouseTotal(p).ToDouble(), 5e-5) << y;
        EXPECT_NEAR(at(15), (costcmp::SaasTotal(p) - costcmp::InhouseTotal(p)).ToDouble(), 5e-5)
            << y;
    }
    app->Quit();
}

} // namespace
