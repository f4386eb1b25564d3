#pragma once

// Realistic workbooks for the consolidation benchmark: monthly sales books of
// five branch sheets, 200 item rows x 10 columns with number formats and a
// total row of SUM formulas. Written as flat OpenDocument and converted to
// .xls by the office in one batch.

#include <QString>
#include <QStringList>

namespace bench {

inline constexpr int kSheetsPerBook = 5;
inline constexpr int kItemRows = 200;
inline constexpr int kColumns = 10;
inline constexpr int kTotalRow = kItemRows + 2; // header in row 1

QStringList BranchNames();

// The number in a cell of column 2..9 (B..I) of an item row (2..201).
double SampleValue(int book, int sheet, int row, int column);
// The expected total of a column B..I of a sheet.
double SampleTotal(int book, int sheet, int column);

// The flat OpenDocument text of book `book` (1-based).
QByteArray FlatBook(int book);

// Writes books 1..count as "<folder>/<NN>月売上.xls". Answers the paths, or
// an empty list (with the reason on stderr) when the conversion failed.
QStringList MakeSampleBooks(const QString& folder, int count);

} // namespace bench
