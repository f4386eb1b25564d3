// What a merged workbook keeps of its books, with the real office: books made
// here with names, charts, hidden sheets, page setups, array formulas and
// links, merged, and the saved result reopened and read back.

#include "merge_fixture.h"
#include "office_inspect.h"
#include "view_inspect.h"
#include "xls_reader.h"

#include <QUrl>

namespace {

using sheet::Where;

double Number(const sheet::CellValue& v) {
    return std::holds_alternative<double>(v) ? std::get<double>(v) : -1e300;
}

QString FormulaOf(sheet::Worksheet& sheet, int row, int column) {
    for (const sheet::FormulaCell& f : sheet.Formulas())
        if (f.row == row && f.column == column)
            return f.formula;
    return QStringLiteral("<none>");
}

class UnoFidelity : public bookmrg_test::UnoMergeTest {
protected:
    // A new workbook with sheets of these names.
    std::shared_ptr<sheet::Workbook> NewBook(sheet::Application& app, const QStringList& names) {
        auto book = app.Workbooks().Add();
        book->Worksheets(1)->SetName(names[0]);
        for (int i = 1; i < names.size(); ++i)
            book->Worksheets(i)->Copy(Where::After, *book->Worksheets(i))->SetName(names[i]);
        return book;
    }
    void Save(std::shared_ptr<sheet::Workbook> book, const QString& path) {
        book->SaveAs(path);
        book->Close();
    }
    // Merges into out/結果 of that extension and opens the saved workbook.
    std::shared_ptr<sheet::Workbook> Merge(const QStringList& books,
                                           const QString& exclude = QString(),
                                           int expectedMessages = 0,
                                           const QString& extension = QStringLiteral("xls")) {
        bookmrg::RunParams params =
            Params(books, exclude, QString(), bookmrg::MatchMode::WholeName);
        if (extension != QStringLiteral("xls"))
            params.outputBook = Temp(QStringLiteral("out/結果.") + extension);
        const int before = messages.Count();
        host.Follow(bookmrg::ConsolidateBooks(params));
        EXPECT_EQ(messages.Count() - before, expectedMessages)
            << messages.Texts().join('|').toStdString();
        if (!reader_)
            reader_ = sheet::CreateApplication();
        return reader_->Workbooks().Open(Temp(QStringLiteral("out/結果.") + extension), {true, {}});
    }
    void TearDown() override {
        if (reader_)
            reader_->Quit();
        UnoMergeTest::TearDown();
    }

private:
    std::unique_ptr<sheet::Application> reader_;
};

// How each sheet is shown (frozen panes, grid lines, zoom) stays with the
// sheet: book 1's own after a sheet among them was left out and the list put
// in front, and the copies of book 2 (of today's format, whose settings come
// without a view).
TEST_F(UnoFidelity, EverySheetIsShownAsInItsBook) {
    const QString one = Book("one.xls");
    const QString two = Book("two.xlsx");
    {
        auto app = sheet::CreateApplication();
        auto first = NewBook(*app, {"Frozen", "除外", "NoGrid", "Plain"});
        sheet::lo::SetSheetView(*first, "Frozen", {true, 1, 2, true, 100});
        sheet::lo::SetSheetView(*first, "除外", {false, 0, 0, true, 120});
        sheet::lo::SetSheetView(*first, "NoGrid", {false, 0, 0, false, 85});
        Save(first, one);
        auto second = NewBook(*app, {"Grid2", "NoGrid2", "Frozen2"});
        sheet::lo::SetSheetView(*second, "NoGrid2", {false, 0, 0, false, 100});
        sheet::lo::SetSheetView(*second, "Frozen2", {true, 0, 3, true, 100});
        second->SaveAs(two, sheet::xlOpenXMLWorkbook);
        second->Close();
        app->Quit();
    }
    Merge({one, two}, "除外");
    EXPECT_EQ(
        xlsread::SheetViews(OutputFile()),
        (QStringList{"シート一覧: plain", "Frozen: frozen 1x2", "NoGrid: no grid zoom 85",
                     "Plain: plain", "Grid2: plain", "NoGrid2: no grid", "Frozen2: frozen 0x3"}));
}

// The copies of classic books later in the merge are shown as in their book
// as well (the office keeps a classic file's settings only for a view of it,
// which no source book has), and a sheet with the defaults stays plain.
TEST_F(UnoFidelity, CopiesOfClassicBooksAreShownAsInTheirBook) {
    const QString one = Book("first.xls");
    const QString two = Book("second.xls");
    {
        auto app = sheet::CreateApplication();
        auto first = NewBook(*app, {"Frozen", "Plain"});
        sheet::lo::SetSheetView(*first, "Frozen", {true, 0, 1, true, 100});
        Save(first, one);
        auto second = NewBook(*app, {"Grid2", "NoGrid2", "Frozen2", "Columns2"});
        sheet::lo::SetSheetView(*second, "NoGrid2", {false, 0, 0, false, 85});
        sheet::lo::SetSheetView(*second, "Frozen2", {true, 1, 2, true, 100});
        sheet::lo::SetSheetView(*second, "Columns2", {true, 2, 0, false, 150});
        Save(second, two);
        app->Quit();
    }
    const QStringList secondViews = {"Grid2: plain", "NoGrid2: no grid zoom 85",
                                     "Frozen2: frozen 1x2",
                                     "Columns2: frozen 2x0 no grid zoom 150"};
    ASSERT_EQ(xlsread::SheetViews(two), secondViews);
    Merge({one, two});
    EXPECT_EQ(xlsread::SheetViews(OutputFile()),
              QStringList({"シート一覧: plain", "Frozen: frozen 0x1", "Plain: plain"}) +
                  secondViews);
}

TEST_F(UnoFidelity, EachBooksNamesKeepTheirMeaningInItsCopies) {
    // Monthly books alike: the same names, each with the book's own value.
    QStringList books;
    {
        auto app = sheet::CreateApplication();
        for (int k = 1; k <= 3; ++k) {
            auto book = NewBook(*app, {"集計", "Data"});
            book->Worksheets("Data")->Cells(1, 2)->SetValue(10.0 * k);
            sheet::lo::DefineName(*book, "Rate", QStringLiteral("0.%1").arg(k));
            sheet::lo::DefineName(*book, "Base", "$Data.$B$1");
            auto summary = book->Worksheets("集計");
            summary->Cells(1, 1)->SetValue(401.0);
            summary->Cells(2, 1)->SetFormula("=A1*Rate");
            summary->Cells(3, 1)->SetFormula("=Base*2");
            books << Book(QStringLiteral("月%1.xls").arg(k));
            Save(book, books.last());
        }
        app->Quit();
    }
    auto out = Merge(books);
    const QStringList summaries = {"集計", "集計_2", "集計_3"};
    for (int k = 1; k <= 3; ++k) {
        SCOPED_TRACE(summaries[k - 1].toStdString());
        auto summary = out->Worksheets(summaries[k - 1]);
        EXPECT_NEAR(Number(summary->Cells(2, 1)->Value()), 40.1 * k, 1e-9);
        EXPECT_EQ(Number(summary->Cells(3, 1)->Value()), 20.0 * k);
        EXPECT_EQ(FormulaOf(*summary, 2, 1), QStringLiteral("=A1*Rate"));
        // Changed in the merged book, the value follows the book's own data.
        out->Worksheets(QStringList({"Data", "Data_2", "Data_3"})[k - 1])
            ->Cells(1, 2)
            ->SetValue(1000.0);
        EXPECT_EQ(Number(summary->Cells(3, 1)->Value()), 2000.0);
    }
}

TEST_F(UnoFidelity, ChartsOfLaterBooksPlotTheirOwnCopiedSheets) {
    QStringList books;
    {
        auto app = sheet::CreateApplication();
        for (int k = 1; k <= 2; ++k) {
            auto book = NewBook(*app, {"Data", "グラフ"});
            auto data = book->Worksheets("Data");
            data->Range("A1:B5")->SetValues({{QString("月"), QString("額")},
                                             {QString("4月"), 10.0 * k},
                                             {QString("5月"), 20.0 * k},
                                             {QString("6月"), 30.0 * k},
                                             {QString("7月"), 40.0 * k}});
            sheet::lo::AddChart(*book->Worksheets("グラフ"), "売上", {"$Data.$A$1:$B$5"});
            books << Book(QStringLiteral("グラフ%1.xls").arg(k));
            Save(book, books.last());
        }
        app->Quit();
    }
    auto out = Merge(books);
    for (const auto& [sheetName, dataName] :
         QList<std::pair<QString, QString>>{{"グラフ", "Data"}, {"グラフ_2", "Data_2"}}) {
        SCOPED_TRACE(sheetName.toStdString());
        const QList<sheet::ChartData> charts = out->Worksheets(sheetName)->Charts();
        ASSERT_EQ(charts.size(), 1);
        EXPECT_EQ(charts[0].ranges, QStringList({"$'" + dataName + "'.$A$1:$B$5"}));
    }
}

TEST_F(UnoFidelity, LaterBooksKeepHiddenSheetsPageSetupArraysAndLinks) {
    const QString other = Book("other.xls");
    const QString a = Book("a.xls");
    const QString b = Book("b.xls");
    {
        auto app = sheet::CreateApplication();
        auto ext = NewBook(*app, {"Sheet1"});
        ext->Worksheets(1)->Cells(2, 2)->SetValue(777.0);
        Save(ext, other);

        auto first = NewBook(*app, {"表", "Data", "Memo"});
        sheet::lo::SetPageSetup(*first->Worksheets("表"), "報告", false, 100);
        first->Worksheets("Data")->Range("B2:B3")->SetValues({{1000.0}, {2000.0}});
        first->Worksheets("Memo")->Cells(2, 2)->SetValue(5.0);
        first->Worksheets("表")->Cells(6, 2)->SetFormula("=$Memo.B2*3");
        Save(first, a);

        auto second = NewBook(*app, {"表", "Data", "Memo", "隠し"});
        // The same page style name as book 1's, with other settings.
        sheet::lo::SetPageSetup(*second->Worksheets("表"), "報告", true, 75);
        second->Worksheets("Data")->Range("B2:B3")->SetValues({{5.0}, {7.0}});
        second->Worksheets("Memo")->Cells(2, 2)->SetValue(50.0);
        second->Worksheets("隠し")->Cells(1, 1)->SetValue(QStringLiteral("内緒"));
        sheet::lo::SetSheetVisible(*second->Worksheets("隠し"), false);
        auto table = second->Worksheets("表");
        table->Cells(2, 2)->SetFormula("=$Data.B2*2");
        sheet::lo::SetArrayFormula(*table->Range("B3:B4"), "=$Data.B2:B3*10");
        const QString url = QUrl::fromLocalFile(other).toString(QUrl::FullyEncoded);
        table->Cells(5, 2)->SetFormula("='" + url + "'#$Sheet1.B2");
        table->Cells(6, 2)->SetFormula("=$Memo.B2+1");
        table->Cells(7, 2)->SetFormula("=SUM($Memo.B2:$Memo.B3)*2");
        Save(second, b);
        app->Quit();
    }
    auto out = Merge({a, b}, "Memo", 1);
    // The cells that now hold values are named to the user.
    EXPECT_TRUE(messages.LastText().contains("表!B6\r表_2!B6\r表_2!B7"))
        << messages.LastText().toStdString();
    QStringList names;
    for (int i = 1; i <= out->SheetCount(); ++i)
        names << out->Worksheets(i)->Name();
    ASSERT_EQ(names, QStringList({"シート一覧", "表", "Data", "表_2", "Data_2", "隠し"}));

    EXPECT_FALSE(sheet::lo::SheetVisible(*out->Worksheets("隠し")));
    EXPECT_TRUE(sheet::lo::SheetVisible(*out->Worksheets("表_2")));
    EXPECT_EQ(sheet::lo::PageSetup(*out->Worksheets("表")), QStringLiteral("portrait 100%"));
    EXPECT_EQ(sheet::lo::PageSetup(*out->Worksheets("表_2")), QStringLiteral("landscape 75%"));

    // Book 1's own reference to its sheet left out keeps its value too.
    EXPECT_EQ(Number(out->Worksheets("表")->Cells(6, 2)->Value()), 15.0);
    EXPECT_EQ(FormulaOf(*out->Worksheets("表"), 6, 2), QStringLiteral("<none>"));

    auto table = out->Worksheets("表_2");
    EXPECT_EQ(Number(table->Cells(2, 2)->Value()), 10.0);
    // The array formula reads the copied data.
    EXPECT_EQ(Number(table->Cells(3, 2)->Value()), 50.0);
    EXPECT_EQ(Number(table->Cells(4, 2)->Value()), 70.0);
    EXPECT_EQ(FormulaOf(*table, 3, 2), QStringLiteral("=$Data_2.B2:B3*10"));
    // The link to another file still leads to that file's sheet, and shows
    // the value the book had from it.
    EXPECT_EQ(Number(table->Cells(5, 2)->Value()), 777.0);
    EXPECT_TRUE(FormulaOf(*table, 5, 2).endsWith("/books/other.xls'#$Sheet1.B2"))
        << FormulaOf(*table, 5, 2).toStdString();
    // References to the sheet left out keep the values they had in book b.
    EXPECT_EQ(Number(table->Cells(6, 2)->Value()), 51.0);
    EXPECT_EQ(Number(table->Cells(7, 2)->Value()), 100.0);
}

// The names that refer to a sheet left out keep the value they had, in book 1
// and in the copies of book 2, workbook-level or a sheet's own, one cell, an
// area or a formula: the formulas that use them show the same numbers in the
// saved workbook, reopened, as in the books (.xls and .xlsx). The user is told
// which names they are, and which charts that plot such a sheet keep their
// numbers (see ChartsOfASheetLeftOutKeepTheirNumbers).
TEST_F(UnoFidelity, NamesAndChartsOfASheetLeftOutKeepTheirValuesOrAreListed) {
    QStringList books;
    {
        auto app = sheet::CreateApplication();
        for (int k = 1; k <= 2; ++k) {
            auto book = NewBook(*app, {"表", "Memo"});
            book->Worksheets("Memo")->Range("B2:B4")->SetValues(
                {{5.0 * k}, {7.0 * k}, {QStringLiteral("%1月").arg(k)}});
            sheet::lo::DefineName(*book, "Rate", "$Memo.$B$2");
            auto table = book->Worksheets("表");
            table->SetLocalName({"Loc", "$Memo.$B$3"});
            table->Cells(1, 1)->SetFormula("=Rate*2");
            table->Cells(2, 1)->SetFormula("=Loc+1");
            sheet::lo::DefineName(*book, "Total", "SUM($Memo.$B$2:$B$3)*2");
            table->Cells(6, 1)->SetFormula("=Total+1");
            book->Worksheets("Memo")->Range("A1:A3")->SetValues(
                {{QString("月")}, {QString("4月")}, {QString("5月")}});
            sheet::lo::AddChart(*table, "売上", {"$Memo.$A$1:$B$3"});
            if (k == 1) {
                sheet::lo::DefineName(*book, "Label", "$Memo.$B$4");
                sheet::lo::DefineName(*book, "Area", "$Memo.$B$2:$B$3");
                // A whole column has no one value.
                sheet::lo::DefineName(*book, "Column", "$Memo.$B:$B");
                table->Cells(7, 1)->SetFormula("=SUM(Column)");
                table->Cells(3, 1)->SetFormula("=Label&\"分\"");
                table->Cells(4, 1)->SetFormula("=SUM(Area)");
                table->Cells(5, 1)->SetFormula("=INDEX(Area;2;1)");
            }
            books << Book(QStringLiteral("名前%1.xls").arg(k));
            Save(book, books.last());
        }
        app->Quit();
    }
    for (const QString& extension : {QStringLiteral("xls"), QStringLiteral("xlsx")}) {
        SCOPED_TRACE(extension.toStdString());
        auto out = Merge(books, "Memo", 1, extension);
        // Kept values first, then the ones to check.
        const QStringList parts = messages.LastText().split("\r\r");
        ASSERT_EQ(parts.size(), 3) << messages.LastText().toStdString();
        // Charts by the object names the office gives them in the saved book.
        for (const QString& kept : QStringList{"\r名前 Label", "\r名前 Rate", "\r名前 Area",
                                               "\r名前 Total", "\r名前 表!Loc", "\r名前 表_2!Loc",
                                               "\rグラフ 表!Object 1", "\rグラフ 表_2!Object"})
            EXPECT_TRUE(parts[0].contains(kept)) << parts[0].toStdString();
        EXPECT_TRUE(parts[1].contains("\r名前 Column")) << parts[1].toStdString();
        EXPECT_EQ(parts[1].count("名前"), 1) << parts[1].toStdString();
        EXPECT_FALSE(parts[1].contains("グラフ")) << parts[1].toStdString();

        auto table = out->Worksheets("表");
        EXPECT_EQ(Number(table->Cells(1, 1)->Value()), 10.0);
        EXPECT_EQ(Number(table->Cells(2, 1)->Value()), 8.0);
        EXPECT_EQ(table->Cells(3, 1)->Value(), sheet::CellValue(QStringLiteral("1月分")));
        EXPECT_EQ(Number(table->Cells(4, 1)->Value()), 12.0);
        EXPECT_EQ(Number(table->Cells(5, 1)->Value()), 7.0);
        EXPECT_EQ(Number(table->Cells(6, 1)->Value()), 25.0);
        const QStringList formulas = {"=Rate*2",    "=Loc+1",           "=Label&\"分\"",
                                      "=SUM(Area)", "=INDEX(Area;2;1)", "=Total+1"};
        for (int row = 1; row <= 6; ++row)
            EXPECT_EQ(FormulaOf(*table, row, 1), formulas[row - 1]);
        // Book 2's copy reads book 2's values (its formula worked out in
        // book 2).
        auto copy = out->Worksheets("表_2");
        EXPECT_EQ(Number(copy->Cells(1, 1)->Value()), 20.0);
        EXPECT_EQ(FormulaOf(*copy, 1, 1), QStringLiteral("=Rate*2"));
        EXPECT_EQ(Number(copy->Cells(2, 1)->Value()), 15.0);
        EXPECT_EQ(FormulaOf(*copy, 2, 1), QStringLiteral("=Loc+1"));
        EXPECT_EQ(Number(copy->Cells(6, 1)->Value()), 49.0);
        EXPECT_EQ(FormulaOf(*copy, 6, 1), QStringLiteral("=Total+1"));
        out->Close();
    }
}

// A chart that plots a sheet left out keeps the numbers it showed, in book 1
// (whose chart the office would point at its own sheet once the plotted one
// is removed) and in a copy from book 2 (whose chart would come without
// ranges): held by the chart in today's format, on a hidden sheet named after
// the one left out in the classic format, whose charts read cells only.
TEST_F(UnoFidelity, ChartsOfASheetLeftOutKeepTheirNumbers) {
    QStringList books;
    {
        auto app = sheet::CreateApplication();
        for (int k = 1; k <= 2; ++k) {
            auto book = NewBook(*app, {"表", "Memo"});
            // A label that reads like a formula stays a label.
            book->Worksheets("Memo")->Range("A1:B3")->SetValues({{QString("月"), QString("=額")},
                                                                 {QString("4月"), 5.0 * k},
                                                                 {QString("5月"), 7.0 * k}});
            sheet::lo::AddChart(*book->Worksheets("表"), "売上", {"$Memo.$A$1:$B$3"});
            books << Book(QStringLiteral("グラフ元%1.xls").arg(k));
            Save(book, books.last());
        }
        app->Quit();
    }
    for (const QString& output :
         {QStringLiteral("out/結果.xls"), QStringLiteral("out/結果.xlsx")}) {
        SCOPED_TRACE(output.toStdString());
        messages.messages.clear();
        bookmrg::RunParams params = Params(books, "Memo", QString(), bookmrg::MatchMode::WholeName);
        params.outputBook = Temp(output);
        host.Follow(bookmrg::ConsolidateBooks(params));
        ASSERT_EQ(messages.Count(), 1);
        const QStringList parts = messages.LastText().split("\r\r");
        ASSERT_EQ(parts.size(), 2) << messages.LastText().toStdString();
        EXPECT_TRUE(parts[0].contains("\rグラフ 表!Object 1")) << parts[0].toStdString();
        EXPECT_TRUE(parts[0].contains("\rグラフ 表_2!Object")) << parts[0].toStdString();

        auto reader = sheet::CreateApplication();
        auto out = reader->Workbooks().Open(Temp(output), {true, {}});
        const bool classic = output.endsWith(".xls");
        QStringList names;
        for (int i = 1; i <= out->SheetCount(); ++i)
            names << out->Worksheets(i)->Name();
        // The list, the two tables and, for the classic format only, the
        // numbers of each chart on a hidden sheet of their own.
        EXPECT_EQ(names, classic ? QStringList({"シート一覧", "表", "表_2", "Memo", "Memo_2"})
                                 : QStringList({"シート一覧", "表", "表_2"}));
        for (int k = 1; k <= 2; ++k) {
            const QString table = k == 1 ? QStringLiteral("表") : QStringLiteral("表_2");
            const QString from = classic ? (k == 1 ? "$Memo." : "$Memo_2.") : QString("own");
            auto cells = [&](const QString& range) {
                return classic ? from + range : QStringLiteral("own");
            };
            EXPECT_EQ(sheet::lo::ChartContents(*out->Worksheets(table)),
                      QStringList(
                          {cells("$A$2:$A$3") + " = 4月 5月", cells("$B$1") + " = =額",
                           cells("$B$2:$B$3") + QStringLiteral(" = %1 %2").arg(5 * k).arg(7 * k)}))
                << table.toStdString();
            if (classic) {
                EXPECT_FALSE(sheet::lo::SheetVisible(*out->Worksheets(k == 1 ? "Memo" : "Memo_2")));
            }
        }
        reader->Quit();
    }
}

} // namespace
