#pragma once

// A reader of classic .xls files (BIFF8 in a compound document) that does not
// calculate: it gives what a reader that trusts the file shows, namely the
// results stored with each formula, and the sheet names as written. Tests use
// it to check saved workbooks independently of the office that wrote them.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <variant>

namespace xlsread {

// A stored formula result: empty, a number, a text, a truth value (bool) or
// an error code (int).
using Result = std::variant<std::monostate, double, QString, bool, int>;

struct Sheet {
    QString name;
    // Stored results of the formula cells, by (row, column), 1-based.
    QHash<QPair<int, int>, Result> formulaResults;
    // Every cell with a record of its own (values, texts, formulas), 1-based.
    int lastRow = 0;
    int lastColumn = 0;
    // How the sheet is shown: grid lines, frozen panes (the columns left of
    // and the rows above the split), zoom in percent.
    bool showGrid = true;
    bool frozen = false;
    int frozenColumns = 0;
    int frozenRows = 0;
    // A split window that is not frozen: where it splits, in twips.
    int splitTwipsX = 0;
    int splitTwipsY = 0;
    int zoom = 100;
};

struct Book {
    bool ok = false;
    QString error;          // why the file could not be read
    bool encrypted = false; // a FILEPASS record: the content is protected
    QList<Sheet> sheets;    // in workbook order
};

// Reads the file. A file that is not a BIFF8 compound document gives
// ok = false with the reason.
Book Read(const QString& path);

// How a sheet is shown, for messages: "frozen 1x2 no grid zoom 85" (the
// columns and rows left of and above the split), "plain" for the defaults.
QString DescribeView(const Sheet& sheet);
// "name: view" of every sheet of the file in order, or the reason it could
// not be read.
QStringList SheetViews(const QString& path);

// "text", 12.5, "<empty>", "#err 7", "TRUE": a result for messages.
QString Describe(const Result& result);

// The first bytes of a file say its container: "cfb" (classic .xls or an
// encrypted OOXML file), "zip" (.xlsx, .xlsm, .ods) or "other".
QString Container(const QString& path);

} // namespace xlsread
