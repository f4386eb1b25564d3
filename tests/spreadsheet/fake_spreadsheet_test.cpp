#include "fake_spreadsheet.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using sheet::SheetError;
using sheet::Where;

TEST(FakeSpreadsheet, CopiesRenamesUniquelyCarriesNamesAndLogsCalls) {
    QTemporaryDir dir;
    fakesheet::FakeOffice office;
    fakesheet::Book tpl = fakesheet::MakeBook({{QStringLiteral("元シート"), {}}});
    tpl.names.insert(QStringLiteral("SC_ユーザ数"), QStringLiteral("'元シート'!C5"));
    ASSERT_TRUE(fakesheet::WriteBook(dir.filePath(QStringLiteral("T.EXL")), tpl));
    ASSERT_TRUE(fakesheet::WriteBook(
        dir.filePath(QStringLiteral("a.xls")),
        fakesheet::MakeBook({{QStringLiteral("Data"), {{QStringLiteral("A1"), 1.0}}},
                             {QStringLiteral("Sheet1"), {}}})));

    auto app = sheet::CreateApplication();
    auto t = app->Workbooks().Open(dir.filePath(QStringLiteral("T.EXL")));
    auto a = app->Workbooks().Open(dir.filePath(QStringLiteral("a.xls")), {true, {}});
    auto out = app->Workbooks().Add();
    EXPECT_EQ(out->Name(), QStringLiteral("Book1"));

    t->Worksheets(QStringLiteral("元シート"))
        ->Copy(Where::Before, *out->Worksheets(QStringLiteral("sheet1")));
    EXPECT_EQ(app->ActiveSheet()->Name(), QStringLiteral("元シート"));
    app->ActiveSheet()->Range(QStringLiteral("SC_ユーザ数"))->SetValue(12.0);
    // Ranges up to 1000 x 100 cells are written whole, larger ones refused
    // rather than cut short.
    app->ActiveSheet()->Range(QStringLiteral("E1:CZ1000"))->SetValue(1.0);
    EXPECT_THROW(app->ActiveSheet()->Range(QStringLiteral("E1:E1001"))->SetValue(1.0),
                 std::length_error);
    // Workbook-level names are found whatever their letter case.
    EXPECT_EQ(app->ActiveSheet()->Range(QStringLiteral("sc_ユーザ数"))->Address(),
              QStringLiteral("C5"));
    a->Worksheets(1)->Copy(Where::After, *out->Worksheets(2));
    a->Worksheets(1)->Copy(Where::After, *out->Worksheets(3));
    a->Worksheets(2)->Copy(Where::After, *out->Worksheets(4));
    EXPECT_EQ(app->ActiveSheet()->Name(), QStringLiteral("Sheet1_2"));
    EXPECT_EQ(out->SheetCount(), 5);
    EXPECT_THROW(out->Worksheets(2)->SetName(QStringLiteral("data")), SheetError);

    auto cell = out->Worksheets(1)->Cells(3, 1);
    cell->Select();
    out->Worksheets(1)->Hyperlinks().Add(*app->Selection(), QString(),
                                         QStringLiteral("'Data_2'!B1"), QStringLiteral("'Data_2"));
    out->Worksheets(1)->SetName(QStringLiteral("シート一覧"));
    out->SaveAs(dir.filePath(QStringLiteral("out")));
    EXPECT_EQ(out->Name(), QStringLiteral("out.xls"));
    app->Quit();
    EXPECT_EQ(office.ApplicationsRunning(), 0);

    auto saved = fakesheet::ReadBook(dir.filePath(QStringLiteral("out.xls")));
    ASSERT_TRUE(saved);
    EXPECT_EQ(
        saved->SheetNames(),
        QStringList({QStringLiteral("シート一覧"), QStringLiteral("Sheet1"), QStringLiteral("Data"),
                     QStringLiteral("Data_2"), QStringLiteral("Sheet1_2")}));
    EXPECT_EQ(saved->sheets[0].At(QStringLiteral("C5")).value, sheet::CellValue(12.0));
    EXPECT_EQ(saved->sheets[0].At(QStringLiteral("A3")).link, QStringLiteral("#'Data_2'!B1"));
    EXPECT_EQ(saved->sheets[0].At(QStringLiteral("A3")).Text(), QStringLiteral("Data_2"));
    // The name went along with the copy and followed its renaming.
    EXPECT_EQ(saved->names.value(QStringLiteral("SC_ユーザ数")), QStringLiteral("'シート一覧'!C5"));

    EXPECT_TRUE(office.Log().contains(QStringLiteral("Worksheets(Data).Copy After Book1!Data")));
    EXPECT_TRUE(office.Log().contains(QStringLiteral("Range(SC_ユーザ数).Value = 12")));
    EXPECT_TRUE(office.Log().contains(
        QStringLiteral("Hyperlinks.Add A3 \"\" \"'Data_2'!B1\" \"'Data_2\"")));
}

TEST(FakeSpreadsheet, ScriptedFailuresAndSheetLimit) {
    QTemporaryDir dir;
    fakesheet::FakeOffice office;
    fakesheet::Book locked = fakesheet::MakeBook({{QStringLiteral("S"), {}}});
    locked.password = QStringLiteral("pw");
    ASSERT_TRUE(fakesheet::WriteBook(dir.filePath(QStringLiteral("locked.xls")), locked));
    ASSERT_TRUE(fakesheet::WriteBook(dir.filePath(QStringLiteral("b.xls")),
                                     fakesheet::MakeBook({{QStringLiteral("S"), {}}})));

    auto app = sheet::CreateApplication();
    using Kind = sheet::SheetErrorKind;
    // Why a book does not open is in the contract suite; here only that the
    // double's password check is the one the engines meet.
    EXPECT_THROW(app->Workbooks().Open(dir.filePath(QStringLiteral("locked.xls"))), SheetError);
    EXPECT_NO_THROW(app->Workbooks().Open(dir.filePath(QStringLiteral("locked.xls")),
                                          {true, QStringLiteral("pw")}));

    office.FailOn(QStringLiteral("Worksheets(S).Copy"), 1, sheet::SheetErrorKind::Refused,
                  QStringLiteral("満杯"));
    auto b = app->Workbooks().Open(dir.filePath(QStringLiteral("b.xls")));
    auto out = app->Workbooks().Add();
    EXPECT_NO_THROW(b->Worksheets(1)->Copy(Where::After, *out->Worksheets(1)));
    try {
        b->Worksheets(1)->Copy(Where::After, *out->Worksheets(1));
        ADD_FAILURE() << "second copy should fail";
    } catch (const SheetError& e) {
        EXPECT_EQ(e.Text(), QStringLiteral("1004 満杯"));
        EXPECT_EQ(e.Kind(), Kind::Refused);
    }
    EXPECT_NO_THROW(b->Worksheets(1)->Copy(Where::After, *out->Worksheets(1)));
    EXPECT_EQ(office.Calls(QStringLiteral("Worksheets(S).Copy")).size(), 3);
    EXPECT_TRUE(
        office.Calls(QStringLiteral("Worksheets(S).Copy"))[1].endsWith(QStringLiteral("!! error")));

    office.SetSheetLimit(3);
    EXPECT_THROW(b->Worksheets(1)->Copy(Where::After, *out->Worksheets(1)), SheetError);

    EXPECT_THROW(out->Worksheets(QStringLiteral("Sheet9"))->Delete(), SheetError);
    while (out->SheetCount() > 1)
        out->Worksheets(1)->Delete();
    EXPECT_THROW(out->Worksheets(1)->Delete(), SheetError);

    app->Quit();
    EXPECT_THROW(app->Workbooks().Add(), SheetError);
    office.FailCreate();
    EXPECT_THROW(sheet::CreateApplication(), SheetError);
}

} // namespace
