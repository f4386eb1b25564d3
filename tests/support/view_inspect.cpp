// Sheet view settings written and read for tests and benchmarks.

#include "view_inspect.h"
#include "spreadsheet/lo/objects.h"

#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/XViewDataSupplier.hpp>

namespace sheet::lo {

namespace {

using css::beans::PropertyValue;
using css::uno::Any;
using css::uno::Sequence;

LoWorkbook& Lo(Workbook& book) {
    auto* lo = dynamic_cast<LoWorkbook*>(&book);
    if (!lo)
        throw SheetError(SheetErrorKind::Failed, QStringLiteral("not a LibreOffice workbook"));
    return *lo;
}

template <typename T> T Get(const Sequence<PropertyValue>& props, const char* name, T fallback) {
    for (const PropertyValue& p : props)
        if (p.Name.equalsAscii(name)) {
            T value = fallback;
            if (p.Value >>= value)
                return value;
        }
    return fallback;
}

void Put(Sequence<PropertyValue>& props, const char* name, const Any& value) {
    for (sal_Int32 i = 0; i < props.getLength(); ++i)
        if (props[i].Name.equalsAscii(name)) {
            props.getArray()[i].Value = value;
            return;
        }
    const sal_Int32 n = props.getLength();
    props.realloc(n + 1);
    props.getArray()[n] = PropertyValue(OUString::createFromAscii(name), 0, value,
                                        css::beans::PropertyState_DIRECT_VALUE);
}

SheetViewState StateOf(const Sequence<PropertyValue>& s) {
    SheetViewState state;
    constexpr sal_Int16 kFreeze = 2;
    const sal_Int32 columns = Get<sal_Int32>(s, "HorizontalSplitPosition",
                                             Get<sal_Int32>(s, "HorizontalSplitPositionTwips", 0));
    const sal_Int32 rows = Get<sal_Int32>(s, "VerticalSplitPosition",
                                          Get<sal_Int32>(s, "VerticalSplitPositionTwips", 0));
    if (Get<sal_Int16>(s, "HorizontalSplitMode", 0) == kFreeze) {
        state.frozen = true;
        state.frozenColumns = columns;
    }
    if (Get<sal_Int16>(s, "VerticalSplitMode", 0) == kFreeze) {
        state.frozen = true;
        state.frozenRows = rows;
    }
    state.showGrid = Get<bool>(s, "ShowGrid", true);
    state.zoom = Get<sal_Int16>(s, "ZoomValue", 100);
    return state;
}

QString Describe(const QString& name, const Sequence<PropertyValue>& settings,
                 const QStringList& keys) {
    QStringList parts;
    for (const QString& key : keys) {
        QString value = QStringLiteral("?");
        for (const PropertyValue& p : settings) {
            if (ToQ(p.Name) != key)
                continue;
            bool flag = false;
            sal_Int32 number = 0;
            if (p.Value.getValueTypeClass() == css::uno::TypeClass_BOOLEAN && (p.Value >>= flag))
                value = flag ? QStringLiteral("true") : QStringLiteral("false");
            else if (p.Value >>= number)
                value = QString::number(number);
        }
        parts << key + QLatin1Char('=') + value;
    }
    return name + QStringLiteral(": ") + parts.join(QLatin1Char(' '));
}

} // namespace

QStringList SettingsThroughView(Workbook& book, const QStringList& keys) {
    LoWorkbook& lo = Lo(book);
    QStringList out;
    Call(QStringLiteral("シートの表示設定を読めません。"), [&] {
        const BookViews views =
            ReadBookViews(lo.Sess().office->Context(),
                          Reference<css::lang::XComponent>(lo.Doc(), UNO_QUERY_THROW));
        for (const SheetViewEntry& entry : views.sheets)
            out << Describe(
                ToQ(Reference<css::container::XNamed>(entry.sheet, UNO_QUERY_THROW)->getName()),
                entry.settings, keys);
    });
    return out;
}

QStringList SettingsFromClassicFile(const QString& path, const QStringList& keys) {
    QStringList out;
    for (const ClassicSheetView& sheet : ReadClassicViews(path).sheets)
        out << Describe(sheet.name, SheetViewFromClassic(sheet), keys);
    return out;
}

void SetSheetView(Workbook& book, const QString& sheetName, const SheetViewState& state) {
    LoWorkbook& lo = Lo(book);
    Call(QStringLiteral("シートの表示設定を変えられません。"), [&] {
        BookViews& views = lo.SheetViews();
        if (!views.known)
            views = ReadBookViews(lo.Sess().office->Context(),
                                  Reference<css::lang::XComponent>(lo.Doc(), UNO_QUERY_THROW));
        for (SheetViewEntry& entry : views.sheets) {
            if (ToQ(Reference<css::container::XNamed>(entry.sheet, UNO_QUERY_THROW)->getName()) !=
                sheetName)
                continue;
            Sequence<PropertyValue>& s = entry.settings;
            const sal_Int16 mode = state.frozen ? 2 : 0;
            Put(s, "HorizontalSplitMode", Any(state.frozenColumns > 0 ? mode : sal_Int16(0)));
            Put(s, "VerticalSplitMode", Any(state.frozenRows > 0 ? mode : sal_Int16(0)));
            Put(s, "HorizontalSplitPosition", Any(sal_Int32(state.frozenColumns)));
            Put(s, "VerticalSplitPosition", Any(sal_Int32(state.frozenRows)));
            Put(s, "HorizontalSplitPositionTwips", Any(sal_Int32(state.frozenColumns)));
            Put(s, "VerticalSplitPositionTwips", Any(sal_Int32(state.frozenRows)));
            Put(s, "ShowGrid", Any(state.showGrid));
            Put(s, "ZoomType", Any(sal_Int16(0)));
            Put(s, "ZoomValue", Any(sal_Int16(state.zoom)));
            if (state.cursorColumn || state.cursorRow) {
                Put(s, "CursorPositionX", Any(sal_Int32(state.cursorColumn)));
                Put(s, "CursorPositionY", Any(sal_Int32(state.cursorRow)));
            }
            if (state.paneColumn)
                Put(s, "PositionRight", Any(sal_Int32(state.paneColumn)));
            if (state.paneRow)
                Put(s, "PositionBottom", Any(sal_Int32(state.paneRow)));
            if (state.splitTwipsX) {
                Put(s, "HorizontalSplitMode", Any(sal_Int16(1)));
                Put(s, "HorizontalSplitPositionTwips", Any(sal_Int32(state.splitTwipsX)));
            }
            return;
        }
        throw SheetError(SheetErrorKind::NoSuchItem,
                         QStringLiteral("シート '%1' がありません。").arg(sheetName));
    });
}

QHash<QString, SheetViewState> ImportedSheetViews(Workbook& book) {
    QHash<QString, SheetViewState> out;
    LoWorkbook& lo = Lo(book);
    Call(QStringLiteral("シートの表示設定を読めません。"), [&] {
        Reference<css::container::XIndexAccess> stored =
            Reference<css::document::XViewDataSupplier>(lo.Doc(), UNO_QUERY_THROW)->getViewData();
        Sequence<PropertyValue> data;
        if (!stored.is() || stored->getCount() == 0 || !(stored->getByIndex(0) >>= data))
            return;
        Reference<css::container::XNameAccess> tables;
        for (const PropertyValue& p : std::as_const(data))
            if (p.Name == "Tables")
                p.Value >>= tables;
        if (!tables.is())
            return;
        for (const OUString& name : tables->getElementNames()) {
            Sequence<PropertyValue> settings;
            tables->getByName(name) >>= settings;
            out.insert(ToQ(name), StateOf(settings));
        }
    });
    return out;
}

} // namespace sheet::lo
