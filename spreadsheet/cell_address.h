#pragma once

// Cell addresses and link targets in the forms the callers and the office use.

#include <QString>

namespace sheet {

// "A", "Z", "AA" ... for a 1-based column number.
QString ColumnLetters(int column);
// "B3" for row 3, column 2; "D2:D18" for a block (a single cell gives "B3").
QString A1Address(int firstRow, int firstColumn, int lastRow, int lastColumn);
// The sheet name and the cell part of a range in the office's notation
// ("$Data.$A$1:$B$5", "$'O''Brien'.$B$1"); false when it has no sheet part.
bool SplitRangeText(const QString& text, QString* sheetName, QString* cells);

// The office's internal link target for a hyperlink sub-address of the
// object model: "'Sheet name'!B1" (quotes inside the name doubled or not) or
// "Sheet!B1" becomes "#'Sheet name'.B1"; a sub-address without a sheet part
// (a defined name) becomes "#name". An address, when given, leads the URL.
QString LinkUrl(const QString& address, const QString& subAddress);

// The sheet name a sub-address points at ("'O''Brien'!A1" -> "O'Brien"), or
// empty when it names none.
QString SubAddressSheet(const QString& subAddress);

// The text a cell shows for a display text or value: a leading apostrophe
// only marks the rest as text and is dropped.
QString WithoutTextPrefix(const QString& text);

} // namespace sheet
