// How saved workbooks show their sheets (frozen panes, grid lines, zoom)
// after a sheet was put in front of or removed from a workbook read from a
// file, checked in the saved file: .xls by its own records, .xlsx through
// what the office's import reads from it.

#include "spreadsheet/spreadsheet.h"
#include "view_inspect.h"
#include "xls_reader.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

using sheet::Where;
using sheet::lo::SheetViewState;

// What a sheet shows, described as for the .xls files.
QString Describe(const SheetViewState& s) {
    xlsread::Sheet sheet;
    sheet.frozen = s.frozen;
    sheet.frozenColumns = s.frozenColumns;
    sheet.frozenRows = s.frozenRows;
    sheet.showGrid = s.showGrid;
    sheet.zoom = s.zoom;
    return xlsread::DescribeView(sheet);
}

// The same for any saved workbook, read back through the office's import.
QStringList ImportedViews(sheet::Application& app, const QString& path) {
    auto book = app.Workbooks().Open(path, {.readOnly = true, .password = {}});
    const auto views = sheet::lo::ImportedSheetViews(*book);
    QStringList out;
    for (int i = 1; i <= book->SheetCount(); ++i) {
        const QString name = book->Worksheets(i)->Name();
        out << name + QStringLiteral(": ") +
                   (views.contains(name) ? Describe(views.value(name)) : QStringLiteral("?"));
    }
    book->Close();
    return out;
}

// A workbook of three sheets as users make them: "Frozen" with its title
// rows and first column frozen, "NoGrid" without grid lines at 85 %, and
// "Plain".
void MakeUserBook(sheet::Application& app, const QString& path, int format) {
    auto book = app.Workbooks().Add();
    auto first = book->Worksheets(1);
    first->SetName(QStringLiteral("Frozen"));
    book->Worksheets(1)->Copy(Where::After, *first)->SetName(QStringLiteral("NoGrid"));
    book->Worksheets(2)->Copy(Where::After, *book->Worksheets(2))->SetName(QStringLiteral("Plain"));
    for (int i = 1; i <= 3; ++i)
        book->Worksheets(i)->Cells(1, 1)->SetValue(double(i));
    sheet::lo::SetSheetView(*book, QStringLiteral("Frozen"), {true, 1, 2, true, 100});
    sheet::lo::SetSheetView(*book, QStringLiteral("NoGrid"), {false, 0, 0, false, 85});
    book->SaveAs(path, format);
    book->Close();
}

const QStringList kUserViews = {QStringLiteral("Frozen: frozen 1x2"),
                                QStringLiteral("NoGrid: no grid zoom 85"),
                                QStringLiteral("Plain: plain")};

class SheetViews : public ::testing::Test {
protected:
    static void SetUpTestSuite() { app_ = sheet::CreateApplication().release(); }
    static void TearDownTestSuite() {
        std::unique_ptr<sheet::Application> app(app_);
        sheet::QuitQuietly(app);
        app_ = nullptr;
    }
    QString Path(const QString& name) const { return dir_.filePath(name); }

    static sheet::Application* app_;
    QTemporaryDir dir_;
};

sheet::Application* SheetViews::app_ = nullptr;

TEST_F(SheetViews, TheGeneratedBooksHoldWhatTheCasesNeed) {
    MakeUserBook(*app_, Path(QStringLiteral("user.xls")), sheet::xlNormal);
    EXPECT_EQ(xlsread::SheetViews(Path(QStringLiteral("user.xls"))), kUserViews);
    MakeUserBook(*app_, Path(QStringLiteral("user.xlsx")), sheet::xlOpenXMLWorkbook);
    EXPECT_EQ(ImportedViews(*app_, Path(QStringLiteral("user.xlsx"))), kUserViews);
}

// SHTLIST's step on the user's own workbook: a list sheet in front, saved
// over the file in its own format.
TEST_F(SheetViews, ASheetPutInFrontLeavesEverySheetItsOwnView) {
    for (const int format : {int(sheet::xlNormal), int(sheet::xlOpenXMLWorkbook)}) {
        const QString path = Path(QStringLiteral("user.") + sheet::FileFormatExtension(format));
        MakeUserBook(*app_, path, format);
        auto pattern = app_->Workbooks().Add();
        pattern->Worksheets(1)->SetName(QStringLiteral("List"));
        auto book = app_->Workbooks().Open(path);
        pattern->Worksheets(1)->Copy(Where::Before, *book->Worksheets(1));
        book->SaveAs(path, format);
        book->Close();
        pattern->Close();
        const QStringList expected = QStringList{QStringLiteral("List: plain")} + kUserViews;
        if (format == sheet::xlNormal) {
            EXPECT_EQ(xlsread::SheetViews(path), expected);
        } else {
            EXPECT_EQ(ImportedViews(*app_, path), expected);
        }
    }
}

// The settings read from a classic file are those a view of the workbook
// gives its sheets: frozen panes of columns, rows or both with the panes
// scrolled and the cursor in them, grid lines, zoom.
TEST_F(SheetViews, AClassicFileIsReadAsAViewReadsIt) {
    const QString path = Path(QStringLiteral("panes.xls"));
    {
        auto book = app_->Workbooks().Add();
        const QStringList names = {"Both", "Rows", "Columns", "NoGrid", "Plain"};
        book->Worksheets(1)->SetName(names[0]);
        for (int i = 1; i < names.size(); ++i)
            book->Worksheets(i)->Copy(Where::After, *book->Worksheets(i))->SetName(names[i]);
        // Scrolled right of and below the split, the cursor there.
        sheet::lo::SetSheetView(*book, QStringLiteral("Both"),
                                {true, 1, 2, true, 100, 6, 40, 4, 30});
        sheet::lo::SetSheetView(*book, QStringLiteral("Rows"), {true, 0, 3, true, 120});
        sheet::lo::SetSheetView(*book, QStringLiteral("Columns"), {true, 2, 0, false, 100});
        sheet::lo::SetSheetView(*book, QStringLiteral("NoGrid"), {false, 0, 0, false, 85});
        book->SaveAs(path);
        book->Close();
    }
    const QStringList keys = {"CursorPositionX",
                              "CursorPositionY",
                              "HorizontalSplitMode",
                              "VerticalSplitMode",
                              "HorizontalSplitPosition",
                              "VerticalSplitPosition",
                              "ActiveSplitRange",
                              "PositionLeft",
                              "PositionRight",
                              "PositionTop",
                              "PositionBottom",
                              "ZoomType",
                              "ZoomValue",
                              "PageViewZoomValue",
                              "ShowGrid"};
    auto book = app_->Workbooks().Open(path, {.readOnly = true, .password = {}});
    const QStringList throughView = sheet::lo::SettingsThroughView(*book, keys);
    book->Close();
    EXPECT_EQ(sheet::lo::SettingsFromClassicFile(path, keys), throughView);
    ASSERT_EQ(throughView.size(), 5);
    for (const char* kept :
         {"CursorPositionX=6 CursorPositionY=40", "PositionRight=4", "PositionBottom=30"})
        EXPECT_TRUE(throughView[0].contains(QLatin1String(kept))) << throughView[0].toStdString();
}

// A sheet copied from a classic book into another keeps how it is shown:
// frozen panes, and a split window where the office's own round trip of the
// book (opened, shown, saved) puts it.
TEST_F(SheetViews, ASheetCopiedFromAClassicBookKeepsItsView) {
    const QString source = Path(QStringLiteral("source.xls"));
    const SheetViewState frozen = {true, 2, 1, true, 90};
    {
        auto book = app_->Workbooks().Add();
        book->Worksheets(1)->SetName(QStringLiteral("Split"));
        book->Worksheets(1)->Copy(Where::After, *book->Worksheets(1))->SetName("Frozen");
        SheetViewState split;
        split.splitTwipsX = 3000;
        split.showGrid = false;
        sheet::lo::SetSheetView(*book, QStringLiteral("Split"), split);
        sheet::lo::SetSheetView(*book, QStringLiteral("Frozen"), frozen);
        book->SaveAs(source);
        book->Close();
    }
    const QString roundTrip = Path(QStringLiteral("again.xls"));
    {
        auto again = app_->Workbooks().Open(source);
        sheet::lo::SetSheetView(*again, QStringLiteral("Frozen"), frozen); // through a view
        again->SaveAs(roundTrip);
        again->Close();
    }
    const QStringList shown = xlsread::SheetViews(roundTrip);
    ASSERT_EQ(shown.size(), 2);
    ASSERT_TRUE(shown[0].startsWith(QStringLiteral("Split: split "))) << shown[0].toStdString();

    auto from = app_->Workbooks().Open(source, {.readOnly = true, .password = {}});
    auto into = app_->Workbooks().Add();
    from->Worksheets(2)->Copy(Where::After, *into->Worksheets(1));
    from->Worksheets(1)->Copy(Where::After, *into->Worksheets(2));
    const QString saved = Path(QStringLiteral("copies.xls"));
    into->SaveAs(saved);
    into->Close();
    from->Close();
    const QStringList copies = xlsread::SheetViews(saved);
    ASSERT_EQ(copies.size(), 3);
    EXPECT_EQ(copies.mid(1), (QStringList{shown[1], shown[0]}));
}

} // namespace
