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
};

// Gives a sheet of the workbook these settings; they are written with the
// next SaveAs.
void SetSheetView(Workbook& book, const QString& sheetName, const SheetViewState& state);

// The settings that the import of a workbook read from an .xlsx or .ods
// file handed to the document, by sheet name (read without a view: what the
// file holds, not what a view makes of it). Empty for a classic file.
QHash<QString, SheetViewState> ImportedSheetViews(Workbook& book);

} // namespace sheet::lo
