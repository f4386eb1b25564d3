// What the LibreOffice backend writes to disk, read back without the office
// where the office would hide a fault by recalculating: stored formula
// results and sheet names of .xls files.

#include "office_inspect.h"
#include "spreadsheet/spreadsheet.h"
#include "xls_reader.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

// Messages show the texts, not their code units.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

using sheet::Where;

QString Stored(const xlsread::Book& book, int sheet, int row, int column) {
    if (!book.ok || sheet >= book.sheets.size())
        return QStringLiteral("<unreadable: ") + book.error + QLatin1Char('>');
    const auto& results = book.sheets.at(sheet).formulaResults;
    const auto found = results.constFind(qMakePair(row, column));
    return found == results.constEnd() ? QStringLiteral("<no formula>")
                                       : xlsread::Describe(found.value());
}

TEST(SavedWorkbook, TextResultsOfFormulasAreStoredWithTheFile) {
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("first.xls"));
    const QString second = dir.filePath(QStringLiteral("second.xls"));
    auto app = sheet::CreateApplication();
    {
        auto book = app->Workbooks().Add();
        auto s = book->Worksheets(1);
        s->SetName(QStringLiteral("Data"));
        s->Cells(1, 1)->SetValue(5.0);
        s->Cells(1, 2)->SetFormula(QStringLiteral("=A1*2"));
        s->Cells(2, 2)->SetFormula(QStringLiteral("=IF(A1<3;\"安い\";\"高い\")"));
        s->Cells(3, 2)->SetFormula(QStringLiteral("=\"ab\"&\"cd\""));
        s->Cells(4, 2)->SetFormula(QStringLiteral("=HYPERLINK(\"#Data.A1\";\"先頭へ\")"));
        book->SaveAs(first);
        book->Close();
    }
    const xlsread::Book written = xlsread::Read(first);
    EXPECT_EQ(Stored(written, 0, 1, 2), QStringLiteral("10"));
    EXPECT_EQ(Stored(written, 0, 2, 2), QStringLiteral("\"高い\""));
    EXPECT_EQ(Stored(written, 0, 3, 2), QStringLiteral("\"abcd\""));
    EXPECT_EQ(Stored(written, 0, 4, 2), QStringLiteral("\"先頭へ\""));

    // Opened, changed and saved again, with a sheet put in front.
    {
        auto book = app->Workbooks().Open(first);
        book->Worksheets(1)->Cells(1, 1)->SetValue(1.0);
        auto extra = app->Workbooks().Add();
        extra->Worksheets(1)->Copy(Where::Before, *book->Worksheets(1));
        book->SaveAs(second);
        book->Close();
        extra->Close();
    }
    const xlsread::Book again = xlsread::Read(second);
    EXPECT_EQ(Stored(again, 1, 1, 2), QStringLiteral("2"));
    EXPECT_EQ(Stored(again, 1, 2, 2), QStringLiteral("\"安い\""));
    EXPECT_EQ(Stored(again, 1, 3, 2), QStringLiteral("\"abcd\""));
    EXPECT_EQ(Stored(again, 1, 4, 2), QStringLiteral("\"先頭へ\""));
    app->Quit();
}

} // namespace

namespace {

QString Read(sheet::Workbook& book, int sheetIndex, int row, int column) {
    const sheet::CellValue v = book.Worksheets(sheetIndex)->Cells(row, column)->Value();
    if (const auto* d = std::get_if<double>(&v))
        return QString::number(*d);
    if (const auto* t = std::get_if<QString>(&v))
        return *t;
    return QStringLiteral("<empty>");
}

TEST(SavedWorkbook, EachFormatIsWrittenAsAskedAndReadBackAsWhatItHolds) {
    QTemporaryDir dir;
    auto app = sheet::CreateApplication();
    const struct {
        QString name;
        int format;
        QString container;
    } cases[] = {
        {QStringLiteral("classic.xls"), sheet::xlNormal, QStringLiteral("cfb")},
        {QStringLiteral("modern.xlsx"), sheet::xlOpenXMLWorkbook, QStringLiteral("zip")},
        {QStringLiteral("macro.xlsm"), sheet::xlOpenXMLWorkbookMacroEnabled, QStringLiteral("zip")},
        {QStringLiteral("open.ods"), sheet::xlOpenDocumentSpreadsheet, QStringLiteral("zip")},
        // A workbook of today's format under the classic name.
        {QStringLiteral("named.xls"), sheet::xlOpenXMLWorkbook, QStringLiteral("zip")},
    };
    for (const auto& c : cases) {
        auto book = app->Workbooks().Add();
        auto s = book->Worksheets(1);
        s->Cells(1, 1)->SetValue(QStringLiteral("左上"));
        // Beyond the classic format's 256 columns and 65,536 rows.
        s->Cells(70000, 300)->SetValue(7.0);
        EXPECT_EQ(s->ContentExtent().rows, 70000);
        EXPECT_EQ(s->ContentExtent().columns, 300);
        const QString path = dir.filePath(c.name);
        book->SaveAs(path, c.format);
        book->Close();
        EXPECT_EQ(xlsread::Container(path), c.container) << c.name.toStdString();
        auto again = app->Workbooks().Open(path);
        EXPECT_EQ(again->FileFormat(), c.format) << c.name.toStdString();
        EXPECT_EQ(Read(*again, 1, 1, 1), QStringLiteral("左上"));
        const sheet::CellExtent extent = again->Worksheets(1)->ContentExtent();
        if (c.format == sheet::xlNormal) {
            EXPECT_EQ(extent.rows, 1) << c.name.toStdString(); // cut by the format
        } else {
            EXPECT_EQ(extent.rows, 70000) << c.name.toStdString();
            EXPECT_EQ(extent.columns, 300) << c.name.toStdString();
            EXPECT_EQ(Read(*again, 1, 70000, 300), QStringLiteral("7"));
        }
        again->Close();
    }
    app->Quit();
}

TEST(SavedWorkbook, APasswordGivenOnSavingProtectsTheFileInEveryFormat) {
    QTemporaryDir dir;
    auto app = sheet::CreateApplication();
    for (int format : {int(sheet::xlNormal), int(sheet::xlOpenXMLWorkbook),
                       int(sheet::xlOpenDocumentSpreadsheet)}) {
        auto book = app->Workbooks().Add();
        book->Worksheets(1)->Cells(1, 1)->SetValue(QStringLiteral("秘密"));
        const QString path =
            dir.filePath(QStringLiteral("locked.") + sheet::FileFormatExtension(format));
        book->SaveAs(path, format, QStringLiteral("pw1"));
        book->Close();
        std::shared_ptr<sheet::Workbook> open;
        EXPECT_THROW(open = app->Workbooks().Open(path), sheet::SheetError) << format;
        sheet::CloseQuietly(open);
        EXPECT_THROW(open = app->Workbooks().Open(path, {false, QStringLiteral("wrong")}),
                     sheet::SheetError)
            << format;
        sheet::CloseQuietly(open);
        auto again = app->Workbooks().Open(path, {false, QStringLiteral("pw1")});
        EXPECT_EQ(again->FileFormat(), format);
        EXPECT_EQ(Read(*again, 1, 1, 1), QStringLiteral("秘密"));
        again->Close();
        if (format == sheet::xlNormal) {
            EXPECT_TRUE(xlsread::Read(path).encrypted);
        }
    }
    app->Quit();
}

} // namespace
