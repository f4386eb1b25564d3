#pragma once

// Realistic workbooks for the consolidation benchmark: monthly sales books of
// branch sheets (200 item rows x 10 columns, number formats, filled header
// and total rows, a total row of SUM formulas, a share column) and a summary
// sheet "集計" whose formulas take every branch's totals. Written as flat
// OpenDocument, deterministic, and converted to .xls by the office in one
// batch at bench time.

#include <QString>
#include <QStringList>

namespace bench {

inline constexpr int kItemRows = 200;
inline constexpr int kColumns = 10;             // A code, B..I weeks, J share
inline constexpr int kTotalRow = kItemRows + 2; // header in row 1
inline const QString kSummarySheet = QStringLiteral("集計");

// The sheet names of a book of `sheets` sheets: branches, then "集計".
QStringList SheetNames(int sheets);

// The number in a cell of column 2..9 (B..I) of an item row (2..201) of a
// branch sheet (1-based).
double SampleValue(int book, int sheet, int row, int column);
// The total of a column B..I of a branch sheet.
double SampleTotal(int book, int sheet, int column);

// The flat OpenDocument text of book `book` (1-based) with `sheets` sheets.
QByteArray FlatBook(int book, int sheets);

// Writes books 1..count as "<folder>/<NN>月売上.xls". Answers the paths, or
// an empty list (with the reason on stderr) when the conversion failed.
QStringList MakeSampleBooks(const QString& folder, int count, int sheets);

} // namespace bench
