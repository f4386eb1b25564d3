// The consolidation against the real office: workbooks made here, merged,
// and the saved result reopened and checked.

#include "damaged_book.h"
#include "merge_fixture.h"
#include "office_inspect.h"

namespace {

using sheet::Where;

// The sheet an internal link leads to ("#'O''Brien'.B1" or "#Data.B1").
QString LinkSheet(const QString& url) {
    QString s = url;
    if (!s.startsWith(QLatin1Char('#')) || !s.endsWith(QStringLiteral(".B1")))
        return QStringLiteral("<bad link: ") + url + QLatin1Char('>');
    s = s.mid(1, s.size() - 4);
    if (s.size() >= 2 && s.startsWith(QLatin1Char('\'')) && s.endsWith(QLatin1Char('\''))) {
        s = s.mid(1, s.size() - 2);
        s.replace(QStringLiteral("''"), QStringLiteral("'"));
    }
    return s;
}

QString Text(const sheet::CellValue& v) {
    return std::holds_alternative<QString>(v) ? std::get<QString>(v) : QStringLiteral("<not text>");
}

class UnoMerge : public bookmrg_test::UnoMergeTest {
protected:
    // A workbook with the given sheets, each holding its name in A1 and a
    // number in B2.
    void MakeBook(sheet::Application& app, const QString& path, const QStringList& names,
                  const QString& password = QString()) {
        auto book = app.Workbooks().Add();
        book->Worksheets(1)->SetName(names[0]);
        for (int i = 1; i < names.size(); ++i)
            book->Worksheets(i)->Copy(Where::After, *book->Worksheets(i))->SetName(names[i]);
        for (int i = 1; i <= names.size(); ++i) {
            auto sheet = book->Worksheets(i);
            sheet->Cells(1, 1)->SetValue(names[i - 1]);
            sheet->Cells(2, 2)->SetValue(double(i * 100));
        }
        if (password.isEmpty())
            book->SaveAs(path);
        else
            sheet::lo::SaveProtectedCopy(*book, path, password);
        book->Close();
    }
};

TEST_F(UnoMerge, ThreeBooksMergedAndTheSheetListLeadsToEverySheet) {
    const QString a = Book("4月売上.xls");
    const QString b = Book("b.xls");
    const QString c = Book("c.xls");
    const QString d = Book("locked.xls");
    {
        auto app = sheet::CreateApplication();
        MakeBook(*app, a, {"東京支店", "Data", "目次"});
        MakeBook(*app, b, {"Data", "2024", "O'Brien"});
        MakeBook(*app, c, {"1-2", "Data"});
        MakeBook(*app, d, {"秘密"}, "pw");
        app->Quit();
    }
    passwords.answers = {QStringLiteral("pw")};
    bookmrg::RunParams params =
        Params({a, b, c, d}, "目次", QString(), bookmrg::MatchMode::WholeName);
    host.Follow(bookmrg::ConsolidateBooks(params));
    EXPECT_EQ(messages.Count(), 0) << messages.Texts().join('|').toStdString();
    EXPECT_EQ(host.calls, QStringList({"ReturnToCaller"}));
    ASSERT_EQ(process.starts.size(), 1);
    EXPECT_EQ(process.starts[0].args, QStringList({OutputFile()}));
    EXPECT_EQ(passwords.asked, QStringList({d}));

    auto app = sheet::CreateApplication();
    auto out = app->Workbooks().Open(OutputFile(), {true, {}});
    const QStringList expected = {"東京支店", "Data", "Data_2", "2024",
                                  "O'Brien",  "1-2",  "Data_3", "秘密"};
    QStringList names;
    for (int i = 1; i <= out->SheetCount(); ++i)
        names.append(out->Worksheets(i)->Name());
    EXPECT_EQ(names, QStringList({"シート一覧"}) + expected);

    auto index = out->Worksheets(1);
    EXPECT_EQ(Text(index->Range("A1")->Value()), QStringLiteral("※※　目　　次　※※"));
    EXPECT_EQ(Text(index->Range("B2")->Value()), QStringLiteral("ブック名"));
    EXPECT_EQ(Text(index->Range("C2")->Value()), QStringLiteral("シート名"));
    const QStringList books = {a, a, b, b, b, c, c, d};
    const QStringList sources = {"東京支店", "Data", "Data", "2024",
                                 "O'Brien",  "1-2",  "Data", "秘密"};
    for (int i = 0; i < expected.size(); ++i) {
        const QString row = QString::number(i + 3);
        auto cellA = index->Range("A" + row);
        // Shown as text, also "2024" and "1-2".
        EXPECT_EQ(Text(cellA->Value()), expected[i]) << row.toStdString();
        EXPECT_EQ(Text(index->Range("B" + row)->Value()), books[i]);
        EXPECT_EQ(Text(index->Range("C" + row)->Value()), sources[i]);
        EXPECT_EQ(index->Range("B" + row)->NumberFormatLocal(), QStringLiteral("@"));
        EXPECT_EQ(index->Range("C" + row)->NumberFormatLocal(), QStringLiteral("@"));
        EXPECT_EQ(sheet::lo::CellFontSize(*cellA), 11.0);
        const QStringList links = sheet::lo::CellLinks(*cellA);
        ASSERT_EQ(links.size(), 1) << row.toStdString();
        const QString target = LinkSheet(links[0]);
        EXPECT_EQ(target, expected[i]);
        // The link leads to the sheet that holds what was copied.
        EXPECT_EQ(Text(out->Worksheets(target)->Range("A1")->Value()), sources[i]);
    }
    EXPECT_TRUE(std::holds_alternative<std::monostate>(index->Range("A11")->Value()));
    app->Quit();

    // Nothing but the result is left in the output folder.
    QStringList left = QDir(Temp("out")).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(left, QStringList({QStringLiteral("結果.xls")}));
}

// A workbook damaged inside, which the office still takes for a workbook
// when it looks at its type, is reported with its error and left out; nobody
// is asked for a password it does not have.
TEST_F(UnoMerge, ADamagedBookIsReportedAndNotAskedAPasswordFor) {
    const QString a = Book("a.xls");
    const QString damaged = Book("damaged.xls");
    {
        auto app = sheet::CreateApplication();
        MakeBook(*app, a, {"A1"});
        MakeBook(*app, damaged, {"D1"});
        app->Quit();
    }
    ASSERT_TRUE(test_support::WipeWorkbookRecord(damaged));

    host.Follow(bookmrg::ConsolidateBooks(Params({a, damaged})));
    EXPECT_TRUE(passwords.asked.isEmpty()) << passwords.asked.join('|').toStdString();
    ASSERT_EQ(messages.Count(), 1) << messages.Texts().join('|').toStdString();
    EXPECT_TRUE(messages.LastText().contains(damaged)) << messages.LastText().toStdString();
    EXPECT_TRUE(messages.LastText().endsWith(QStringLiteral("\rこのブックは処理しません。\r")));
    EXPECT_FALSE(messages.LastText().contains(QStringLiteral("パスワードがキャンセル")));
    EXPECT_EQ(host.calls, QStringList({"ReturnToCaller"}));

    auto app = sheet::CreateApplication();
    auto out = app->Workbooks().Open(OutputFile(), {true, {}});
    QStringList names;
    for (int i = 1; i <= out->SheetCount(); ++i)
        names.append(out->Worksheets(i)->Name());
    EXPECT_EQ(names, QStringList({"シート一覧", "A1"}));
    app->Quit();
}

} // namespace
