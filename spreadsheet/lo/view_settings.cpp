// Per-sheet view settings of workbooks held without a view.
//
// The classic format's import keeps the settings of each sheet (frozen
// panes, grid lines, zoom, cursor) in a table indexed by sheet position, and
// its export writes that table back by position unless a view of the
// document gives newer ones. Inserting or deleting sheets does not move the
// table along. A view made from the document reads the table once and then
// follows every sheet it knows by itself; the settings are taken from such a
// view before the sheets move and handed to another one for the save.
//
// The views live in a hidden window of their own for as short a time as
// possible: a document is otherwise held without any view (see objects.cpp).

#include "spreadsheet/lo/view_settings.h"
#include "spreadsheet/lo/objects.h"

#include <QHash>

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XIndexContainer.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/IndexedPropertyValues.hpp>
#include <com/sun/star/document/NamedPropertyValues.hpp>
#include <com/sun/star/document/XViewDataSupplier.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XController2.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel2.hpp>
#include <com/sun/star/lang/XSingleServiceFactory.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/util/CloseVetoException.hpp>
#include <com/sun/star/util/XCloseBroadcaster.hpp>
#include <com/sun/star/util/XCloseListener.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <cppuhelper/implbase1.hxx>

namespace sheet::lo {

using css::beans::PropertyValue;
using css::uno::Any;
using css::uno::Sequence;

namespace {

// Refuses every request to close the document while its hidden view goes:
// the office closes a document together with its last view.
class KeepOpen : public cppu::WeakImplHelper1<css::util::XCloseListener> {
public:
    void SAL_CALL queryClosing(const css::lang::EventObject&, sal_Bool) override {
        throw css::util::CloseVetoException(OUString("kept open"), nullptr);
    }
    void SAL_CALL notifyClosing(const css::lang::EventObject&) override {}
    void SAL_CALL disposing(const css::lang::EventObject&) override {}
};

// A new top-level frame of the office whose window is never shown, made the
// office's own way (its factory's interface is marked old in the SDK, but
// the service has no other).
Reference<css::frame::XFrame>
NewHiddenFrame(const Reference<css::uno::XComponentContext>& context) {
    Reference<css::lang::XSingleServiceFactory> creator(
        context->getServiceManager()->createInstanceWithContext(
            OUString("com.sun.star.frame.TaskCreator"), context),
        UNO_QUERY_THROW);
    Reference<css::frame::XFrame> parent(css::frame::Desktop::create(context), UNO_QUERY_THROW);
    const css::beans::NamedValue args[] = {
        {OUString("ParentFrame"), Any(parent)},
        {OUString("MakeVisible"), Any(false)},
        {OUString("CreateTopWindow"), Any(true)},
        {OUString("SupportPersistentWindowState"), Any(false)},
        {OUString("EnableTitleBarUpdate"), Any(false)},
    };
    Sequence<Any> anyArgs(sal_Int32(std::size(args)));
    for (size_t i = 0; i < std::size(args); ++i)
        anyArgs.getArray()[i] <<= args[i];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return Reference<css::frame::XFrame>(creator->createInstanceWithArguments(anyArgs),
                                         UNO_QUERY_THROW);
#pragma GCC diagnostic pop
}

} // namespace

// A view of a document in a hidden window, closed again when this goes.
class HiddenView {
public:
    HiddenView(const Reference<css::uno::XComponentContext>& context,
               const Reference<css::lang::XComponent>& doc)
        : model_(doc, UNO_QUERY_THROW) {
        frame_ = NewHiddenFrame(context);
        try {
            controller_.set(model_->createDefaultViewController(frame_), UNO_QUERY_THROW);
            controller_->attachModel(model_.get());
            model_->connectController(controller_.get());
            frame_->setComponent(controller_->getComponentWindow(), controller_.get());
            controller_->attachFrame(frame_);
            model_->setCurrentController(controller_.get());
        } catch (...) {
            Close();
            throw;
        }
    }
    ~HiddenView() { Close(); }
    HiddenView(const HiddenView&) = delete;
    HiddenView& operator=(const HiddenView&) = delete;

private:
    void Close() noexcept {
        Reference<css::util::XCloseBroadcaster> broadcaster(model_, UNO_QUERY);
        Reference<css::util::XCloseListener> keepOpen(new KeepOpen);
        try {
            if (broadcaster.is())
                broadcaster->addCloseListener(keepOpen);
            // The window goes; the document stays with its other holders.
            if (controller_.is())
                model_->disconnectController(controller_.get());
            if (frame_.is()) {
                frame_->setComponent(nullptr, nullptr);
                Reference<css::util::XCloseable> closeable(frame_, UNO_QUERY);
                if (closeable.is())
                    closeable->close(true);
                else
                    frame_->dispose();
            }
        } catch (const css::uno::Exception&) {
        }
        try {
            if (broadcaster.is())
                broadcaster->removeCloseListener(keepOpen);
        } catch (const css::uno::Exception&) {
        }
        controller_.clear();
        frame_.clear();
    }

    Reference<css::frame::XModel2> model_;
    Reference<css::frame::XFrame> frame_;
    Reference<css::frame::XController2> controller_;
};

namespace {

Any Value(const Sequence<PropertyValue>& props, const char* name) {
    for (const PropertyValue& p : props)
        if (p.Name.equalsAscii(name))
            return p.Value;
    return Any();
}

QList<Reference<css::sheet::XSpreadsheet>> SheetsOf(const Reference<css::lang::XComponent>& doc) {
    Reference<css::sheet::XSpreadsheetDocument> sd(doc, UNO_QUERY_THROW);
    Reference<css::container::XIndexAccess> sheets(sd->getSheets(), UNO_QUERY_THROW);
    QList<Reference<css::sheet::XSpreadsheet>> out;
    for (sal_Int32 i = 0; i < sheets->getCount(); ++i)
        out.append(Reference<css::sheet::XSpreadsheet>(sheets->getByIndex(i), UNO_QUERY_THROW));
    return out;
}

OUString NameOf(const Reference<css::sheet::XSpreadsheet>& sheet) {
    return Reference<css::container::XNamed>(sheet, UNO_QUERY_THROW)->getName();
}

// The book-wide part of view data and its per-sheet part by sheet name.
BookViews Split(const Sequence<PropertyValue>& data, const Reference<css::lang::XComponent>& doc) {
    BookViews views;
    Reference<css::container::XNameAccess> tables(Value(data, "Tables"), UNO_QUERY);
    if (!tables.is())
        return views;
    std::vector<PropertyValue> book;
    for (const PropertyValue& p : data)
        if (p.Name != "Tables")
            book.push_back(p);
    views.book = Sequence<PropertyValue>(book.data(), sal_Int32(book.size()));
    for (const auto& sheet : SheetsOf(doc)) {
        SheetViewEntry entry{sheet, {}};
        const OUString name = NameOf(sheet);
        if (tables->hasByName(name))
            tables->getByName(name) >>= entry.settings;
        views.sheets.append(entry);
    }
    views.known = true;
    return views;
}

// The settings of a sheet shown as a new sheet is: no frozen panes, grid
// lines, 100 %, the cursor in A1 (built on a kept entry, for its keys).
Sequence<PropertyValue> DefaultSheetView(const BookViews& views) {
    for (const SheetViewEntry& entry : views.sheets) {
        if (!entry.settings.hasElements())
            continue;
        Sequence<PropertyValue> s = entry.settings;
        for (sal_Int32 i = 0; i < s.getLength(); ++i) {
            PropertyValue& p = s.getArray()[i];
            if (p.Name == "ShowGrid")
                p.Value <<= true;
            else if (p.Name == "ZoomValue")
                p.Value <<= sal_Int32(100);
            else if (p.Name == "ZoomType")
                p.Value <<= sal_Int16(0);
            else if (p.Name == "ActiveSplitRange")
                p.Value <<= sal_Int16(2);
            else if (p.Name == "TableSelected")
                p.Value <<= false;
            else if (p.Value.getValueTypeClass() == css::uno::TypeClass_SHORT)
                p.Value <<= sal_Int16(0); // split modes
            else if (p.Value.getValueTypeClass() == css::uno::TypeClass_LONG &&
                     p.Name != "PageViewZoomValue" && p.Name != "TabColor")
                p.Value <<= sal_Int32(0); // cursor, split and scroll positions
        }
        return s;
    }
    return {};
}

// The view data the document gives now: its views' settings, else those
// its import left with it.
Sequence<PropertyValue> ViewData(const Reference<css::lang::XComponent>& doc) {
    Reference<css::container::XIndexAccess> stored =
        Reference<css::document::XViewDataSupplier>(doc, UNO_QUERY_THROW)->getViewData();
    Sequence<PropertyValue> data;
    if (stored.is() && stored->getCount() > 0)
        stored->getByIndex(0) >>= data;
    return data;
}

} // namespace

BookViews ReadImportedViews(const Reference<css::lang::XComponent>& doc) {
    const Sequence<PropertyValue> data = ViewData(doc);
    return Value(data, "Tables").hasValue() ? Split(data, doc) : BookViews();
}

BookViews ReadBookViews(const Reference<css::uno::XComponentContext>& context,
                        const Reference<css::lang::XComponent>& doc) {
    // Settings an import gave to the model (by sheet name) need no view.
    BookViews imported = ReadImportedViews(doc);
    if (imported.known)
        return imported;
    HiddenView view(context, doc);
    // Read from the view just made, not from what an earlier reading kept.
    Reference<css::document::XViewDataSupplier>(doc, UNO_QUERY_THROW)
        ->setViewData(Reference<css::container::XIndexAccess>());
    BookViews views = Split(ViewData(doc), doc);
    Reference<css::document::XViewDataSupplier>(doc, UNO_QUERY_THROW)
        ->setViewData(Reference<css::container::XIndexAccess>());
    return views;
}

SheetViewsForSave::SheetViewsForSave(const Reference<css::uno::XComponentContext>& context,
                                     const Reference<css::lang::XComponent>& doc,
                                     const BookViews& views) {
    if (!views.known)
        return;
    // Every sheet gets its settings by name: its own, or the defaults for a
    // sheet that came later (the view would otherwise keep for it what the
    // position held).
    Reference<css::container::XNameContainer> tables =
        css::document::NamedPropertyValues::create(context);
    // A sheet object follows its sheet through moves and renames (the
    // entries of removed sheets are gone, see KeepSheetViews).
    QHash<QString, Sequence<PropertyValue>> byName;
    for (const SheetViewEntry& kept : views.sheets) {
        try {
            const OUString name = NameOf(kept.sheet);
            if (!name.isEmpty())
                byName.insert(ToQ(name), kept.settings);
        } catch (const css::uno::RuntimeException&) {
        }
    }
    const QList<Reference<css::sheet::XSpreadsheet>> sheets = SheetsOf(doc);
    for (const auto& sheet : sheets) {
        const OUString name = NameOf(sheet);
        Sequence<PropertyValue> settings = byName.value(ToQ(name));
        if (!settings.hasElements())
            settings = DefaultSheetView(views);
        if (settings.hasElements())
            tables->insertByName(name, Any(settings));
    }
    std::vector<PropertyValue> data;
    for (const PropertyValue& p : views.book)
        if (p.Name != "ActiveTable")
            data.push_back(p);
    // The saved book opens on its first sheet.
    data.push_back(PropertyValue(OUString("ActiveTable"), 0, Any(NameOf(sheets.constFirst())),
                                 css::beans::PropertyState_DIRECT_VALUE));
    data.push_back(
        PropertyValue(OUString("Tables"), 0, Any(tables), css::beans::PropertyState_DIRECT_VALUE));
    // A view made for the document starts from the settings the document
    // holds for its views; the export then writes what that view shows.
    Reference<css::container::XIndexContainer> container =
        css::document::IndexedPropertyValues::create(context);
    container->insertByIndex(0, Any(Sequence<PropertyValue>(data.data(), sal_Int32(data.size()))));
    Reference<css::document::XViewDataSupplier>(doc, UNO_QUERY_THROW)
        ->setViewData(Reference<css::container::XIndexAccess>(container, UNO_QUERY_THROW));
    doc_ = doc;
    view_ = std::make_unique<HiddenView>(context, doc);
}

SheetViewsForSave::~SheetViewsForSave() {
    view_.reset();
    if (!doc_.is())
        return;
    try {
        Reference<css::document::XViewDataSupplier>(doc_, UNO_QUERY_THROW)
            ->setViewData(Reference<css::container::XIndexAccess>());
    } catch (const css::uno::Exception&) {
    }
}

} // namespace sheet::lo

// ------------------------------------------------------------ the workbook

namespace sheet::lo {

namespace {

PropertyValue Setting(const char* name, const Any& value) {
    return PropertyValue(OUString::createFromAscii(name), 0, value,
                         css::beans::PropertyState_DIRECT_VALUE);
}

} // namespace

Sequence<PropertyValue> SheetViewFromClassic(const ClassicSheetView& view) {
    const SheetViewData d = ViewDataOf(view);
    std::vector<PropertyValue> s = {
        Setting("CursorPositionX", Any(sal_Int32(d.cursorX))),
        Setting("CursorPositionY", Any(sal_Int32(d.cursorY))),
    };
    // The split is given as the office's view gives it: not at all for a
    // sheet without one.
    if (d.horizontalSplitMode != 0 || d.verticalSplitMode != 0) {
        s.push_back(Setting("HorizontalSplitMode", Any(sal_Int16(d.horizontalSplitMode))));
        s.push_back(Setting("VerticalSplitMode", Any(sal_Int16(d.verticalSplitMode))));
        s.push_back(Setting("HorizontalSplitPosition", Any(sal_Int32(d.horizontalSplitPosition))));
        s.push_back(Setting("VerticalSplitPosition", Any(sal_Int32(d.verticalSplitPosition))));
    }
    const PropertyValue rest[] = {
        Setting("ActiveSplitRange", Any(sal_Int16(d.activeSplitRange))),
        Setting("PositionLeft", Any(sal_Int32(d.positionLeft))),
        Setting("PositionRight", Any(sal_Int32(d.positionRight))),
        Setting("PositionTop", Any(sal_Int32(d.positionTop))),
        Setting("PositionBottom", Any(sal_Int32(d.positionBottom))),
        Setting("ZoomType", Any(sal_Int16(0))), // a zoom in percent
        Setting("ZoomValue", Any(sal_Int32(d.zoomValue))),
        Setting("PageViewZoomValue", Any(sal_Int32(d.pageViewZoomValue))),
        Setting("ShowGrid", Any(d.showGrid)),
    };
    s.insert(s.end(), std::begin(rest), std::end(rest));
    return Sequence<PropertyValue>(s.data(), sal_Int32(s.size()));
}

void LoWorkbook::CarrySheetView(LoWorksheet& from,
                                const Reference<css::sheet::XSpreadsheet>& copy) {
    // A source's settings are taken where they come without a view: a view
    // for every source book would cost the merge about half as much memory
    // again. Those of a classic file are read from the file itself.
    LoWorkbook& source = *from.Book();
    if (!source.views_.known && source.viewsFromFile_ && !source.classicViews_) {
        try {
            source.views_ = ReadImportedViews(source.component_);
        } catch (const css::uno::Exception&) {
        }
    }
    const QString name = from.Name();
    if (!source.views_.known) {
        if (const ClassicSheetView* classic = source.ClassicSheetViews().Find(name))
            KeepCopiedView(copy, SheetViewFromClassic(*classic));
        return;
    }
    for (const SheetViewEntry& entry : std::as_const(source.views_.sheets)) {
        try {
            if (NameOf(entry.sheet) != ToOU(name))
                continue;
        } catch (const css::uno::RuntimeException&) {
            continue;
        }
        KeepCopiedView(copy, entry.settings);
        return;
    }
}

void LoWorkbook::KeepCopiedView(const Reference<css::sheet::XSpreadsheet>& copy,
                                const Sequence<PropertyValue>& settings) {
    if (settings.hasElements())
        copiedViews_.append({copy, settings});
}

void LoWorkbook::TakeCopiedViews() {
    if (copiedViews_.isEmpty())
        return;
    // This workbook's own sheets keep theirs too once it is saved with
    // settings. They are read as late as possible: a document that had a
    // view takes every sheet copied in afterwards at a much higher cost in
    // memory (a merge of 64 books of 5 sheets: about 0.6 GB).
    if (!views_.known) {
        const bool fromFile = viewsFromFile_;
        viewsFromFile_ = true;
        KeepSheetViews();
        viewsFromFile_ = fromFile && !views_.known;
    }
    if (views_.known)
        views_.sheets.append(copiedViews_);
    copiedViews_.clear();
}

const ClassicViews& LoWorkbook::ClassicSheetViews() {
    if (!classicViews_) {
        // Only a workbook read from a classic file; the file is read once.
        classicViews_ = std::make_shared<const ClassicViews>(
            !fullName_.isEmpty() && format_ == xlNormal ? ReadClassicViews(fullName_)
                                                        : ClassicViews());
    }
    return *classicViews_;
}

BookViews LoWorkbook::ViewsFromClassicFile() {
    const ClassicViews& file = ClassicSheetViews();
    if (!file.ok)
        return BookViews();
    BookViews views;
    for (const auto& sheet : SheetsOf(component_)) {
        const ClassicSheetView* view = file.Find(ToQ(NameOf(sheet)));
        if (!view)
            return BookViews();
        views.sheets.append({sheet, SheetViewFromClassic(*view)});
    }
    views.known = true;
    return views;
}

void LoWorkbook::KeepSheetViews(const Reference<css::sheet::XSpreadsheet>& leaving) {
    if (viewsFromFile_ && !views_.known && doc_.is()) {
        viewsFromFile_ = false; // read once, also when the reading fails
        try {
            // A classic file's own records where they give every sheet: a
            // view would make every sheet copied in afterwards cost much
            // more memory.
            views_ = ViewsFromClassicFile();
            if (!views_.known)
                views_ = ReadBookViews(session_->office->Context(), component_);
        } catch (const css::uno::Exception&) {
            // The sheets keep the settings by position, as without this step.
            views_ = BookViews();
        }
    }
    if (!leaving.is())
        return;
    // The object of a removed sheet goes on to name a neighbour.
    try {
        const OUString name = NameOf(leaving);
        const auto named = [&](const SheetViewEntry& e) { return NameOf(e.sheet) == name; };
        copiedViews_.removeIf(named);
        if (views_.known)
            views_.sheets.removeIf(named);
    } catch (const css::uno::RuntimeException&) {
    }
}

} // namespace sheet::lo
