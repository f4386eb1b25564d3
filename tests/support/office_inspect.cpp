// Looks into the LibreOffice backend's objects for the integration tests and
// the benchmarks: what the object model does not expose, read or written
// directly over UNO.

#include "office_inspect.h"
#include "spreadsheet/lo/objects.h"
#include "spreadsheet/lo/office.h"

#include <com/sun/star/awt/Rectangle.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/chart2/XChartDocument.hpp>
#include <com/sun/star/chart2/data/XDataSource.hpp>
#include <com/sun/star/chart2/data/XLabeledDataSequence.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/document/XEmbeddedObjectSupplier.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/XArrayFormulaRange.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XNamedRanges.hpp>
#include <com/sun/star/sheet/XPrintAreas.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/table/TableBorder2.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/table/XTableCharts.hpp>
#include <com/sun/star/table/XTableChartsSupplier.hpp>

namespace sheet::lo {

namespace {
LoRange& AsLo(Range& range) {
    auto* lo = dynamic_cast<LoRange*>(&range);
    if (!lo)
        throw SheetError(SheetErrorKind::Failed, QStringLiteral("not a LibreOffice range"));
    return *lo;
}
Reference<css::beans::XPropertySet> TopLeft(Range& range) {
    return Reference<css::beans::XPropertySet>(AsLo(range).Cells()->getCellByPosition(0, 0),
                                               UNO_QUERY_THROW);
}
} // namespace

pid_t OfficePid(Application& app) {
    auto* lo = dynamic_cast<LoApplication*>(&app);
    return lo ? lo->OfficePid() : -1;
}

QStringList CellLinks(Range& range) {
    QStringList urls;
    Call(QStringLiteral("リンクを読めません。"), [&] {
        Reference<css::container::XEnumerationAccess> text(
            AsLo(range).Cells()->getCellByPosition(0, 0), UNO_QUERY_THROW);
        Reference<css::container::XEnumeration> paragraphs = text->createEnumeration();
        while (paragraphs->hasMoreElements()) {
            Reference<css::container::XEnumerationAccess> para(paragraphs->nextElement(),
                                                               UNO_QUERY_THROW);
            Reference<css::container::XEnumeration> portions = para->createEnumeration();
            while (portions->hasMoreElements()) {
                Reference<css::beans::XPropertySet> portion(portions->nextElement(),
                                                            UNO_QUERY_THROW);
                OUString type;
                portion->getPropertyValue(OUString("TextPortionType")) >>= type;
                if (type != "TextField")
                    continue;
                Reference<css::beans::XPropertySet> field(
                    portion->getPropertyValue(OUString("TextField")), UNO_QUERY);
                OUString url;
                if (field.is() && (field->getPropertyValue(OUString("URL")) >>= url))
                    urls << ToQ(url);
            }
        }
    });
    return urls;
}

int CellBackColor(Range& range) {
    int color = -1;
    Call(QStringLiteral("背景色を読めません。"), [&] {
        auto props = TopLeft(range);
        bool transparent = false;
        props->getPropertyValue(OUString("IsCellBackgroundTransparent")) >>= transparent;
        sal_Int32 c = -1;
        props->getPropertyValue(OUString("CellBackColor")) >>= c;
        color = transparent ? -1 : c;
    });
    return color;
}

QList<int> RangeBorderWidths(Range& range) {
    QList<int> widths;
    Call(QStringLiteral("罫線を読めません。"), [&] {
        Reference<css::beans::XPropertySet> props(AsLo(range).Cells(), UNO_QUERY_THROW);
        css::table::TableBorder2 b;
        props->getPropertyValue(OUString("TableBorder2")) >>= b;
        widths = {int(b.TopLine.LineWidth), int(b.LeftLine.LineWidth), int(b.BottomLine.LineWidth),
                  int(b.RightLine.LineWidth)};
    });
    return widths;
}

double CellFontSize(Range& range) {
    float size = 0;
    Call(QStringLiteral("文字の大きさを読めません。"),
         [&] { TopLeft(range)->getPropertyValue(OUString("CharHeight")) >>= size; });
    return size;
}

namespace {
Reference<css::beans::XPropertySet> PageStyleOf(LoWorksheet& sheet) {
    OUString name;
    Reference<css::beans::XPropertySet>(sheet.Sheet(), UNO_QUERY_THROW)
        ->getPropertyValue(OUString("PageStyle")) >>= name;
    Reference<css::container::XNameAccess> styles(
        Reference<css::style::XStyleFamiliesSupplier>(sheet.Book()->Doc(), UNO_QUERY_THROW)
            ->getStyleFamilies()
            ->getByName(OUString("PageStyles")),
        UNO_QUERY_THROW);
    return Reference<css::beans::XPropertySet>(styles->getByName(name), UNO_QUERY_THROW);
}

LoWorksheet& AsLoSheet(Worksheet& sheet) {
    auto* lo = dynamic_cast<LoWorksheet*>(&sheet);
    if (!lo)
        throw SheetError(SheetErrorKind::Failed, QStringLiteral("not a LibreOffice sheet"));
    return *lo;
}
} // namespace

QString PageSetup(Worksheet& sheet) {
    bool landscape = false;
    sal_Int16 scale = 0;
    Call(QStringLiteral("ページ設定を読めません。"), [&] {
        Reference<css::beans::XPropertySet> style = PageStyleOf(AsLoSheet(sheet));
        style->getPropertyValue(OUString("IsLandscape")) >>= landscape;
        style->getPropertyValue(OUString("PageScale")) >>= scale;
    });
    return QStringLiteral("%1 %2%").arg(landscape ? "landscape" : "portrait").arg(scale);
}

QString PrintTitleColumns(Worksheet& sheet) {
    QString columns;
    Call(QStringLiteral("印刷タイトルを読めません。"), [&] {
        Reference<css::sheet::XPrintAreas> areas(AsLoSheet(sheet).Sheet(), UNO_QUERY_THROW);
        if (!areas->getPrintTitleColumns())
            return;
        const css::table::CellRangeAddress range = areas->getTitleColumns();
        const auto letter = [](sal_Int32 column) {
            QString name;
            for (sal_Int32 c = column + 1; c > 0; c = (c - 1) / 26)
                name.prepend(QChar(u'A' + (c - 1) % 26));
            return name;
        };
        columns = letter(range.StartColumn) + QLatin1Char(':') + letter(range.EndColumn);
    });
    return columns;
}

void SetPageSetup(Worksheet& sheet, const QString& name, bool landscape, int scalePercent) {
    LoWorksheet& lo = AsLoSheet(sheet);
    Call(QStringLiteral("ページ設定を書き込めません。"), [&] {
        Reference<css::container::XNameContainer> styles(
            Reference<css::style::XStyleFamiliesSupplier>(lo.Book()->Doc(), UNO_QUERY_THROW)
                ->getStyleFamilies()
                ->getByName(OUString("PageStyles")),
            UNO_QUERY_THROW);
        Reference<css::beans::XPropertySet> style(
            Reference<css::lang::XMultiServiceFactory>(lo.Book()->Doc(), UNO_QUERY_THROW)
                ->createInstance(OUString("com.sun.star.style.PageStyle")),
            UNO_QUERY_THROW);
        styles->insertByName(ToOU(name), css::uno::Any(style));
        style->setPropertyValue(OUString("IsLandscape"), css::uno::Any(landscape));
        style->setPropertyValue(OUString("PageScale"), css::uno::Any(sal_Int16(scalePercent)));
        Reference<css::beans::XPropertySet>(lo.Sheet(), UNO_QUERY_THROW)
            ->setPropertyValue(OUString("PageStyle"), css::uno::Any(ToOU(name)));
    });
}

QStringList NamedRanges(Workbook& book) {
    auto* lo = dynamic_cast<LoWorkbook*>(&book);
    QStringList names;
    if (!lo)
        return names;
    Call(QStringLiteral("名前を読めません。"), [&] {
        Reference<css::beans::XPropertySet> props(lo->Doc(), UNO_QUERY_THROW);
        Reference<css::sheet::XNamedRanges> ranges(props->getPropertyValue(OUString("NamedRanges")),
                                                   UNO_QUERY_THROW);
        for (const OUString& n : ranges->getElementNames())
            names << ToQ(n);
    });
    return names;
}

void SaveProtectedCopy(Workbook& book, const QString& path, const QString& password) {
    auto* lo = dynamic_cast<LoWorkbook*>(&book);
    if (!lo)
        return;
    Call(QStringLiteral("保存できません。"), [&] {
        Reference<css::frame::XStorable> storable(lo->Doc(), UNO_QUERY_THROW);
        css::beans::PropertyValue filter, pass, overwrite;
        filter.Name = OUString("FilterName");
        filter.Value <<= OUString("calc8");
        pass.Name = OUString("Password");
        pass.Value <<= ToOU(password);
        overwrite.Name = OUString("Overwrite");
        overwrite.Value <<= true;
        storable->storeToURL(ToOU(FileUrl(path)),
                             SeqOf<css::beans::PropertyValue>({filter, pass, overwrite}));
    });
}

bool LeaveUnsavedDocument(const QString& pipeName) {
    try {
        Reference<css::bridge::XUnoUrlResolver> resolver =
            css::bridge::UnoUrlResolver::create(LocalContext());
        Reference<css::uno::XComponentContext> ctx(
            resolver->resolve(ToOU(QStringLiteral("uno:pipe,name=") + pipeName +
                                   QStringLiteral(";urp;StarOffice.ComponentContext"))),
            UNO_QUERY_THROW);
        Reference<css::frame::XComponentLoader> loader(css::frame::Desktop::create(ctx),
                                                       UNO_QUERY_THROW);
        css::beans::PropertyValue hidden;
        hidden.Name = OUString("Hidden");
        hidden.Value <<= true;
        Reference<css::sheet::XSpreadsheetDocument> doc(
            loader->loadComponentFromURL(OUString("private:factory/scalc"), OUString("_blank"), 0,
                                         SeqOf<css::beans::PropertyValue>({hidden})),
            UNO_QUERY_THROW);
        Reference<css::container::XIndexAccess> sheets(doc->getSheets(), UNO_QUERY_THROW);
        Reference<css::table::XCellRange> sheet(sheets->getByIndex(0), UNO_QUERY_THROW);
        sheet->getCellByPosition(0, 0)->setValue(42);
        return true;
    } catch (const css::uno::Exception&) {
        return false;
    }
}

// ---------------------------------------------------------------- fidelity

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

QStringList ChartContents(Worksheet& sheet) {
    QStringList out;
    Call(QStringLiteral("グラフを読めません。"), [&] {
        Reference<css::container::XNameAccess> charts(
            Reference<css::table::XTableChartsSupplier>(Lo(sheet).Sheet(), UNO_QUERY_THROW)
                ->getCharts(),
            UNO_QUERY_THROW);
        for (const OUString& name : charts->getElementNames()) {
            Reference<css::chart2::XChartDocument> chart(
                Reference<css::document::XEmbeddedObjectSupplier>(charts->getByName(name),
                                                                  UNO_QUERY_THROW)
                    ->getEmbeddedObject(),
                UNO_QUERY_THROW);
            const bool own = chart->hasInternalDataProvider();
            Reference<css::chart2::data::XDataSource> source(chart, UNO_QUERY_THROW);
            for (const auto& labeled : source->getDataSequences()) {
                for (const auto& part : {labeled->getLabel(), labeled->getValues()}) {
                    if (!part.is())
                        continue;
                    QString line =
                        own ? QStringLiteral("own") : ToQ(part->getSourceRangeRepresentation());
                    line += QStringLiteral(" =");
                    for (const css::uno::Any& value : part->getData()) {
                        double number = 0;
                        OUString text;
                        if (value >>= number)
                            line += QLatin1Char(' ') + QString::number(number);
                        else if (value >>= text)
                            line += QLatin1Char(' ') + ToQ(text);
                        else
                            line += QStringLiteral(" ?");
                    }
                    out << line;
                }
            }
        }
    });
    return out;
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
