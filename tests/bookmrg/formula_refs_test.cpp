// References between the sheets of one book, pointed at the copies of those
// sheets: the text rewriting, and the engine doing it for every merged book.

#include "bookmrg/formula_refs.h"
#include "engine_fixture.h"

namespace {

using bookmrg::RepointSheetRefs;

std::string Repointed(const QString& formula, const bookmrg::SheetRenames& renames) {
    const auto out = RepointSheetRefs(formula, renames);
    return out ? out->toStdString() : std::string("<unchanged>");
}

TEST(RepointSheetRefs, ReferencesToCopiedSheetsLeadToTheirNewNames) {
    const bookmrg::SheetRenames renames = {
        {"Data", "Data_2"}, {"集計", "集計"}, {"O'Brien", "O'Brien_2"}, {"2024", "2024_3"}};
    // Absolute and relative sheet references, ranges, several in one formula.
    EXPECT_EQ(Repointed("=$Data.J202", renames), "=$'Data_2'.J202");
    EXPECT_EQ(Repointed("=Data.$B$2*2", renames), "='Data_2'.$B$2*2");
    EXPECT_EQ(Repointed("=SUM($Data.B2:$Data.B9)+$集計.A1", renames),
              "=SUM($'Data_2'.B2:$'Data_2'.B9)+$'集計'.A1");
    EXPECT_EQ(Repointed("=SUM($Data.A:A)", renames), "=SUM($'Data_2'.A:A)");
    // Quoted names, apostrophes doubled both ways; names that look like numbers.
    EXPECT_EQ(Repointed("=$'O''Brien'.B2", renames), "=$'O''Brien_2'.B2");
    EXPECT_EQ(Repointed("=$'2024'.C3/2", renames), "=$'2024_3'.C3/2");
}

TEST(RepointSheetRefs, EverythingElseIsLeftAsItWas) {
    const bookmrg::SheetRenames renames = {{"Data", "Data_2"}, {"B", "B_2"}};
    // No reference to another sheet, or only to sheets that were not copied.
    EXPECT_EQ(Repointed("=B2+SUM(C1:C9)", renames), "<unchanged>");
    EXPECT_EQ(Repointed("=$Other.A1+$'Data 2'.A1+DataX.A1", renames), "<unchanged>");
    // The same sheet name in another file stays a reference to that file.
    EXPECT_EQ(Repointed("='file:///tmp/other.xls'#$Data.A1", renames), "<unchanged>");
    EXPECT_EQ(Repointed("='file:///tmp/o.xls'#$Data.A1+$Data.A1", renames),
              "='file:///tmp/o.xls'#$Data.A1+$'Data_2'.A1");
    // Texts, numbers, dotted function names and cell references are no sheets.
    EXPECT_EQ(Repointed("=\"$Data.A1\"&T(\"it's\")", renames), "<unchanged>");
    EXPECT_EQ(Repointed("=NORM.S.DIST(1.5;1)+B.A1", renames), "=NORM.S.DIST(1.5;1)+'B_2'.A1");
    EXPECT_EQ(Repointed("=A1.B2", renames), "<unchanged>");
}

class FormulaMerge : public bookmrg_test::EngineTest {
protected:
    // A book of a data sheet and a summary whose formula sums the data sheet.
    QString SummaryBook(const QString& file, double value, const QString& extraSheet = {}) {
        bookmrg_test::SheetSpec spec = {{"Data", {{"B2", value}}}, {"集計", {}}};
        if (!extraSheet.isEmpty())
            spec.push_back({extraSheet, {}});
        fakesheet::Book book = fakesheet::MakeBook(spec);
        book.sheets[1].cells["B2"].formula = "=SUM($Data.B2:$Data.B3)";
        book.sheets[1].cells["B3"].formula = "=B2*2";
        if (!extraSheet.isEmpty())
            book.sheets[1].cells["B4"].formula = "=$'" + extraSheet + "'.A1";
        const QString path = Book(file);
        EXPECT_TRUE(fakesheet::WriteBook(path, book));
        return path;
    }
    QString FormulaAt(const fakesheet::Book& out, const QString& sheet, const QString& cell) {
        const fakesheet::Sheet* s = out.Find(sheet);
        return s ? s->At(cell).formula : QStringLiteral("<no sheet>");
    }
};

TEST_F(FormulaMerge, EachBooksReferencesLeadToItsOwnCopies) {
    const QString a = SummaryBook("a.xls", 1);
    const QString b = SummaryBook("b.xls", 2, "Memo");
    const QString c = SummaryBook("c.xls", 3, "Memo");
    // "Memo" of book c is left out: its reference is not touched.
    Run(Params({a, b, c}, "Memo", QString(), "1"));
    const auto out = Output();
    ASSERT_TRUE(out);
    EXPECT_EQ(out->SheetNames(),
              QStringList({"シート一覧", "Data", "集計", "Data_2", "集計_2", "Data_3", "集計_3"}));
    // Book 1 is a copy of its file: its formulas are as they were.
    EXPECT_EQ(FormulaAt(*out, "集計", "B2"), "=SUM($Data.B2:$Data.B3)");
    EXPECT_EQ(FormulaAt(*out, "集計_2", "B2"), "=SUM($'Data_2'.B2:$'Data_2'.B3)");
    EXPECT_EQ(FormulaAt(*out, "集計_3", "B2"), "=SUM($'Data_3'.B2:$'Data_3'.B3)");
    EXPECT_EQ(FormulaAt(*out, "集計_3", "B4"), "=$'Memo'.A1");
    // Only cells that name another sheet are set again, a sheet's together.
    EXPECT_EQ(office.Log().filter(".SetFormulas ").join(QLatin1Char('|')),
              QStringLiteral("Worksheets(集計_2).SetFormulas 1|Worksheets(集計_3).SetFormulas 1"));
    EXPECT_EQ(messages.Count(), 0);
}

TEST_F(FormulaMerge, SheetsCopiedBeforeTheLimitStillLeadToEachOther) {
    const QString a = SummaryBook("a.xls", 1);
    const QString b = SummaryBook("b.xls", 2, "Memo");
    office.FailOn("Worksheets(Memo).Copy");
    Run(Params({a, b}));
    const auto out = Output();
    ASSERT_TRUE(out);
    EXPECT_EQ(out->SheetNames(), QStringList({"Data", "集計", "Data_2", "集計_2"}));
    EXPECT_EQ(FormulaAt(*out, "集計_2", "B2"), "=SUM($'Data_2'.B2:$'Data_2'.B3)");
    // The reference to the sheet that could not be copied is left alone.
    EXPECT_EQ(FormulaAt(*out, "集計_2", "B4"), "=$'Memo'.A1");
}

} // namespace
