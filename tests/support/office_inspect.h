#pragma once

// Looks into the LibreOffice backend for integration tests and benchmarks:
// what the object model does not expose. Test support, not product code.

#include "spreadsheet/spreadsheet.h"

#include <QStringList>

#include <sys/types.h>

namespace sheet::lo {

// The office process of an application made by the LibreOffice backend, or -1.
pid_t OfficePid(Application& app);
// URLs of the links in the top-left cell of a range.
QStringList CellLinks(Range& range);
// Background colour (0xRRGGBB) of the top-left cell, -1 when transparent.
int CellBackColor(Range& range);
// The top/left/bottom/right outer border line widths of a range (0 = none).
QList<int> RangeBorderWidths(Range& range);
// Font size of the top-left cell in points.
double CellFontSize(Range& range);
// Workbook-level names of a workbook.
QStringList NamedRanges(Workbook& book);
// Page setup of a sheet (its page style): "landscape 85%", "portrait 100%".
QString PageSetup(Worksheet& sheet);
// The columns repeated on every printed page, as "A:C"; empty when none.
QString PrintTitleColumns(Worksheet& sheet);
// Gives a sheet a page style of its own, `name`, with that orientation and
// scale (for tests of copied sheets).
void SetPageSetup(Worksheet& sheet, const QString& name, bool landscape, int scalePercent);
// Saves a password-protected copy (OpenDocument, whatever the file name) for
// tests of protected workbooks.
void SaveProtectedCopy(Workbook& book, const QString& path, const QString& password);
// Connects to an office that accepts on the pipe `pipeName` and leaves a new
// spreadsheet with an unsaved change in it (for tests of closing an office
// the user runs). False when it could not be reached.
bool LeaveUnsavedDocument(const QString& pipeName);

} // namespace sheet::lo

namespace sheet::lo {

// Workbook contents for fidelity tests and benchmarks.

// Defines a workbook-level name (content in the notation of FormulaCell,
// without "=").
void DefineName(Workbook& book, const QString& name, const QString& content);
// Shows or hides a sheet; whether it is shown.
void SetSheetVisible(Worksheet& sheet, bool visible);
bool SheetVisible(Worksheet& sheet);
// Places a chart of the given ranges ("$Data.$A$1:$B$5", first row and
// column as labels) on a sheet.
void AddChart(Worksheet& sheet, const QString& name, const QStringList& ranges);
// What the charts of a sheet plot, read from the charts themselves: for
// each chart, one line per data sequence (categories, each series' label and
// values) as "<where from> = v1 v2 ...", where from is the cells' range
// ("$Memo.$B$2:$B$3") or "own" for numbers the chart holds itself.
QStringList ChartContents(Worksheet& sheet);
// Enters an array formula over a range.
void SetArrayFormula(Range& range, const QString& formula);

} // namespace sheet::lo
