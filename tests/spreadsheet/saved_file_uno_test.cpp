// What the LibreOffice backend writes to disk, read back without the office
// where the office would hide a fault by recalculating: stored formula
// results and sheet names of .xls files.

#include "spreadsheet/lo/inspect.h"
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
