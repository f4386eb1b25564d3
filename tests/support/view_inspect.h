#pragma once

// Sheet view settings for the tests and benchmarks that check what a saved
// workbook shows: frozen panes, grid lines, zoom.

#include "spreadsheet/spreadsheet.h"

#include <QHash>

namespace sheet::lo {

struct SheetViewState {
    bool frozen = false;
    int frozenColumns = 0; // columns left of the split
    int frozenRows = 0;    // rows above the split
    bool showGrid = true;
    int zoom = 100;
    // The cursor, and the first visible column and row right of and below
    // frozen panes (0-based; 0 leaves the view's own).
    int cursorColumn = 0;
    int cursorRow = 0;
    int paneColumn = 0;
    int paneRow = 0;
    // A split window that is not frozen, this many twips from the left
    // (0: none).
    int splitTwipsX = 0;
};

// Gives a sheet of the workbook these settings; they are written with the
// next SaveAs.
void SetSheetView(Workbook& book, const QString& sheetName, const SheetViewState& state);

// The settings that the import of a workbook read from an .xlsx or .ods
// file handed to the document, by sheet name (read without a view: what the
// file holds, not what a view makes of it). Empty for a classic file.
QHash<QString, SheetViewState> ImportedSheetViews(Workbook& book);

// Each sheet's settings under the given keys ("HorizontalSplitMode",
// "PositionRight"...) as "Name: Key=value Key=value", in sheet order: as a
// view of the workbook gives them, and as read from the classic file
// itself, for comparing the two readings.
QStringList SettingsThroughView(Workbook& book, const QStringList& keys);
QStringList SettingsFromClassicFile(const QString& path, const QStringList& keys);

} // namespace sheet::lo
