// Formulas between the sheets of merged books, with the real office: the
// saved workbook, reopened, refers only to its own sheets and recalculates
// to the values of the books.

#include "merge_fixture.h"
#include "office_inspect.h"

namespace {

double Number(const sheet::CellValue& v) {
    return std::holds_alternative<double>(v) ? std::get<double>(v) : -1e300;
}

class UnoFormulas : public bookmrg_test::UnoMergeTest {
protected:
    // A book of data sheets (B2 and B3 hold numbers) and a summary sheet
    // "集計" whose formulas refer to them.
    void MakeBook(sheet::Application& app, const QString& path, const QStringList& dataSheets,
                  double base, const QStringList& summaryFormulas) {
        auto book = app.Workbooks().Add();
        book->Worksheets(1)->SetName(dataSheets[0]);
        for (int i = 1; i < dataSheets.size(); ++i)
            book->Worksheets(i)
                ->Copy(sheet::Where::After, *book->Worksheets(i))
                ->SetName(dataSheets[i]);
        for (int i = 1; i <= dataSheets.size(); ++i) {
            auto sheet = book->Worksheets(i);
            sheet->Cells(2, 2)->SetValue(base * i);
            sheet->Cells(3, 2)->SetValue(base * i + 1);
        }
        auto summary = book->Worksheets(int(dataSheets.size()))
                           ->Copy(sheet::Where::After, *book->Worksheets(int(dataSheets.size())));
        summary->SetName(QStringLiteral("集計"));
        for (int r = 0; r < summaryFormulas.size(); ++r)
            summary->Cells(r + 2, 2)->SetFormula(summaryFormulas[r]);
        book->SaveAs(path);
        book->Close();
    }
};

TEST_F(UnoFormulas, MergedSummariesReferToTheirOwnBooksSheetsAfterReopening) {
    const QStringList formulas = {"=SUM($Data.B2:$Data.B3)", "=$'O''Brien'.B2*2",
                                  "=Data.B3+$'O''Brien'.B3", "=B2+B3"};
    const QString a = Book("a.xls");
    const QString b = Book("b.xls");
    const QString c = Book("c.xls");
    {
        auto app = sheet::CreateApplication();
        MakeBook(*app, a, {"Data", "O'Brien"}, 10, formulas);
        MakeBook(*app, b, {"Data", "O'Brien"}, 100, formulas);
        MakeBook(*app, c, {"O'Brien", "Data"}, 1000, formulas);
        app->Quit();
    }
    bookmrg::RunParams params;
    params.outputBook = Temp(QStringLiteral("out/結果"));
    QDir().mkpath(Temp(QStringLiteral("out")));
    params.books = {a, b, c};
    params.matchMode = bookmrg::MatchMode::WholeName;
    params.templatePath = templatePath;
    host.Follow(bookmrg::ConsolidateBooks(params));
    EXPECT_EQ(messages.Count(), 0) << messages.Texts().join('|').toStdString();

    auto app = sheet::CreateApplication();
    auto out = app->Workbooks().Open(Temp(QStringLiteral("out/結果.xls")));
    QStringList names;
    for (int i = 1; i <= out->SheetCount(); ++i)
        names.append(out->Worksheets(i)->Name());
    ASSERT_EQ(names, QStringList({"シート一覧", "Data", "O'Brien", "集計", "Data_2", "O'Brien_2",
                                  "集計_2", "O'Brien_3", "Data_3", "集計_3"}));

    // Each book's summary as in the book: Data B2..B3, O'Brien B2 and B3.
    struct Expected {
        QString summary, data, other;
        double data2, data3, other2, other3;
    };
    const QList<Expected> books = {{"集計", "Data", "O'Brien", 10, 11, 20, 21},
                                   {"集計_2", "Data_2", "O'Brien_2", 100, 101, 200, 201},
                                   {"集計_3", "Data_3", "O'Brien_3", 2000, 2001, 1000, 1001}};
    for (const Expected& e : books) {
        SCOPED_TRACE(e.summary.toStdString());
        auto summary = out->Worksheets(e.summary);
        for (const sheet::FormulaCell& f : summary->Formulas()) {
            EXPECT_FALSE(f.formula.contains(QStringLiteral("file:"))) << f.formula.toStdString();
            EXPECT_FALSE(f.formula.contains(QStringLiteral("#REF"))) << f.formula.toStdString();
        }
        EXPECT_EQ(Number(summary->Cells(2, 2)->Value()), e.data2 + e.data3);
        EXPECT_EQ(Number(summary->Cells(3, 2)->Value()), e.other2 * 2);
        EXPECT_EQ(Number(summary->Cells(4, 2)->Value()), e.data3 + e.other3);
        EXPECT_EQ(Number(summary->Cells(5, 2)->Value()), e.data2 + e.data3 + e.other2 * 2);
        // A change of the copied data recalculates its own summary only.
        out->Worksheets(e.data)->Cells(2, 2)->SetValue(e.data2 + 5);
        EXPECT_EQ(Number(summary->Cells(2, 2)->Value()), e.data2 + 5 + e.data3);
    }
    EXPECT_EQ(Number(out->Worksheets(QStringLiteral("集計"))->Cells(2, 2)->Value()), 10 + 5 + 11);
    app->Quit();
}

TEST_F(UnoFormulas, ACopyTakesItsPageSetupAlongWhenAsked) {
    auto app = sheet::CreateApplication();
    auto source = app->Workbooks().Add();
    source->Worksheets(1)->SetName(QStringLiteral("横長"));
    sheet::lo::SetPageSetup(*source->Worksheets(1), QStringLiteral("報告書"), true, 85);
    auto target = app->Workbooks().Add();
    auto plain = source->Worksheets(1)->Copy(sheet::Where::After, *target->Worksheets(1));
    EXPECT_EQ(sheet::lo::PageSetup(*plain), QStringLiteral("portrait 100%"));
    auto printed = source->Worksheets(1)->Copy(sheet::Where::After, *target->Worksheets(1), true);
    EXPECT_EQ(sheet::lo::PageSetup(*printed), QStringLiteral("landscape 85%"));
    // Saved and reopened, the layout is still there.
    const QString path = Temp(QStringLiteral("printed.xls"));
    const QString name = printed->Name();
    target->SaveAs(path);
    target->Close();
    auto reopened = app->Workbooks().Open(path);
    EXPECT_EQ(sheet::lo::PageSetup(*reopened->Worksheets(name)), QStringLiteral("landscape 85%"));
    app->Quit();
}

} // namespace
