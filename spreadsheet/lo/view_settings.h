#pragma once

// Per-sheet view settings (frozen panes, grid lines, zoom, cursor) of
// workbooks held without a view.
//
// A workbook read from a classic file keeps the view settings of its sheets
// by sheet position until it is saved again; a sheet put in front of the
// others (or one removed) would hand every sheet the settings of its
// neighbour. One read from today's format loses them at a save without a
// view, and sheets copied in from another workbook come without theirs. The
// settings are therefore read once, before the sheets first move, and given
// back to the same sheets when the workbook is saved; a sheet copied in
// takes those of its source: where the source's import kept them (today's
// formats), else from the source's classic file (see classic_views.h: a
// view of every source would cost a merge of many books too much memory).

#include "spreadsheet/classic_views.h"
#include "spreadsheet/lo/uno.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>

#include <QList>
#include <QString>

#include <memory>

namespace sheet::lo {

// The view settings of one sheet, as the office's view writes them
// ("HorizontalSplitMode", "ShowGrid", "ZoomValue"...).
struct SheetViewEntry {
    Reference<css::sheet::XSpreadsheet> sheet;
    css::uno::Sequence<css::beans::PropertyValue> settings;
};

// The settings of every sheet of a workbook in sheet order, with the
// workbook-wide ones (active sheet, scroll bars...) apart.
struct BookViews {
    bool known = false;
    css::uno::Sequence<css::beans::PropertyValue> book;
    QList<SheetViewEntry> sheets;
};

// Reads the view settings of every sheet of the document. A document whose
// import left them with the model (.xlsx, .ods) is read as it is; one that
// keeps them by sheet position (.xls) is shown in a hidden window for the
// time of the reading.
BookViews ReadBookViews(const Reference<css::uno::XComponentContext>& context,
                        const Reference<css::lang::XComponent>& doc);
// Only the settings an import left with the model (.xlsx, .ods); not known
// for a classic file, which would need a view.
BookViews ReadImportedViews(const Reference<css::lang::XComponent>& doc);

// The settings of a sheet of a classic file, read from the file (see
// classic_views.h), as a view of the document would give them.
css::uno::Sequence<css::beans::PropertyValue> SheetViewFromClassic(const ClassicSheetView& view);

// While it lives, the given settings are in force for the sheets they
// belong to (found by the sheet, whatever its position and name now); sheets
// without settings get the office's defaults. Made just before a save: the
// settings reach the saved file through a hidden window on the document,
// closed again when this goes. Does nothing for settings not known.
class SheetViewsForSave {
public:
    SheetViewsForSave(const Reference<css::uno::XComponentContext>& context,
                      const Reference<css::lang::XComponent>& doc, const BookViews& views);
    ~SheetViewsForSave();
    SheetViewsForSave(const SheetViewsForSave&) = delete;
    SheetViewsForSave& operator=(const SheetViewsForSave&) = delete;

private:
    Reference<css::lang::XComponent> doc_;
    std::unique_ptr<class HiddenView> view_;
};

} // namespace sheet::lo
