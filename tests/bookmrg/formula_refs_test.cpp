// References between the sheets of one book, pointed at the copies of those
// sheets: the text rewriting, and the engine doing it for every merged book.

#include "bookmrg/formula_refs.h"
#include "engine_fixture.h"

#include <QRegularExpression>

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

TEST(RewriteForCopy, FormulasThatTheCopyMustTakeAgain) {
    bookmrg::BookRefs refs;
    refs.renames = {{"Data", "Data_2"}};
    refs.notCopied = {"Memo"};
    refs.ownNames = {"RATE"};
    auto rewritten = [&](const QString& f) {
        const auto out = bookmrg::RewriteForCopy(f, refs);
        return out ? out->toStdString() : std::string("<as copied>");
    };
    EXPECT_EQ(rewritten("=$Data.B2*2"), "=$'Data_2'.B2*2");
    // A name the copies define for themselves, in any letter case; a function
    // of that name, a text or a sheet of that name are no use of it.
    EXPECT_EQ(rewritten("=A1*rate"), "=A1*rate");
    EXPECT_EQ(rewritten("=RATE(12;-100;1000)+\"Rate\""), "<as copied>");
    // A link to another file stays as the copy has it (its cached sheets go
    // along with the copy).
    EXPECT_EQ(rewritten("='file:///t/o.xls'#$Sheet1.B2"), "<as copied>");
    EXPECT_EQ(rewritten("=B2+C3"), "<as copied>");

    EXPECT_TRUE(bookmrg::RefersToNotCopied("=$Memo.B2+1", refs));
    EXPECT_TRUE(bookmrg::RefersToNotCopied("=SUM($'Memo'.B2:B3)", refs));
    EXPECT_FALSE(bookmrg::RefersToNotCopied("=\"$Memo.B2\"&$Data.A1", refs));
    EXPECT_FALSE(bookmrg::RefersToNotCopied("='file:///t/o.xls'#$Memo.A1", refs));
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
    // "Memo" of book c is left out: the formula that refers to it keeps its
    // value in the book, and the user is told.
    Run(Params({a, b, c}, "Memo", QString(), bookmrg::MatchMode::WholeName));
    const auto out = Output();
    ASSERT_TRUE(out);
    EXPECT_EQ(out->SheetNames(),
              QStringList({"シート一覧", "Data", "集計", "Data_2", "集計_2", "Data_3", "集計_3"}));
    // Book 1 is a copy of its file: its formulas are as they were.
    EXPECT_EQ(FormulaAt(*out, "集計", "B2"), "=SUM($Data.B2:$Data.B3)");
    EXPECT_EQ(FormulaAt(*out, "集計_2", "B2"), "=SUM($'Data_2'.B2:$'Data_2'.B3)");
    EXPECT_EQ(FormulaAt(*out, "集計_3", "B2"), "=SUM($'Data_3'.B2:$'Data_3'.B3)");
    EXPECT_EQ(FormulaAt(*out, "集計_3", "B4"), "");
    // Only cells that name another sheet are set again, a sheet's together.
    EXPECT_EQ(office.Log().filter(".SetFormulas ").join(QLatin1Char('|')),
              QStringLiteral("Worksheets(集計_2).SetFormulas 1|Worksheets(集計_3).SetFormulas 1"));
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.LastText().contains("\r集計_3!B4\r")) << messages.LastText().toStdString();
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
    // The formula that refers to the sheet that could not be copied keeps its
    // value in the book.
    EXPECT_EQ(FormulaAt(*out, "集計_2", "B4"), "");
    EXPECT_TRUE(messages.LastText().contains("集計_2!B4")) << messages.LastText().toStdString();
}

TEST_F(FormulaMerge, ARefusedFormulaIsReportedAndTheOthersStillGoIn) {
    const QString a = SummaryBook("a.xls", 1);
    const QString b = SummaryBook("b.xls", 2);
    fakesheet::Book book = *fakesheet::ReadBook(b);
    book.sheets[1].cells["C2"].formula = "=$Data.B2";
    ASSERT_TRUE(fakesheet::WriteBook(b, book));
    // The block fails, then the second of its cells alone.
    office.FailOn("Worksheets(集計_2).SetFormulas");
    office.FailOn("Worksheets(集計_2).SetFormulas", 1);
    Run(Params({a, b}));
    const auto out = Output();
    ASSERT_TRUE(out);
    EXPECT_EQ(FormulaAt(*out, "集計_2", "B2"), "=SUM($'Data_2'.B2:$'Data_2'.B3)");
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.LastText().contains("\r集計_2!C2\r")) << messages.LastText().toStdString();
}

TEST_F(FormulaMerge, BookOnesFormulasOnASheetLeftOutKeepTheirValues) {
    const QString a = SummaryBook("a.xls", 1, "Memo");
    fakesheet::Book book = *fakesheet::ReadBook(a);
    book.sheets[1].cells["B4"].value = 7.0; // what the formula shows
    ASSERT_TRUE(fakesheet::WriteBook(a, book));
    Run(Params({a}, "Memo", QString(), bookmrg::MatchMode::WholeName));
    const auto out = Output();
    ASSERT_TRUE(out);
    EXPECT_EQ(out->SheetNames(), QStringList({"シート一覧", "Data", "集計"}));
    EXPECT_EQ(FormulaAt(*out, "集計", "B4"), "");
    EXPECT_EQ(out->Find("集計")->At("B4").value, sheet::CellValue(7.0));
    // The other formulas are as they were.
    EXPECT_EQ(FormulaAt(*out, "集計", "B2"), "=SUM($Data.B2:$Data.B3)");
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.LastText().contains("\r集計!B4\r")) << messages.LastText().toStdString();
}

TEST_F(FormulaMerge, ABooksOwnNamesAndChartsFollowItsCopies) {
    const QString a = SummaryBook("a.xls", 1);
    const QString b = SummaryBook("b.xls", 2);
    for (const auto& [path, rate] : {std::pair{a, "0.1"}, std::pair{b, "0.2"}}) {
        fakesheet::Book book = *fakesheet::ReadBook(path);
        book.names["Rate"] = rate;
        book.names["Same"] = "42";
        book.sheets[1].cells["C2"].formula = "=B2*Rate";
        book.sheets[1].charts["売上"] = QStringList{"$'Data'.$B$2:$B$3"};
        ASSERT_TRUE(fakesheet::WriteBook(path, book));
    }
    Run(Params({a, b}));
    const auto out = Output();
    ASSERT_TRUE(out);
    EXPECT_EQ(messages.Count(), 0);
    // Book b's Rate differs from the output's: each copy of b has its own,
    // and the formula using it is entered again. "Same" means the same.
    for (const QString& sheet : QStringList{"Data_2", "集計_2"}) {
        EXPECT_EQ(out->Find(sheet)->localNames.value("Rate"), "0.2");
        EXPECT_FALSE(out->Find(sheet)->localNames.contains("Same"));
    }
    EXPECT_TRUE(out->Find("集計")->localNames.isEmpty());
    // The copies take it once no sheet comes or goes any more (the sheet
    // list is in front by then).
    const QStringList log = office.Log();
    const qsizetype named =
        log.indexOf(QRegularExpression(R"(^Worksheets\(集計_2\)\.SetLocalName Rate.*)"));
    ASSERT_NE(named, -1) << log.join('|').toStdString();
    EXPECT_GT(named, log.indexOf(QRegularExpression(R"(^Worksheets\(シート一覧\)\.Copy.*)")));
    // Only the cells that name another sheet are set again.
    EXPECT_EQ(office.Calls("Worksheets(集計_2).SetFormulas").size(), 1);
    // The chart of b's copy plots b's copied data.
    EXPECT_EQ(out->Find("集計")->charts.value("売上"), QStringList({"$'Data'.$B$2:$B$3"}));
    EXPECT_EQ(out->Find("集計_2")->charts.value("売上"), QStringList({"$'Data_2'.$B$2:$B$3"}));
}

// What a name that refers to a sheet left out becomes: a constant only where
// it has one value wherever it is used; a formula is worked out by the
// office (the in-memory one computes nothing, so it gives no value).
TEST_F(FormulaMerge, ANameTakesAConstantOnlyWhereItHasOneValue) {
    const QString path =
        WriteBook("m.xls", {{"Data", {{"B2", 1.0}}},
                            {"Memo", {{"B2", 5.0}, {"C2", 6.0}, {"B3", 7.0}, {"C3", QString("x")}}},
                            {"O'Brien", {{"A1", 9.0}}}});
    auto app = sheet::CreateApplication();
    auto book = app->Workbooks().Open(path, {});
    const QSet<QString> leftOut = {"Memo", "O'Brien"};
    const auto constant = [&](const QString& content) {
        return bookmrg::ConstantForName(*book, content, leftOut).value_or("<none>");
    };
    EXPECT_EQ(constant("$Memo.$B$2"), "5");
    EXPECT_EQ(constant("$'O''Brien'.$A$1"), "9");
    EXPECT_EQ(constant("$Memo.$B$2:$C$3"), "{5;6|7;\"x\"}");
    EXPECT_EQ(constant("$Memo.$C$3:$Memo.$B$2"), "{5;6|7;\"x\"}");
    EXPECT_EQ(constant("$Memo.$A$1:$A$257"), "<none>"); // too many cells
    // Relative to the cell that uses the name: no one value.
    for (const QString content : {"$Memo.B2", "$Memo.$B2", "Memo.$B$2", "$Memo.$B$2:B3",
                                  "SUM($Memo.$B:B)", "SUM($Memo.2:$2)"})
        EXPECT_EQ(constant(content), "<none>") << content.toStdString();
    // A sheet that stays, or none.
    EXPECT_EQ(constant("$Data.$B$2"), "<none>");
    EXPECT_EQ(constant("0.5"), "<none>");
    // Formulas: those with a place or a clock of their own are not tried.
    const int before = int(office.Calls("Worksheets(Memo).SetFormulas").size());
    for (const QString content : {"NOW()+$Memo.$B$2", "rand()*$Memo.$B$2", "ROW()+$Memo.$B$2",
                                  "OFFSET($Memo.$B$2;1;0)", "SUM($Memo.$B$2:$B$3;C1)"})
        EXPECT_EQ(constant(content), "<none>") << content.toStdString();
    EXPECT_EQ(office.Calls("Worksheets(Memo).SetFormulas").size(), before);
    for (const QString content :
         {"SUM($Memo.$B$2:$B$3)*2", "LOG10($Memo.$B$2)&\"B2\"", "SUM($Memo.$B:$B)"})
        EXPECT_EQ(constant(content), "<none>") << content.toStdString();
    EXPECT_EQ(office.Calls("Worksheets(Memo).SetFormulas").size(), before + 3);
}

TEST_F(FormulaMerge, NamesAndChartsOfASheetLeftOutKeepTheirValues) {
    const QString a = SummaryBook("a.xls", 1, "Memo");
    const QString b = SummaryBook("b.xls", 2, "Memo");
    for (const QString& path : {a, b}) {
        fakesheet::Book book = *fakesheet::ReadBook(path);
        book.sheets[2].cells["B2"].value = path == a ? 5.0 : 50.0;
        book.sheets[2].cells["B3"].value = QStringLiteral("say \"hi\"");
        book.names["Rate"] = "$Memo.$B$2";
        book.sheets[1].localNames["Loc"] = "$Memo.$B$2";
        book.sheets[1].charts["売上"] = QStringList{"$'Memo'.$B$2:$B$3"};
        book.sheets[0].charts["推移"] = QStringList{"$'Data'.$B$2:$B$3"};
        ASSERT_TRUE(fakesheet::WriteBook(path, book));
    }
    fakesheet::Book book = *fakesheet::ReadBook(a);
    book.names["Title"] = "$'Memo'.$B$3";
    book.names["Empty"] = "$Memo.$C$9";
    book.names["Near"] = "$Memo.C9"; // relative to the cell using it
    book.names["Area"] = "$Memo.$B$2:$B$3";
    book.names["Wide"] = "$Memo.$A$1:$Z$20"; // too many cells for a constant
    book.names["Twice"] = "$Memo.$B$2*2";    // worked out in the office only
    book.names["Clock"] = "NOW()-$Memo.$B$2";
    book.names["Base"] = "$Data.$B$2";
    ASSERT_TRUE(fakesheet::WriteBook(a, book));
    book = *fakesheet::ReadBook(b);
    book.sheets[1].localNames["Rel"] = "$Memo.B2*2"; // relative to the cell using it
    ASSERT_TRUE(fakesheet::WriteBook(b, book));

    Run(Params({a, b}, "Memo", QString(), bookmrg::MatchMode::WholeName));
    const auto out = Output();
    ASSERT_TRUE(out);
    // One cell's value becomes the name's content: numbers, texts with their
    // quotes doubled, an empty cell as 0; an area's values an array.
    EXPECT_EQ(out->names.value("Rate"), "5");
    EXPECT_EQ(out->names.value("Title"), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(out->names.value("Empty"), "0");
    EXPECT_EQ(out->names.value("Area"), "{5|\"say \"\"hi\"\"\"}");
    EXPECT_EQ(out->names.value("Base"), "$Data.$B$2");
    EXPECT_EQ(out->names.value("Wide"), "$Memo.$A$1:$Z$20");
    // A sheet's own name, of book 1 and of a copy; book b's name on its
    // copies, with b's value.
    EXPECT_EQ(out->Find("集計")->localNames.value("Loc"), "5");
    EXPECT_EQ(out->Find("集計_2")->localNames.value("Loc"), "50");
    for (const QString copy : {"Data_2", "集計_2"})
        EXPECT_EQ(out->Find(copy)->localNames.value("Rate"), "50") << copy.toStdString();
    // The names that the copies had already take their values once no sheet
    // comes or goes any more: after the sheet list is put in front.
    const QStringList log = office.Log();
    const auto at = [&](const QString& call) {
        for (qsizetype i = 0; i < log.size(); ++i)
            if (log[i].contains(call))
                return i;
        return qsizetype(-1);
    };
    const qsizetype list = at("Worksheets(シート一覧).Copy Before");
    ASSERT_NE(list, -1);
    EXPECT_LT(at("Worksheets(Memo).Delete"), list);
    for (const QString set : {").SetName Rate = 5", "Worksheets(集計).SetLocalName Loc = 5",
                              "Worksheets(集計_2).SetLocalName Loc = 50"})
        EXPECT_GT(at(set), list) << set.toStdString() << "\n" << log.join('|').toStdString();
    // Only a formula that means the same wherever it is used is worked out.
    EXPECT_EQ(log.filter("Worksheets(Memo).SetFormulas").size(), 1) << log.join('|').toStdString();
    // Kept values first, then the names to check: a too large area, formulas
    // without a value, a copy's relative name.
    ASSERT_EQ(messages.Count(), 1);
    const QStringList parts = messages.LastText().split("\r\r");
    ASSERT_EQ(parts.size(), 3) << messages.LastText().toStdString();
    // Charts that plot the sheet left out hold their numbers themselves, in
    // book 1 and in book b's source before its sheet is copied (listed with
    // the kept values, of which the eleventh and later are only counted); the
    // others keep their ranges.
    for (const QString& kept :
         QStringList{"\r名前 Rate", "\r名前 Title", "\r名前 Empty", "\r名前 Area",
                     "\r名前 集計!Loc", "\r名前 集計_2!Loc", "\rグラフ 集計!売上", "\rほか 1 件"})
        EXPECT_TRUE(parts[0].contains(kept)) << parts[0].toStdString();
    EXPECT_EQ(parts[0].count("\r名前 Rate"), 2) << parts[0].toStdString();
    for (const QString& check : QStringList{"\r名前 Wide", "\r名前 Twice", "\r名前 Clock",
                                            "\r名前 Near", "\r名前 集計_2!Rel"})
        EXPECT_TRUE(parts[1].contains(check)) << parts[1].toStdString();
    EXPECT_FALSE(parts[1].contains("Rate")) << parts[1].toStdString();
    EXPECT_FALSE(messages.LastText().contains("Base"));
    EXPECT_FALSE(messages.LastText().contains("推移"));
    for (const QString& table : {QStringLiteral("集計"), QStringLiteral("集計_2")}) {
        const fakesheet::Sheet* sheet = out->Find(table);
        ASSERT_TRUE(sheet);
        EXPECT_TRUE(sheet->chartsWithOwnData.contains("売上")) << table.toStdString();
        EXPECT_TRUE(sheet->charts.value("売上").isEmpty());
        EXPECT_FALSE(sheet->chartsWithOwnData.contains("推移"));
    }
}

// A name that the office refuses to set is moved from the kept values to the
// names to check.
TEST_F(FormulaMerge, ANameTheOfficeRefusesIsListedToCheck) {
    const QString a = SummaryBook("a.xls", 1, "Memo");
    fakesheet::Book book = *fakesheet::ReadBook(a);
    book.sheets[2].cells["B2"].value = 5.0;
    book.names["Rate"] = "$Memo.$B$2";
    ASSERT_TRUE(fakesheet::WriteBook(a, book));
    office.FailOn(QStringLiteral("Workbooks(.~bookmrg-%1-結果.xls).SetName Rate").arg(getpid()));
    Run(Params({a}, "Memo", QString(), bookmrg::MatchMode::WholeName));
    ASSERT_EQ(messages.Count(), 1);
    const QStringList parts = messages.LastText().split("\r\r");
    ASSERT_EQ(parts.size(), 3) << messages.LastText().toStdString();
    EXPECT_FALSE(parts[0].contains("名前 Rate")) << parts[0].toStdString();
    EXPECT_TRUE(parts[1].contains("\r名前 Rate")) << parts[1].toStdString();
}

} // namespace
