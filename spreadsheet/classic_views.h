#pragma once

// How the sheets of a classic workbook (.xls) are shown, read straight from
// its file: grid lines, frozen panes or a split window, the first visible
// cells, the cursor and the zoom of every sheet.
//
// The office keeps these settings of a classic file only for a view of the
// document; a workbook held without one (each source book of a merge) would
// need a view of its own, which costs a merge of many books too much memory.
// The file says the same in a few small records of each sheet: the workbook
// stream lists the sheets and where each one's records start, and each
// sheet's records hold its window (WINDOW2), its panes (PANE), its zoom
// (SCL) and the cursor of each pane (SELECTION).

#include <QByteArray>
#include <QList>
#include <QString>

namespace sheet {

// The settings of one sheet as its records give them (rows and columns
// 0-based).
struct ClassicSheetView {
    QString name;
    bool showGrid = true;
    // Frozen panes: `splitColumns` columns and `splitRows` rows are visible
    // left of and above the split. Otherwise a split window, the split
    // `splitColumns` and `splitRows` twips from the top-left corner, or none.
    bool frozen = false;
    int splitColumns = 0;
    int splitRows = 0;
    // The first visible cell of the top-left pane, and of the panes right of
    // and below the split.
    int firstRow = 0;
    int firstColumn = 0;
    int paneRow = 0;
    int paneColumn = 0;
    // The pane with the cursor: 0 bottom-right, 1 top-right, 2 bottom-left,
    // 3 top-left (the only one of a sheet without a split).
    int activePane = 3;
    int cursorRow = 0;
    int cursorColumn = 0;
    // Zoom in percent of the normal view and of the page break preview.
    int zoom = 100;
    int pageZoom = 60;
};

// How the sheets of a classic workbook are shown, in workbook order (a sheet
// whose records cannot all be found is left out). Not ok for a file that is
// not a readable classic workbook, and for one protected by a password (its
// sheets' records are encrypted).
struct ClassicViews {
    bool ok = false;
    QList<ClassicSheetView> sheets;

    // The sheet of that name; null when the file has none.
    const ClassicSheetView* Find(const QString& name) const;
};

// Reads the workbook file at `path` (safe on any bytes).
ClassicViews ReadClassicViews(const QString& path);
// The same from the content of a workbook stream.
ClassicViews ClassicViewsOf(const QByteArray& workbookStream);

// A sheet's settings as the office's view keeps them for each sheet (its
// view data: "HorizontalSplitMode", "PositionRight", "ZoomValue"...), with
// the office's own reading of the classic records.
struct SheetViewData {
    int cursorX = 0;
    int cursorY = 0;
    // 0 none, 1 a split window, 2 frozen panes.
    int horizontalSplitMode = 0;
    int verticalSplitMode = 0;
    // Frozen: the first column and row right of and below the split. A
    // split window: the split's distance from the corner in pixels (of the
    // office's 96 dots an inch).
    int horizontalSplitPosition = 0;
    int verticalSplitPosition = 0;
    // The active pane: 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right.
    int activeSplitRange = 2;
    int positionLeft = 0;
    int positionRight = 0;
    int positionTop = 0;
    int positionBottom = 0;
    int zoomValue = 100;
    int pageViewZoomValue = 60;
    bool showGrid = true;
};

SheetViewData ViewDataOf(const ClassicSheetView& view);

} // namespace sheet
