// What every implementation of the spreadsheet interface promises its
// callers, run against the in-memory double (built without
// SHEET_CONTRACT_WITH_OFFICE, label engine) and against LibreOffice (label
// uno). Where the two used to differ, these cases say which behaviour holds.

#include "spreadsheet/spreadsheet.h"

#ifdef SHEET_CONTRACT_WITH_OFFICE
#include "office_inspect.h"
#else
#include "fake_spreadsheet.h"
#endif

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

using sheet::SheetError;
using sheet::Where;
using Kind = sheet::SheetErrorKind;

#ifdef SHEET_CONTRACT_WITH_OFFICE
// The LibreOffice backend, installed for the test program.
struct Backend {};
#else
// The double, installed while the fixture lives.
struct Backend {
    fakesheet::FakeOffice office;
};
#endif

class SheetContract : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        app_ = sheet::CreateApplication();
    }
    void TearDown() override { sheet::QuitQuietly(app_); }

    QString Path(const QString& name) const { return dir_.filePath(name); }

    // The kind of the error an operation throws; none when it succeeds.
    template <typename F> static std::optional<Kind> KindOf(F operation) {
        try {
            operation();
        } catch (const SheetError& e) {
            return e.Kind();
        }
        return std::nullopt;
    }

    // A saved workbook, opened again, whose sheet "表" has a chart "売上" of
    // the numbers on its sheet "Data" (labels in the first row and column).
    std::shared_ptr<sheet::Workbook> BookWithChart() {
        const QString path = Path(QStringLiteral("chart.xls"));
#ifdef SHEET_CONTRACT_WITH_OFFICE
        auto book = app_->Workbooks().Add();
        auto table = book->Worksheets(1);
        table->SetName(QStringLiteral("表"));
        table->Copy(Where::After, *table)->SetName(QStringLiteral("Data"));
        book->Worksheets(QStringLiteral("Data"))
            ->Range(QStringLiteral("A1:B3"))
            ->SetValues({{QStringLiteral("月"), QStringLiteral("額")},
                         {QStringLiteral("4月"), 5.0},
                         { QStringLiteral("5月"),
                           7.0 }});
        sheet::lo::AddChart(*table, QStringLiteral("売上"), {QStringLiteral("$Data.$A$1:$B$3")});
        book->SaveAs(path);
        book->Close();
#else
        fakesheet::Book book = fakesheet::MakeBook(
            {{QStringLiteral("表"), {}},
             {QStringLiteral("Data"), {{QStringLiteral("B2"), 5.0}, {QStringLiteral("B3"), 7.0}}}});
        book.sheets[0].charts[QStringLiteral("売上")] = {QStringLiteral("$'Data'.$A$1:$B$3")};
        EXPECT_TRUE(fakesheet::WriteBook(path, book));
#endif
        return app_->Workbooks().Open(path, {true, {}});
    }

    Backend backend_;
    QTemporaryDir dir_;
    std::unique_ptr<sheet::Application> app_;
};

TEST_F(SheetContract, SheetsAreFoundByNameWhateverTheLetterCase) {
    auto book = app_->Workbooks().Add();
    ASSERT_EQ(book->SheetCount(), 1);
    EXPECT_EQ(book->Worksheets(1)->Name(), QStringLiteral("Sheet1"));
    EXPECT_EQ(book->Worksheets(QStringLiteral("SHEET1"))->Name(), QStringLiteral("Sheet1"));
    EXPECT_EQ(KindOf([&] { book->Worksheets(QStringLiteral("Sheet2")); }), Kind::NoSuchItem);
    EXPECT_EQ(KindOf([&] { book->Worksheets(2); }), Kind::NoSuchItem);
}

TEST_F(SheetContract, SheetNamesTheClassicFormatCannotHoldAreRefused) {
    auto book = app_->Workbooks().Add();
    auto sheet = book->Worksheets(1);
    // Empty, longer than 31 characters, or used already (letter case
    // ignored): refused, and the sheet keeps its name.
    EXPECT_EQ(KindOf([&] { sheet->SetName(QString()); }), Kind::Refused);
    EXPECT_EQ(KindOf([&] { sheet->SetName(QString(sheet::kMaxSheetNameLength + 1, u'x')); }),
              Kind::Refused);
    EXPECT_EQ(sheet->Name(), QStringLiteral("Sheet1"));
    const QString longest(sheet::kMaxSheetNameLength, u'名');
    EXPECT_EQ(KindOf([&] { sheet->SetName(longest); }), std::nullopt);
    EXPECT_EQ(sheet->Name(), longest);

    auto copy = sheet->Copy(Where::After, *sheet);
    EXPECT_NE(copy->Name().compare(longest, Qt::CaseInsensitive), 0);
    EXPECT_EQ(KindOf([&] { copy->SetName(longest); }), Kind::Refused);
    // The last sheet of a workbook stays.
    copy->Delete();
    EXPECT_EQ(KindOf([&] { sheet->Delete(); }), Kind::Refused);
    EXPECT_EQ(book->SheetCount(), 1);
}

TEST_F(SheetContract, CopiesIntoAnotherBookKeepTheirNameOrGetAUniqueOne) {
    auto from = app_->Workbooks().Add();
    from->Worksheets(1)->SetName(QStringLiteral("データ"));
    from->Worksheets(1)->Cells(1, 1)->SetValue(QStringLiteral("一"));
    auto to = app_->Workbooks().Add();
    to->Worksheets(1)->SetName(QStringLiteral("データ"));

    auto copy = from->Worksheets(1)->Copy(Where::After, *to->Worksheets(1));
    EXPECT_EQ(copy->Name(), QStringLiteral("データ_2"));
    EXPECT_EQ(app_->ActiveSheet()->Name(), copy->Name());
    EXPECT_EQ(to->Worksheets(2)->Name(), copy->Name());
    const sheet::CellValue value = copy->Cells(1, 1)->Value();
    ASSERT_TRUE(std::holds_alternative<QString>(value));
    EXPECT_EQ(std::get<QString>(value), QStringLiteral("一"));
}

TEST_F(SheetContract, SavedValuesComeBackAsWritten) {
    auto book = app_->Workbooks().Add();
    auto sheet = book->Worksheets(1);
    sheet->Range(QStringLiteral("A1"))->SetValue(QStringLiteral("00123"));
    sheet->Range(QStringLiteral("B1"))->SetValue(2024.0);
    sheet->Range(QStringLiteral("A2:B2"))->SetValues({{QStringLiteral("2024"), 1.5}});
    book->SaveAs(Path(QStringLiteral("values")));
    EXPECT_EQ(book->Name(), QStringLiteral("values.xls"));
    book->Close();

    auto back = app_->Workbooks().Open(Path(QStringLiteral("values.xls")), {true, {}});
    auto read = back->Worksheets(1);
    EXPECT_EQ(read->Cells(1, 1)->Value(), sheet::CellValue(QStringLiteral("00123")));
    EXPECT_EQ(read->Cells(1, 2)->Value(), sheet::CellValue(2024.0));
    EXPECT_EQ(read->Cells(2, 1)->Value(), sheet::CellValue(QStringLiteral("2024")));
    EXPECT_EQ(read->Cells(2, 2)->Value(), sheet::CellValue(1.5));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(read->Cells(3, 1)->Value()));
}

TEST_F(SheetContract, OpenFailuresSayWhy) {
    auto book = app_->Workbooks().Add();
    book->SaveAs(Path(QStringLiteral("locked.xls")), sheet::xlNormal, QStringLiteral("pw"));
    book->SaveAs(Path(QStringLiteral("locked.xlsx")), sheet::xlOpenXMLWorkbook,
                 QStringLiteral("pw"));
    book->Close();
    QFile text(Path(QStringLiteral("text.xls")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("name,value\nabc,1\n");
    text.close();

    auto open = [&](const QString& name, const QString& password = {}) {
        return KindOf([&] { app_->Workbooks().Open(Path(name), {true, password})->Close(); });
    };
    EXPECT_EQ(open(QStringLiteral("missing.xls")), Kind::FileMissing);
    EXPECT_EQ(open(QStringLiteral("text.xls")), Kind::NotWorkbook);
    EXPECT_EQ(open(QStringLiteral("locked.xls")), Kind::PasswordRequired);
    EXPECT_EQ(open(QStringLiteral("locked.xls"), QStringLiteral("wrong")), Kind::PasswordRequired);
    EXPECT_EQ(open(QStringLiteral("locked.xls"), QStringLiteral("pw")), std::nullopt);
    // Today's format keeps a protected workbook in an encrypted package.
    EXPECT_EQ(open(QStringLiteral("locked.xlsx")), Kind::PasswordRequired);
    EXPECT_EQ(open(QStringLiteral("locked.xlsx"), QStringLiteral("pw")), std::nullopt);
}

TEST_F(SheetContract, AQuitApplicationIsLost) {
    auto book = app_->Workbooks().Add();
    auto sheet = book->Worksheets(1);
    app_->Quit();
    EXPECT_EQ(KindOf([&] { app_->Workbooks().Add(); }), Kind::OfficeLost);
    EXPECT_EQ(KindOf([&] { sheet->Cells(1, 1)->SetValue(1.0); }), Kind::OfficeLost);
}

// A chart given its own numbers no longer plots cells, also once the sheet
// it plotted is gone, and its copies in another workbook hold them too; a
// chart that is not there is refused.
TEST_F(SheetContract, AChartThatKeepsItsDataPlotsNoCells) {
    auto book = BookWithChart();
    auto table = book->Worksheets(QStringLiteral("表"));
    QList<sheet::ChartData> charts = table->Charts();
    ASSERT_EQ(charts.size(), 1);
    EXPECT_FALSE(charts[0].ownData);
    EXPECT_EQ(charts[0].ranges, QStringList({QStringLiteral("$'Data'.$A$1:$B$3")}));
    EXPECT_NE(KindOf([&] { table->KeepChartData(QStringLiteral("ない")); }), std::nullopt);

    table->KeepChartData(charts[0].name);
    book->Worksheets(QStringLiteral("Data"))->Delete();
    charts = table->Charts();
    ASSERT_EQ(charts.size(), 1);
    EXPECT_TRUE(charts[0].ownData);
    EXPECT_TRUE(charts[0].ranges.isEmpty());

    auto other = app_->Workbooks().Add();
    auto copy = table->Copy(Where::After, *other->Worksheets(1));
    charts = copy->Charts();
    ASSERT_EQ(charts.size(), 1);
    EXPECT_TRUE(charts[0].ownData);
    EXPECT_TRUE(charts[0].ranges.isEmpty());
}

} // namespace
