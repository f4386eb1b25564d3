// The merge with the real office, checked in the saved files: stored formula
// results and sheet names read without the office, the .xls output's limits
// and an .xlsx output.

#include "merge_fixture.h"
#include "xls_reader.h"

#include <QFile>

namespace {

using sheet::Where;

class UnoFormats : public bookmrg_test::UnoMergeTest {
protected:
    void Run(const bookmrg::RunParams& params) { host.Follow(bookmrg::ConsolidateBooks(params)); }
};

const xlsread::Sheet* FindSheet(const xlsread::Book& book, const QString& name) {
    for (const xlsread::Sheet& s : book.sheets)
        if (s.name == name)
            return &s;
    return nullptr;
}

TEST_F(UnoFormats, TextResultsAndLongSheetNamesAreStoredRightInTheMergedXls) {
    const QString longName =
        QStringLiteral("東京支店第一営業部売上明細二〇二四年度上期分集計表ABCDEF");
    ASSERT_EQ(longName.size(), 31);
    const QString a = Book("a.xls");
    const QString b = Book("b.xls");
    {
        auto app = sheet::CreateApplication();
        int n = 0;
        for (const QString& path : {a, b}) {
            auto book = app->Workbooks().Add();
            auto s = book->Worksheets(1);
            s->SetName(longName);
            s->Cells(2, 2)->SetValue(double(++n));
            s->Cells(3, 2)->SetFormula(QStringLiteral("=IF(B2>1;\"多い\";\"少ない\")"));
            s->Cells(4, 2)->SetFormula(
                QStringLiteral("=HYPERLINK(\"https://example.com/\";\"サイト\")"));
            book->SaveAs(path);
            book->Close();
        }
    }
    Run(Params({a, b}));
    EXPECT_EQ(messages.Count(), 0) << messages.LastText().toStdString();

    const xlsread::Book out = xlsread::Read(OutputFile());
    ASSERT_TRUE(out.ok) << out.error.toStdString();
    const QString second = longName.left(29) + QStringLiteral("_2");
    QStringList names;
    for (const xlsread::Sheet& s : out.sheets)
        names << s.name;
    EXPECT_EQ(names, (QStringList{QStringLiteral("シート一覧"), longName, second}));
    const struct {
        QString sheet;
        QString count;
    } expected[] = {{longName, QStringLiteral("\"少ない\"")}, {second, QStringLiteral("\"多い\"")}};
    for (const auto& e : expected) {
        const xlsread::Sheet* s = FindSheet(out, e.sheet);
        ASSERT_TRUE(s) << e.sheet.toStdString();
        EXPECT_EQ(xlsread::Describe(s->formulaResults.value({3, 2})), e.count);
        EXPECT_EQ(xlsread::Describe(s->formulaResults.value({4, 2})), QStringLiteral("\"サイト\""));
    }
}

TEST_F(UnoFormats, AnXlsOutputRefusesAWideSourceWhichAnXlsxOutputTakesWhole) {
    const QString a = Book("a.xls");
    const QString big = Book("広い.xlsx");
    {
        auto app = sheet::CreateApplication();
        auto first = app->Workbooks().Add();
        first->Worksheets(1)->SetName(QStringLiteral("表紙"));
        first->SaveAs(a);
        first->Close();
        auto book = app->Workbooks().Add();
        auto s = book->Worksheets(1);
        s->SetName(QStringLiteral("広い表"));
        s->Cells(1, 1)->SetValue(QStringLiteral("左上"));
        s->Cells(70000, 300)->SetValue(9.0);
        book->SaveAs(big, sheet::xlOpenXMLWorkbook);
        book->Close();
    }
    Run(Params({a, big}));
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.LastText().contains(QStringLiteral("広い表（70,000 行 × 300 列）")))
        << messages.LastText().toStdString();
    EXPECT_FALSE(QFile::exists(OutputFile()));
    EXPECT_TRUE(process.starts.isEmpty());

    bookmrg::RunParams params = Params({a, big});
    params.outputBook = Temp(QStringLiteral("out/結果.xlsx"));
    messages.messages.clear();
    Run(params);
    EXPECT_EQ(messages.Count(), 0) << messages.LastText().toStdString();
    const QString written = Temp(QStringLiteral("out/結果.xlsx"));
    EXPECT_EQ(xlsread::Container(written), QStringLiteral("zip"));

    auto app = sheet::CreateApplication();
    auto out = app->Workbooks().Open(written, {true, {}});
    EXPECT_EQ(out->FileFormat(), sheet::xlOpenXMLWorkbook);
    ASSERT_EQ(out->SheetCount(), 3);
    EXPECT_EQ(out->Worksheets(1)->Name(), QStringLiteral("シート一覧"));
    auto wide = out->Worksheets(QStringLiteral("広い表"));
    EXPECT_EQ(wide->ContentExtent().rows, 70000);
    EXPECT_EQ(wide->ContentExtent().columns, 300);
    const sheet::CellValue far = wide->Cells(70000, 300)->Value();
    ASSERT_TRUE(std::holds_alternative<double>(far));
    EXPECT_EQ(std::get<double>(far), 9.0);
    app->Quit();
}

} // namespace
