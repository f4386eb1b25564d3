// Workbook contents that the object model does not write, for the tests and
// benchmarks that check what a copy keeps.

#include "spreadsheet/lo/inspect.h"
#include "spreadsheet/lo/objects.h"

#include <com/sun/star/awt/Rectangle.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/sheet/XArrayFormulaRange.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XNamedRanges.hpp>
#include <com/sun/star/table/XTableCharts.hpp>
#include <com/sun/star/table/XTableChartsSupplier.hpp>

namespace sheet::lo {

namespace {

LoWorksheet& Lo(Worksheet& sheet) {
    auto* lo = dynamic_cast<LoWorksheet*>(&sheet);
    if (!lo)
        throw SheetError(SheetErrorKind::Failed, QStringLiteral("not a LibreOffice sheet"));
    return *lo;
}

} // namespace

void DefineName(Workbook& book, const QString& name, const QString& content) {
    auto* lo = dynamic_cast<LoWorkbook*>(&book);
    if (!lo)
        throw SheetError(SheetErrorKind::Failed, QStringLiteral("not a LibreOffice workbook"));
    Call(QStringLiteral("名前を定義できません。"), [&] {
        Reference<css::sheet::XNamedRanges> names(
            Reference<css::beans::XPropertySet>(lo->Doc(), UNO_QUERY_THROW)
                ->getPropertyValue(OUString("NamedRanges")),
            UNO_QUERY_THROW);
        names->addNewByName(ToOU(name), ToOU(content), css::table::CellAddress(), 0);
    });
}

void SetSheetVisible(Worksheet& sheet, bool visible) {
    Call(QStringLiteral("シートの表示を変えられません。"), [&] {
        Reference<css::beans::XPropertySet>(Lo(sheet).Sheet(), UNO_QUERY_THROW)
            ->setPropertyValue(OUString("IsVisible"), css::uno::Any(visible));
    });
}

bool SheetVisible(Worksheet& sheet) {
    bool visible = true;
    Call(QStringLiteral("シートの表示を読めません。"), [&] {
        Reference<css::beans::XPropertySet>(Lo(sheet).Sheet(), UNO_QUERY_THROW)
            ->getPropertyValue(OUString("IsVisible")) >>= visible;
    });
    return visible;
}

void AddChart(Worksheet& sheet, const QString& name, const QStringList& ranges) {
    LoWorksheet& lo = Lo(sheet);
    Call(QStringLiteral("グラフを作れません。"), [&] {
        css::uno::Sequence<css::table::CellRangeAddress> addresses(ranges.size());
        auto* out = addresses.getArray();
        Reference<css::container::XNameAccess> sheets(lo.Book()->Sheets(), UNO_QUERY_THROW);
        for (const QString& text : ranges) {
            // "$Data.$A$1:$B$5": the sheet, then the cells.
            const qsizetype dot = text.indexOf(QLatin1Char('.'));
            QString sheetName = text.left(dot);
            sheetName.remove(QLatin1Char('$')).remove(QLatin1Char('\''));
            Reference<css::sheet::XSpreadsheet> on(sheets->getByName(ToOU(sheetName)),
                                                   UNO_QUERY_THROW);
            *out++ = Reference<css::sheet::XCellRangeAddressable>(
                         on->getCellRangeByName(ToOU(text.mid(dot + 1))), UNO_QUERY_THROW)
                         ->getRangeAddress();
        }
        css::awt::Rectangle place(1000, 1000, 8000, 6000);
        Reference<css::table::XTableChartsSupplier>(lo.Sheet(), UNO_QUERY_THROW)
            ->getCharts()
            ->addNewByName(ToOU(name), place, addresses, true, true);
    });
}

void SetArrayFormula(Range& range, const QString& formula) {
    auto* lo = dynamic_cast<LoRange*>(&range);
    if (!lo)
        throw SheetError(SheetErrorKind::Failed, QStringLiteral("not a LibreOffice range"));
    Call(QStringLiteral("配列数式を設定できません。"), [&] {
        Reference<css::sheet::XArrayFormulaRange>(lo->Cells(), UNO_QUERY_THROW)
            ->setArrayFormula(ToOU(formula));
    });
}

} // namespace sheet::lo
