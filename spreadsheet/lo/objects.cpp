#include "spreadsheet/lo/objects.h"

#include "spreadsheet/cell_address.h"
#include "spreadsheet/palette.h"

#include <com/sun/star/awt/Rectangle.hpp>
#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/beans/PropertyAttribute.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XMultiPropertySet.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/document/XTypeDetection.hpp>
#include <com/sun/star/drawing/XDrawPagesSupplier.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XLoadable.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/FormulaResult.hpp>
#include <com/sun/star/sheet/XArrayFormulaRange.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangeFormula.hpp>
#include <com/sun/star/sheet/XCellRangeReferrer.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XExternalDocLink.hpp>
#include <com/sun/star/sheet/XExternalDocLinks.hpp>
#include <com/sun/star/sheet/XExternalSheetCache.hpp>
#include <com/sun/star/sheet/XNamedRange.hpp>
#include <com/sun/star/sheet/XNamedRanges.hpp>
#include <com/sun/star/sheet/XPrintAreas.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XSpreadsheets2.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/table/BorderLine2.hpp>
#include <com/sun/star/table/BorderLineStyle.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/TableBorder2.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableChart.hpp>
#include <com/sun/star/table/XTableChartsSupplier.hpp>
#include <com/sun/star/task/ErrorCodeIOException.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextContent.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/uno/RuntimeException.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>

#include <unistd.h>

namespace sheet::lo {

using css::beans::PropertyValue;
using css::beans::XPropertySet;
using css::uno::Any;
using css::uno::Sequence;

namespace {

const QString kLostConnection = QStringLiteral("表計算アプリケーションとの接続が切れました。");

PropertyValue Prop(const char* name, const Any& value) {
    PropertyValue p;
    p.Name = OUString::createFromAscii(name);
    p.Value = value;
    return p;
}

// Filters of documents that are not workbooks: the office loads any text file
// (also one named .xls) as comma-separated text.
bool IsWorkbookFilter(const QString& filter) {
    if (filter.isEmpty())
        return false;
    static const QStringList refused = {QStringLiteral("Text"), QStringLiteral("CSV"),
                                        QStringLiteral("HTML"), QStringLiteral("SYLK"),
                                        QStringLiteral("DIF"),  QStringLiteral("dBase"),
                                        QStringLiteral("RTF"),  QStringLiteral("Web")};
    for (const QString& word : refused)
        if (filter.contains(word, Qt::CaseInsensitive))
            return false;
    return true;
}

// The file format of a workbook read with an import filter.
int FormatOfFilter(const QString& filter) {
    if (filter.contains(QStringLiteral("VBA"), Qt::CaseInsensitive))
        return xlOpenXMLWorkbookMacroEnabled;
    if (filter.contains(QStringLiteral("2007"), Qt::CaseInsensitive) ||
        filter.contains(QStringLiteral("OOXML"), Qt::CaseInsensitive) ||
        filter.contains(QStringLiteral("Office Open XML"), Qt::CaseInsensitive))
        return xlOpenXMLWorkbook;
    if (filter.startsWith(QStringLiteral("calc8"), Qt::CaseInsensitive) ||
        filter.contains(QStringLiteral("OpenDocument"), Qt::CaseInsensitive))
        return xlOpenDocumentSpreadsheet;
    return xlNormal;
}

// The export filter of a file format; empty for a number that is none.
OUString ExportFilter(int fileFormat) {
    switch (fileFormat) {
    case xlNormal:
        return OUString("MS Excel 97");
    case xlOpenXMLWorkbook:
        return OUString("Calc MS Excel 2007 XML");
    case xlOpenXMLWorkbookMacroEnabled:
        return OUString("Calc MS Excel 2007 VBA XML");
    case xlOpenDocumentSpreadsheet:
        return OUString("calc8");
    default:
        return OUString();
    }
}

css::table::BorderLine2 Line(const BorderFormat& f) {
    css::table::BorderLine2 line;
    if (f.lineStyle == xlLineStyleNone) {
        line.LineStyle = css::table::BorderLineStyle::NONE;
        return line;
    }
    line.LineStyle = css::table::BorderLineStyle::SOLID;
    // Widths in 1/100 mm: hairline, thin, medium, thick.
    switch (f.weight) {
    case 1:
        line.LineWidth = 2;
        break;
    case -4138:
        line.LineWidth = 53;
        break;
    case 4:
        line.LineWidth = 88;
        break;
    default:
        line.LineWidth = 26;
        break;
    }
    line.OuterLineWidth = sal_Int16(line.LineWidth);
    const std::int32_t rgb = PaletteColor(f.colorIndex);
    line.Color = rgb < 0 ? 0 : rgb;
    return line;
}

css::table::CellRangeAddress AddressOf(const Reference<css::table::XCellRange>& range) {
    Reference<css::sheet::XCellRangeAddressable> a(range, UNO_QUERY_THROW);
    return a->getRangeAddress();
}

// The page style's settings that are plain values (orientation, scale,
// margins, headers on or off...): the writable properties that are not
// objects of their document. The scale is one setting of three kinds (a
// percentage, a number of pages, pages across and down): setting one resets
// the others, so the four scale properties come last, apart.
const std::vector<OUString>& ScaleProperties() {
    static const std::vector<OUString> scaling = {"PageScale", "ScaleToPages", "ScaleToPagesX",
                                                  "ScaleToPagesY"};
    return scaling;
}

Sequence<OUString> PlainStyleProperties(const Reference<css::beans::XMultiPropertySet>& style) {
    const std::vector<OUString>& scaling = ScaleProperties();
    std::vector<OUString> names;
    for (const css::beans::Property& p : style->getPropertySetInfo()->getProperties())
        if (!(p.Attributes & css::beans::PropertyAttribute::READONLY) &&
            p.Type.getTypeClass() != css::uno::TypeClass_INTERFACE &&
            std::find(scaling.begin(), scaling.end(), p.Name) == scaling.end())
            names.push_back(p.Name);
    names.insert(names.end(), scaling.begin(), scaling.end());
    return Sequence<OUString>(names.data(), sal_Int32(names.size()));
}

// The page style's settings that a printout shows.
const Sequence<OUString>& PrintedSettings() {
    static const Sequence<OUString> names = SeqOf<OUString>(
        {"IsLandscape",      "Width",         "Height",          "PageScale",
         "ScaleToPages",     "ScaleToPagesX", "ScaleToPagesY",   "LeftMargin",
         "RightMargin",      "TopMargin",     "BottomMargin",    "CenterHorizontally",
         "CenterVertically", "PrintGrid",     "PrintHeaders",    "PrintDownFirst",
         "HeaderIsOn",       "FooterIsOn",    "FirstPageNumber", "PrintFormulas",
         "PrintZeroValues"});
    return names;
}

// Gives a new page style the settings read from another one (keys and values
// as PlainStyleProperties lists them).
void FillPageStyle(const Reference<css::beans::XMultiPropertySet>& style,
                   const Sequence<OUString>& keys, const Sequence<Any>& values) {
    const sal_Int32 plain = keys.getLength() - 4;
    const Sequence<OUString> plainKeys(keys.getConstArray(), plain);
    const Sequence<Any> plainValues(values.getConstArray(), plain);
    try {
        style->setPropertyValues(plainKeys, plainValues);
    } catch (const css::uno::Exception&) {
        // One refused value: set them one by one, skipping the refused.
        Reference<XPropertySet> single(style, UNO_QUERY_THROW);
        for (sal_Int32 i = 0; i < plain; ++i) {
            try {
                single->setPropertyValue(keys[i], values[i]);
            } catch (const css::uno::Exception&) {
            }
        }
    }
    sal_Int16 pages = 0, across = 0, down = 0;
    values[plain + 1] >>= pages;
    values[plain + 2] >>= across;
    values[plain + 3] >>= down;
    Reference<XPropertySet> single(style, UNO_QUERY_THROW);
    if (pages > 0) {
        single->setPropertyValue(keys[plain + 1], values[plain + 1]);
    } else if (across > 0 || down > 0) {
        single->setPropertyValue(keys[plain + 2], values[plain + 2]);
        single->setPropertyValue(keys[plain + 3], values[plain + 3]);
    } else {
        single->setPropertyValue(keys[plain], values[plain]);
    }
}

} // namespace

// A sheet copied into another workbook keeps its page setup (orientation,
// scale, margins) when the caller asks: the office's import gives it the
// target's default page style, or the target's style of the same name, which
// in books made alike ("Default", "PageStyle_Data") usually holds other
// settings. The source's style is looked for among the target's styles of
// that name and its numbered variants ("Default_2"); the first with the same
// settings is used, else a new one is added under the first free name. The
// answer is kept per source book and style.
void LoWorkbook::CarryPageStyle(LoWorksheet& from,
                                const Reference<css::sheet::XSpreadsheet>& copy) {
    Reference<XPropertySet> source(from.Sheet(), UNO_QUERY_THROW);
    Reference<XPropertySet> target(copy, UNO_QUERY_THROW);
    const OUString pageStyle("PageStyle");
    OUString name;
    OUString current;
    source->getPropertyValue(pageStyle) >>= name;
    if (name.isEmpty())
        return;
    const QString key = from.Book()->Name() + QLatin1Char('\n') + from.Book()->FullName() +
                        QLatin1Char('\n') + ToQ(name);
    auto known = pageStyles_.constFind(key);
    if (known == pageStyles_.constEnd()) {
        const OUString family("PageStyles");
        Reference<css::container::XNameAccess> sourceStyles(
            Reference<css::style::XStyleFamiliesSupplier>(from.Book()->Doc(), UNO_QUERY_THROW)
                ->getStyleFamilies()
                ->getByName(family),
            UNO_QUERY_THROW);
        Reference<css::container::XNameContainer> targetStyles(
            Reference<css::style::XStyleFamiliesSupplier>(doc_, UNO_QUERY_THROW)
                ->getStyleFamilies()
                ->getByName(family),
            UNO_QUERY_THROW);
        Reference<css::beans::XMultiPropertySet> original(sourceStyles->getByName(name),
                                                          UNO_QUERY_THROW);
        // Styles are compared by what a printout shows; all their settings
        // are read only for a style that is added.
        Sequence<Any> printed;
        OUString use = name;
        for (int n = 2;; ++n) {
            if (!targetStyles->hasByName(use)) {
                const Sequence<OUString> keys = PlainStyleProperties(original);
                const Sequence<Any> values = original->getPropertyValues(keys);
                Reference<css::beans::XMultiPropertySet> style(
                    Factory()->createInstance(OUString("com.sun.star.style.PageStyle")),
                    UNO_QUERY_THROW);
                targetStyles->insertByName(use, Any(style));
                FillPageStyle(style, keys, values);
                break;
            }
            if (!printed.hasElements())
                printed = original->getPropertyValues(PrintedSettings());
            Reference<css::beans::XMultiPropertySet> there(targetStyles->getByName(use),
                                                           UNO_QUERY_THROW);
            if (there->getPropertyValues(PrintedSettings()) == printed)
                break;
            use = name + "_" + OUString::number(n);
        }
        known = pageStyles_.insert(key, ToQ(use));
    }
    target->getPropertyValue(pageStyle) >>= current;
    if (ToQ(current) != known.value())
        target->setPropertyValue(pageStyle, Any(ToOU(known.value())));
}

void LoWorkbook::CarryExternalLinks(LoWorkbook& from) {
    const QString key = from.Name() + QLatin1Char('\n') + from.FullName();
    if (linksCarried_.contains(key))
        return;
    linksCarried_.insert(key);
    const OUString property("ExternalDocLinks");
    Reference<css::sheet::XExternalDocLinks> sourceLinks(
        Reference<XPropertySet>(from.Doc(), UNO_QUERY_THROW)->getPropertyValue(property),
        UNO_QUERY_THROW);
    const Sequence<OUString> urls = sourceLinks->getElementNames();
    if (!urls.hasElements())
        return;
    Reference<css::sheet::XExternalDocLinks> links(
        Reference<XPropertySet>(doc_, UNO_QUERY_THROW)->getPropertyValue(property),
        UNO_QUERY_THROW);
    for (const OUString& url : urls) {
        Reference<css::container::XNameAccess> sourceLink(sourceLinks->getByName(url),
                                                          UNO_QUERY_THROW);
        Reference<css::sheet::XExternalDocLink> link = links->addDocLink(url);
        for (const OUString& sheetName : sourceLink->getElementNames()) {
            Reference<css::sheet::XExternalSheetCache> sourceCache(sourceLink->getByName(sheetName),
                                                                   UNO_QUERY_THROW);
            // Not dynamic: the saved workbook holds what the source held,
            // and the file is not read behind the user's back.
            Reference<css::sheet::XExternalSheetCache> cache =
                link->addSheetCache(sheetName, false);
            for (const sal_Int32 row : sourceCache->getAllRows())
                for (const sal_Int32 column : sourceCache->getAllColumns(row))
                    cache->setCellValue(column, row, sourceCache->getCellValue(column, row));
        }
    }
}

namespace {

// A range of the notation of ChartData: "$Data.$A$1:$B$5" or
// "$'O''Brien'.$A$1:$B$5".
QString RangeText(const QString& sheetName, const css::table::CellRangeAddress& a) {
    QString quoted = sheetName;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    auto cell = [](sal_Int32 column, sal_Int32 row) {
        return QLatin1Char('$') + ColumnLetters(column + 1) + QLatin1Char('$') +
               QString::number(row + 1);
    };
    return QStringLiteral("$'") + quoted + QStringLiteral("'.") + cell(a.StartColumn, a.StartRow) +
           QLatin1Char(':') + cell(a.EndColumn, a.EndRow);
}

// The sheet name and the cell part of such a range text; false when it has
// no sheet part.
bool SplitRangeText(const QString& text, QString* sheetName, QString* cells) {
    qsizetype i = 0;
    if (i < text.size() && text[i] == QLatin1Char('$'))
        ++i;
    QString name;
    if (i < text.size() && text[i] == QLatin1Char('\'')) {
        ++i;
        for (; i < text.size(); ++i) {
            if (text[i] == QLatin1Char('\'')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\'')) {
                    name += QLatin1Char('\'');
                    ++i;
                    continue;
                }
                ++i;
                break;
            }
            name += text[i];
        }
    } else {
        while (i < text.size() && text[i] != QLatin1Char('.'))
            name += text[i++];
    }
    if (i >= text.size() || text[i] != QLatin1Char('.') || name.isEmpty())
        return false;
    *sheetName = name;
    *cells = text.mid(i + 1);
    return true;
}

// The columns and rows repeated on every printed page: part of a sheet's
// print set-up that the import leaves behind.
void CarryPrintTitles(const Reference<css::sheet::XSpreadsheet>& fromSheet,
                      const Reference<css::sheet::XSpreadsheet>& copy, sal_Int32 copyIndex) {
    Reference<css::sheet::XPrintAreas> from(fromSheet, UNO_QUERY_THROW);
    Reference<css::sheet::XPrintAreas> to(copy, UNO_QUERY_THROW);
    if (from->getPrintTitleColumns()) {
        css::table::CellRangeAddress columns = from->getTitleColumns();
        columns.Sheet = sal_Int16(copyIndex);
        to->setTitleColumns(columns);
        to->setPrintTitleColumns(true);
    }
    if (from->getPrintTitleRows()) {
        css::table::CellRangeAddress rows = from->getTitleRows();
        rows.Sheet = sal_Int16(copyIndex);
        to->setTitleRows(rows);
        to->setPrintTitleRows(true);
    }
}

} // namespace

void Call(const QString& whatFailed, const std::function<void()>& call) {
    try {
        call();
    } catch (const SheetError&) {
        throw;
    } catch (const css::lang::DisposedException& e) {
        throw SheetError(SheetErrorKind::OfficeLost, kLostConnection, ToQ(e.Message));
    } catch (const css::uno::RuntimeException& e) {
        // A broken bridge shows up as a plain runtime error on some calls.
        const QString detail = ToQ(e.Message);
        if (detail.contains(QStringLiteral("dispos"), Qt::CaseInsensitive) ||
            detail.contains(QStringLiteral("Binary URP bridge"), Qt::CaseInsensitive))
            throw SheetError(SheetErrorKind::OfficeLost, kLostConnection, detail);
        throw SheetError(SheetErrorKind::Failed, whatFailed, detail);
    } catch (const css::uno::Exception& e) {
        throw SheetError(SheetErrorKind::Failed, whatFailed, ToQ(e.Message));
    }
}

void Session::CheckOpen() const {
    if (quit || !office)
        throw SheetError(SheetErrorKind::OfficeLost, kLostConnection,
                         QStringLiteral("application has quit"));
}

void Session::Forget(LoWorkbook* book) {
    if (activeSheet && activeSheet->Book().get() == book)
        activeSheet.reset();
    if (selection && selection->Sheet()->Book().get() == book)
        selection.reset();
    for (auto it = books.begin(); it != books.end(); ++it) {
        if (it->get() == book) {
            books.erase(it);
            break;
        }
    }
}

// ---------------------------------------------------------------- workbook

LoWorkbook::LoWorkbook(std::shared_ptr<Session> session, Reference<css::lang::XComponent> doc,
                       QString name, QString fullName)
    : session_(std::move(session)), component_(doc), doc_(doc, UNO_QUERY), name_(std::move(name)),
      fullName_(std::move(fullName)), viewsFromFile_(!fullName_.isEmpty()) {}

int LoWorkbook::SheetCount() const {
    session_->CheckOpen();
    int count = 0;
    Call(QStringLiteral("シート数を取得できません。"), [&] {
        Reference<css::container::XIndexAccess> sheets(Sheets(), UNO_QUERY_THROW);
        count = sheets->getCount();
    });
    return count;
}

QList<DefinedName> LoWorkbook::Names() {
    session_->CheckOpen();
    QList<DefinedName> out;
    Call(QStringLiteral("名前を取得できません。"), [&] {
        Reference<XPropertySet> props(doc_, UNO_QUERY_THROW);
        Reference<css::container::XNameAccess> names(
            props->getPropertyValue(OUString("NamedRanges")), UNO_QUERY_THROW);
        for (const OUString& name : names->getElementNames()) {
            Reference<css::sheet::XNamedRange> range(names->getByName(name), UNO_QUERY_THROW);
            out.append({ToQ(name), ToQ(range->getContent())});
        }
    });
    return out;
}

void LoWorkbook::SetName(const DefinedName& name) {
    session_->CheckOpen();
    Call(QStringLiteral("名前 '%1' を設定できません。").arg(name.name), [&] {
        Reference<css::sheet::XNamedRanges> names(Reference<XPropertySet>(doc_, UNO_QUERY_THROW)
                                                      ->getPropertyValue(OUString("NamedRanges")),
                                                  UNO_QUERY_THROW);
        const OUString key = ToOU(name.name);
        if (names->hasByName(key)) {
            Reference<css::sheet::XNamedRange>(names->getByName(key), UNO_QUERY_THROW)
                ->setContent(ToOU(name.content));
        } else {
            names->addNewByName(key, ToOU(name.content), css::table::CellAddress(), 0);
        }
    });
}

bool LoWorkbook::HasDrawLayer() const {
    bool has = true;
    try {
        Reference<XPropertySet>(doc_, UNO_QUERY_THROW)
            ->getPropertyValue(OUString("HasDrawPages")) >>= has;
    } catch (const css::uno::Exception&) {
        // Not known: as if it had one.
    }
    return has;
}

void LoWorkbook::EnsureDrawLayer() {
    if (drawLayer_)
        return;
    Call(QStringLiteral("図形の層を用意できません。"), [&] {
        // Asking for a draw page makes the document's drawing layer.
        Reference<css::container::XIndexAccess> pages(
            Reference<css::drawing::XDrawPagesSupplier>(doc_, UNO_QUERY_THROW)->getDrawPages(),
            UNO_QUERY_THROW);
        if (pages->getCount() > 0)
            pages->getByIndex(0);
    });
    drawLayer_ = true;
}

const Reference<css::sheet::XSpreadsheets>& LoWorkbook::Sheets() const {
    if (!sheets_.is())
        sheets_ = doc_->getSheets();
    return sheets_;
}

const Reference<css::lang::XMultiServiceFactory>& LoWorkbook::Factory() const {
    if (!factory_.is())
        factory_.set(doc_, UNO_QUERY_THROW);
    return factory_;
}

std::shared_ptr<LoWorksheet> LoWorkbook::Wrap(const Reference<css::sheet::XSpreadsheet>& sheet,
                                              const QString& knownName, int knownIndex) {
    auto wrapped = std::make_shared<LoWorksheet>(shared_from_this(), sheet);
    wrapped->Remember(knownName, knownIndex);
    return wrapped;
}

std::shared_ptr<LoWorksheet> LoWorkbook::SheetAt(int zeroBased, const QString& knownName) {
    Reference<css::sheet::XSpreadsheet> sheet;
    Call(QStringLiteral("シートを取得できません。"), [&] {
        Reference<css::container::XIndexAccess> sheets(Sheets(), UNO_QUERY_THROW);
        sheet.set(sheets->getByIndex(zeroBased), UNO_QUERY_THROW);
    });
    return Wrap(sheet, knownName, zeroBased);
}

std::shared_ptr<Worksheet> LoWorkbook::Worksheets(int index) {
    const int count = SheetCount();
    if (index < 1 || index > count)
        throw SheetError(SheetErrorKind::NoSuchItem,
                         QStringLiteral("インデックスが有効範囲にありません。"),
                         QStringLiteral("sheet %1 of %2").arg(index).arg(count));
    return SheetAt(index - 1);
}

std::shared_ptr<Worksheet> LoWorkbook::Worksheets(const QString& name) {
    session_->CheckOpen();
    Sequence<OUString> names;
    Call(QStringLiteral("シート名を取得できません。"),
         [&] { names = Sheets()->getElementNames(); });
    int found = -1;
    for (sal_Int32 i = 0; i < names.getLength() && found < 0; ++i)
        if (ToQ(names[i]) == name)
            found = i;
    for (sal_Int32 i = 0; i < names.getLength() && found < 0; ++i)
        if (ToQ(names[i]).compare(name, Qt::CaseInsensitive) == 0)
            found = i;
    if (found < 0)
        throw SheetError(SheetErrorKind::NoSuchItem,
                         QStringLiteral("インデックスが有効範囲にありません。"),
                         QStringLiteral("no sheet '%1' in %2").arg(name, name_));
    return SheetAt(found, ToQ(names[found]));
}

sal_Int32 LoWorkbook::FormatKey(const QString& format) {
    auto it = formatKeys_.constFind(format);
    if (it != formatKeys_.constEnd())
        return *it;
    sal_Int32 key = -1;
    Call(QStringLiteral("表示形式 '%1' を設定できません。").arg(format), [&] {
        Reference<css::util::XNumberFormatsSupplier> supplier(doc_, UNO_QUERY_THROW);
        Reference<css::util::XNumberFormats> formats = supplier->getNumberFormats();
        const css::lang::Locale locale(OUString("en"), OUString("US"), OUString());
        key = formats->queryKey(ToOU(format), locale, false);
        if (key < 0)
            key = formats->addNew(ToOU(format), locale);
    });
    formatKeys_.insert(format, key);
    return key;
}

void LoWorkbook::MakeActiveSheet(const Reference<css::sheet::XSpreadsheet>& sheet) {
    session_->activeSheet = Wrap(sheet);
    // Workbooks have no view (see NewSpreadsheetModel): the active sheet and
    // the selection live in the object model only, and a saved file opens on
    // the sheet the file itself names.
}

void LoWorkbook::SaveAs(const QString& fileName, int fileFormat, const QString& password) {
    session_->CheckOpen();
    const OUString filter = ExportFilter(fileFormat);
    if (filter.isEmpty())
        throw SheetError(SheetErrorKind::Failed,
                         QStringLiteral("ファイル形式 %1 では保存できません。").arg(fileFormat));
    QFileInfo info(fileName);
    QString path = info.absoluteFilePath();
    if (info.suffix().isEmpty())
        path += QLatin1Char('.') + FileFormatExtension(fileFormat);
    const QFileInfo target(path);
    const QString cannotSave = QStringLiteral("'%1' に保存できません。").arg(path);
    if (!target.absoluteDir().exists())
        throw SheetError(SheetErrorKind::CannotWrite, cannotSave,
                         QStringLiteral("folder does not exist"));
    if (target.exists() && (!target.isFile() || !target.isWritable()))
        throw SheetError(SheetErrorKind::CannotWrite, cannotSave,
                         QStringLiteral("file is read-only"));

    // Written next to the target and renamed over it: a failed save never
    // destroys the previous file.
    const QString temp = target.absolutePath() + QStringLiteral("/.~") + target.fileName() +
                         QStringLiteral(".%1.tmp").arg(getpid());
    QFile::remove(temp);
    KeepTextResults();
    const SheetViewsForSave views(session_->office->Context(), component_, views_);
    try {
        Call(cannotSave, [&] {
            Reference<css::frame::XStorable> storable(doc_, UNO_QUERY_THROW);
            std::vector<PropertyValue> props = {Prop("FilterName", Any(filter)),
                                                Prop("Overwrite", Any(true))};
            if (!password.isEmpty() &&
                (fileFormat == xlOpenXMLWorkbook || fileFormat == xlOpenXMLWorkbookMacroEnabled)) {
                // The OOXML export encrypts with the password it finds in the
                // encryption data (a plain password is ignored there), with
                // the standard scheme (this office writes no other).
                css::beans::NamedValue key[2];
                key[0].Name = OUString("OOXPassword");
                key[0].Value <<= ToOU(password);
                key[1].Name = OUString("CryptoType");
                key[1].Value <<= OUString("Standard");
                props.push_back(
                    Prop("EncryptionData", Any(Sequence<css::beans::NamedValue>(key, 2))));
            } else if (!password.isEmpty()) {
                props.push_back(Prop("Password", Any(ToOU(password))));
            }
            storable->storeToURL(ToOU(FileUrl(temp)),
                                 Sequence<PropertyValue>(props.data(), sal_Int32(props.size())));
        });
    } catch (...) {
        QFile::remove(temp);
        throw;
    }
    if (!QFileInfo(temp).isFile()) {
        throw SheetError(SheetErrorKind::CannotWrite, cannotSave,
                         QStringLiteral("nothing written"));
    }
    if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) != 0) {
        const QString detail = QString::fromLocal8Bit(strerror(errno));
        QFile::remove(temp);
        throw SheetError(SheetErrorKind::CannotWrite, cannotSave, detail);
    }
    name_ = target.fileName();
    fullName_ = path;
    format_ = fileFormat;
}

void LoWorkbook::KeepTextResults() {
    // A saved file stores each formula's result for readers that do not
    // calculate. The office writes a formula cell's result by the kind of
    // value the formula was last known to give; for formulas read from a
    // file that kind stays "number" whatever they give, so a text result
    // ("SAAS", a HYPERLINK's caption) would be stored as 0. Entering such a
    // formula again lets the office learn its kind; an array formula is left
    // as it is (entering one of its cells alone would break it).
    Call(QStringLiteral("数式の結果を保存用に整えられません。"), [&] {
        Reference<css::container::XIndexAccess> sheets(Sheets(), UNO_QUERY_THROW);
        for (sal_Int32 i = 0; i < sheets->getCount(); ++i) {
            Reference<css::sheet::XSpreadsheet> sheet(sheets->getByIndex(i), UNO_QUERY_THROW);
            Reference<css::sheet::XSheetCellRanges> ranges =
                Reference<css::sheet::XCellRangesQuery>(sheet, UNO_QUERY_THROW)
                    ->queryFormulaCells(css::sheet::FormulaResult::STRING);
            if (!ranges.is())
                continue;
            for (const css::table::CellRangeAddress& a : ranges->getRangeAddresses()) {
                Reference<css::sheet::XCellRangeFormula> block(
                    sheet->getCellRangeByPosition(a.StartColumn, a.StartRow, a.EndColumn, a.EndRow),
                    UNO_QUERY_THROW);
                Sequence<Sequence<OUString>> rows = block->getFormulaArray();
                bool plain = true;
                for (const auto& row : std::as_const(rows))
                    for (const OUString& f : row)
                        plain = plain && !f.startsWith("{");
                if (plain) {
                    block->setFormulaArray(rows);
                    continue;
                }
                for (sal_Int32 r = 0; r < rows.getLength(); ++r)
                    for (sal_Int32 c = 0; c < rows[r].getLength(); ++c)
                        if (!rows[r][c].startsWith("{"))
                            sheet->getCellByPosition(a.StartColumn + c, a.StartRow + r)
                                ->setFormula(rows[r][c]);
            }
        }
    });
}

void LoWorkbook::Close() {
    if (!doc_.is())
        return;
    Reference<css::lang::XComponent> component = component_;
    component_.clear();
    doc_.clear();
    sheets_.clear();
    factory_.clear();
    formatKeys_.clear();
    views_ = BookViews();
    session_->Forget(this);
    try {
        Reference<css::util::XCloseable> closeable(component, UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
        else if (component.is())
            component->dispose();
    } catch (const css::uno::Exception&) {
        // A document that refuses to close goes with the office at Quit.
    }
}

// ---------------------------------------------------------------- worksheet

LoWorksheet::LoWorksheet(std::shared_ptr<LoWorkbook> book,
                         Reference<css::sheet::XSpreadsheet> sheet)
    : book_(std::move(book)), sheet_(std::move(sheet)) {}

void LoWorksheet::Remember(const QString& name, int index) const {
    const int generation = book_->Sess().generation;
    if (!name.isEmpty()) {
        name_ = name;
        nameGeneration_ = generation;
    }
    if (index >= 0) {
        index_ = index;
        indexGeneration_ = generation;
    }
}

QString LoWorksheet::Name() const {
    book_->Sess().CheckOpen();
    if (nameGeneration_ == book_->Sess().generation)
        return name_;
    QString name;
    Call(QStringLiteral("シート名を取得できません。"), [&] {
        Reference<css::container::XNamed> named(sheet_, UNO_QUERY_THROW);
        name = ToQ(named->getName());
    });
    Remember(name, -1);
    return name;
}

int LoWorksheet::Index() const {
    if (indexGeneration_ == book_->Sess().generation)
        return index_;
    int index = -1;
    Call(QStringLiteral("シートの位置を取得できません。"), [&] {
        index = AddressOf(Reference<css::table::XCellRange>(sheet_, UNO_QUERY_THROW)).Sheet;
    });
    return index;
}

void LoWorksheet::SetName(const QString& name) {
    const QString current = Name();
    if (current == name)
        return;
    const QString refused = QStringLiteral("シート名を '%1' に変更できません。").arg(name);
    Sequence<OUString> names;
    Call(refused, [&] { names = book_->Sheets()->getElementNames(); });
    for (const OUString& other : names) {
        const QString o = ToQ(other);
        if (o != current && o.compare(name, Qt::CaseInsensitive) == 0)
            throw SheetError(SheetErrorKind::Refused,
                             QStringLiteral("シート名 '%1' は既に使われています。").arg(name));
    }
    Call(refused, [&] {
        Reference<css::container::XNamed> named(sheet_, UNO_QUERY_THROW);
        named->setName(ToOU(name));
    });
    ++book_->Sess().generation;
    // The office ignores a name it refuses without saying so.
    if (Name() != name)
        throw SheetError(SheetErrorKind::Refused, refused, QStringLiteral("name not accepted"));
}

void LoWorksheet::Delete() {
    if (book_->SheetCount() <= 1)
        throw SheetError(SheetErrorKind::Refused,
                         QStringLiteral("ブックには少なくとも 1 枚のシートが必要です。"));
    const QString name = Name();
    Session& s = book_->Sess();
    book_->KeepSheetViews(sheet_);
    Call(QStringLiteral("シート '%1' を削除できません。").arg(name),
         [&] { book_->Sheets()->removeByName(ToOU(name)); });
    ++s.generation;
    if (s.activeSheet && s.activeSheet->Sheet() == sheet_)
        s.activeSheet.reset();
    if (s.selection && s.selection->Sheet()->Sheet() == sheet_)
        s.selection.reset();
}

void LoWorksheet::Activate() {
    book_->Sess().CheckOpen();
    book_->MakeActiveSheet(sheet_);
}

std::shared_ptr<Worksheet> LoWorksheet::Copy(Where where, Worksheet& target, bool withPageSetup) {
    auto* dest = dynamic_cast<LoWorksheet*>(&target);
    if (!dest)
        throw SheetError(SheetErrorKind::Failed, QStringLiteral("コピー先のシートが不正です。"));
    book_->Sess().CheckOpen();
    const QString name = Name();
    const int position = dest->Index() + (where == Where::After ? 1 : 0);
    std::shared_ptr<LoWorkbook> destBook = dest->Book();
    if (position < destBook->SheetCount())
        destBook->KeepSheetViews();
    Reference<css::sheet::XSpreadsheet> copied;
    int copiedIndex = -1;
    Call(QStringLiteral("シート '%1' をコピーできません。").arg(name), [&] {
        Reference<css::sheet::XSpreadsheets> sheets = destBook->Sheets();
        sal_Int32 index = position;
        if (destBook.get() == book_.get()) {
            // Within one workbook: the same unique naming as across books.
            Sequence<OUString> names = sheets->getElementNames();
            QString candidate = name;
            for (int n = 2;; ++n) {
                bool used = false;
                for (const OUString& o : names)
                    used = used || ToQ(o).compare(candidate, Qt::CaseInsensitive) == 0;
                if (!used)
                    break;
                candidate = name + QStringLiteral("_%1").arg(n);
            }
            sheets->copyByName(ToOU(name), ToOU(candidate), sal_Int16(position));
        } else {
            if (!destBook->DrawLayerReady() && book_->HasDrawLayer())
                destBook->EnsureDrawLayer();
            destBook->CarryExternalLinks(*book_);
            Reference<css::sheet::XSpreadsheets2> sheets2(sheets, UNO_QUERY_THROW);
            index = sheets2->importSheet(book_->Doc(), ToOU(name), position);
        }
        Reference<css::container::XIndexAccess> byIndex(sheets, UNO_QUERY_THROW);
        copied.set(byIndex->getByIndex(index), UNO_QUERY_THROW);
        if (destBook.get() != book_.get()) {
            if (withPageSetup) {
                destBook->CarryPageStyle(*this, copied);
                CarryPrintTitles(sheet_, copied, index);
            }
            destBook->CarrySheetView(*this, copied);
            // The import shows every copy; a hidden sheet stays hidden.
            bool visible = true;
            Reference<XPropertySet>(sheet_, UNO_QUERY_THROW)
                ->getPropertyValue(OUString("IsVisible")) >>= visible;
            if (!visible)
                Reference<XPropertySet>(copied, UNO_QUERY_THROW)
                    ->setPropertyValue(OUString("IsVisible"), Any(false));
        }
        copiedIndex = index;
    });
    ++book_->Sess().generation;
    destBook->MakeActiveSheet(copied);
    book_->Sess().activeSheet->Remember(QString(), copiedIndex);
    return book_->Sess().activeSheet;
}

std::shared_ptr<::sheet::Range> LoWorksheet::Cells(int row, int column) {
    if (row < 1 || column < 1)
        throw SheetError(SheetErrorKind::Failed,
                         QStringLiteral("セル (%1, %2) は指定できません。").arg(row).arg(column));
    Reference<css::table::XCellRange> range;
    Call(QStringLiteral("セル (%1, %2) は指定できません。").arg(row).arg(column),
         [&] { range = sheet_->getCellRangeByPosition(column - 1, row - 1, column - 1, row - 1); });
    return std::make_shared<LoRange>(shared_from_this(), range);
}

std::shared_ptr<::sheet::Range> LoWorksheet::AllCells() {
    return std::make_shared<LoRange>(
        shared_from_this(), Reference<css::table::XCellRange>(sheet_, UNO_QUERY_THROW), true);
}

std::shared_ptr<::sheet::Range> LoWorksheet::Range(const QString& addressOrName) {
    book_->Sess().CheckOpen();
    const QString missing = QStringLiteral("範囲 '%1' がありません。").arg(addressOrName);
    Reference<css::table::XCellRange> range;
    Call(missing, [&] {
        // A workbook-level name first ("SC_ユーザ数"), then an address.
        Reference<XPropertySet> docProps(book_->Doc(), UNO_QUERY_THROW);
        Reference<css::sheet::XNamedRanges> names(
            docProps->getPropertyValue(OUString("NamedRanges")), UNO_QUERY_THROW);
        const OUString key = ToOU(addressOrName);
        if (names->hasByName(key)) {
            Reference<css::sheet::XCellRangeReferrer> referrer(names->getByName(key),
                                                               UNO_QUERY_THROW);
            range = referrer->getReferredCells();
        }
        if (!range.is())
            range = sheet_->getCellRangeByName(key);
    });
    if (!range.is())
        throw SheetError(SheetErrorKind::Failed, missing);
    return std::make_shared<LoRange>(shared_from_this(), range);
}

::sheet::Hyperlinks& LoWorksheet::Hyperlinks() {
    return links_;
}

QList<FormulaCell> LoWorksheet::Formulas() {
    book_->Sess().CheckOpen();
    QList<FormulaCell> out;
    Call(QStringLiteral("シート '%1' の数式を取得できません。").arg(Name()), [&] {
        // The blocks of formula cells first, then each block's formulas in one
        // call: a few calls a sheet instead of one per cell.
        Reference<css::sheet::XCellRangesQuery> query(sheet_, UNO_QUERY_THROW);
        Reference<css::sheet::XSheetCellRanges> ranges =
            query->queryContentCells(css::sheet::CellFlags::FORMULA);
        if (!ranges.is())
            return;
        // Array formulas read "{=...}" in every cell they cover; each is
        // reported once, with its area.
        QList<css::table::CellRangeAddress> arrays;
        auto inArray = [&](sal_Int32 column, sal_Int32 row) {
            for (const auto& a : arrays)
                if (column >= a.StartColumn && column <= a.EndColumn && row >= a.StartRow &&
                    row <= a.EndRow)
                    return true;
            return false;
        };
        const Sequence<css::table::CellRangeAddress> blocks = ranges->getRangeAddresses();
        for (const css::table::CellRangeAddress& a : blocks) {
            Reference<css::sheet::XCellRangeFormula> block(
                sheet_->getCellRangeByPosition(a.StartColumn, a.StartRow, a.EndColumn, a.EndRow),
                UNO_QUERY_THROW);
            const Sequence<Sequence<OUString>> rows = block->getFormulaArray();
            for (sal_Int32 r = 0; r < rows.getLength(); ++r) {
                for (sal_Int32 c = 0; c < rows[r].getLength(); ++c) {
                    const OUString& f = rows[r][c];
                    const sal_Int32 row = a.StartRow + r;
                    const sal_Int32 column = a.StartColumn + c;
                    if (f.startsWith("{=") && f.endsWith("}")) {
                        if (inArray(column, row))
                            continue;
                        Reference<css::sheet::XSheetCellCursor> cursor =
                            sheet_->createCursorByRange(Reference<css::sheet::XSheetCellRange>(
                                sheet_->getCellRangeByPosition(column, row, column, row),
                                UNO_QUERY_THROW));
                        cursor->collapseToCurrentArray();
                        const auto area =
                            AddressOf(Reference<css::table::XCellRange>(cursor, UNO_QUERY_THROW));
                        arrays.append(area);
                        out.append({int(area.StartRow + 1), int(area.StartColumn + 1),
                                    ToQ(f.copy(1, f.getLength() - 2)),
                                    int(area.EndRow - area.StartRow + 1),
                                    int(area.EndColumn - area.StartColumn + 1)});
                    } else if (f.startsWith("=")) {
                        out.append({int(row + 1), int(column + 1), ToQ(f)});
                    }
                }
            }
        }
    });
    std::sort(out.begin(), out.end(), [](const FormulaCell& x, const FormulaCell& y) {
        return x.row != y.row ? x.row < y.row : x.column < y.column;
    });
    return out;
}

CellExtent LoWorksheet::ContentExtent() {
    book_->Sess().CheckOpen();
    CellExtent extent;
    Call(QStringLiteral("シート '%1' の使用範囲を取得できません。").arg(Name()), [&] {
        using namespace css::sheet::CellFlags;
        Reference<css::sheet::XSheetCellRanges> ranges =
            Reference<css::sheet::XCellRangesQuery>(sheet_, UNO_QUERY_THROW)
                ->queryContentCells(sal_Int16(VALUE | DATETIME | STRING | ANNOTATION | FORMULA));
        if (!ranges.is())
            return;
        for (const css::table::CellRangeAddress& a : ranges->getRangeAddresses()) {
            extent.rows = std::max(extent.rows, int(a.EndRow) + 1);
            extent.columns = std::max(extent.columns, int(a.EndColumn) + 1);
        }
    });
    return extent;
}

QList<DefinedName> LoWorksheet::LocalNames() {
    book_->Sess().CheckOpen();
    QList<DefinedName> out;
    Call(QStringLiteral("シート '%1' の名前を取得できません。").arg(Name()), [&] {
        Reference<css::container::XNameAccess> names(
            Reference<XPropertySet>(sheet_, UNO_QUERY_THROW)
                ->getPropertyValue(OUString("NamedRanges")),
            UNO_QUERY_THROW);
        for (const OUString& name : names->getElementNames()) {
            Reference<css::sheet::XNamedRange> range(names->getByName(name), UNO_QUERY_THROW);
            out.append({ToQ(name), ToQ(range->getContent())});
        }
    });
    return out;
}

void LoWorksheet::SetLocalName(const DefinedName& name) {
    book_->Sess().CheckOpen();
    Call(QStringLiteral("シート '%1' に名前 '%2' を設定できません。").arg(Name(), name.name), [&] {
        Reference<css::sheet::XNamedRanges> names(Reference<XPropertySet>(sheet_, UNO_QUERY_THROW)
                                                      ->getPropertyValue(OUString("NamedRanges")),
                                                  UNO_QUERY_THROW);
        const OUString key = ToOU(name.name);
        if (names->hasByName(key)) {
            Reference<css::sheet::XNamedRange>(names->getByName(key), UNO_QUERY_THROW)
                ->setContent(ToOU(name.content));
        } else {
            css::table::CellAddress base;
            base.Sheet = sal_Int16(Index());
            names->addNewByName(key, ToOU(name.content), base, 0);
        }
    });
}

QList<ChartData> LoWorksheet::Charts() {
    book_->Sess().CheckOpen();
    QList<ChartData> out;
    Call(QStringLiteral("シート '%1' のグラフを取得できません。").arg(Name()), [&] {
        Reference<css::container::XNameAccess> charts(
            Reference<css::table::XTableChartsSupplier>(sheet_, UNO_QUERY_THROW)->getCharts(),
            UNO_QUERY_THROW);
        const Sequence<OUString> names = charts->getElementNames();
        if (!names.hasElements())
            return;
        const Sequence<OUString> sheetNames = book_->Sheets()->getElementNames();
        for (const OUString& name : names) {
            Reference<css::table::XTableChart> chart(charts->getByName(name), UNO_QUERY_THROW);
            ChartData data{ToQ(name), {}};
            for (const css::table::CellRangeAddress& a : chart->getRanges())
                if (a.Sheet >= 0 && a.Sheet < sheetNames.getLength())
                    data.ranges.append(RangeText(ToQ(sheetNames[a.Sheet]), a));
            out.append(data);
        }
    });
    return out;
}

void LoWorksheet::SetChartRanges(const QString& chart, const QStringList& ranges) {
    book_->Sess().CheckOpen();
    const QString refused = QStringLiteral("グラフ '%1' の範囲を設定できません。").arg(chart);
    Call(refused, [&] {
        Reference<css::container::XNameAccess> charts(
            Reference<css::table::XTableChartsSupplier>(sheet_, UNO_QUERY_THROW)->getCharts(),
            UNO_QUERY_THROW);
        Reference<css::table::XTableChart> target(charts->getByName(ToOU(chart)), UNO_QUERY_THROW);
        Reference<css::container::XNameAccess> sheets(book_->Sheets(), UNO_QUERY_THROW);
        Sequence<css::table::CellRangeAddress> addresses(ranges.size());
        auto* out = addresses.getArray();
        for (const QString& text : ranges) {
            QString sheetName, cells;
            if (!SplitRangeText(text, &sheetName, &cells) || !sheets->hasByName(ToOU(sheetName)))
                throw SheetError(SheetErrorKind::Failed, refused, text);
            Reference<css::sheet::XSpreadsheet> on(sheets->getByName(ToOU(sheetName)),
                                                   UNO_QUERY_THROW);
            *out++ = AddressOf(on->getCellRangeByName(ToOU(cells)));
        }
        target->setRanges(addresses);
    });
}

namespace {

// A block of neighbouring cells: rows r1..r2, columns c1..c2 (0-based).
struct Block {
    int r1, c1, r2, c2;
    QList<QStringList> formulas; // row by row
};

// The cells grouped into blocks: runs of neighbouring cells in a row, and
// runs of the same columns in neighbouring rows joined into one block.
QList<Block> FormulaBlocks(QList<FormulaCell> cells) {
    // Stable: of two formulas for one cell, the later one stays.
    std::stable_sort(cells.begin(), cells.end(), [](const FormulaCell& x, const FormulaCell& y) {
        return x.row != y.row ? x.row < y.row : x.column < y.column;
    });
    QList<Block> runs;
    for (const FormulaCell& cell : cells) {
        const int r = cell.row - 1;
        const int c = cell.column - 1;
        if (!runs.isEmpty() && runs.last().r1 == r && runs.last().c2 == c - 1) {
            runs.last().c2 = c;
            runs.last().formulas.first().append(cell.formula);
        } else if (!runs.isEmpty() && runs.last().r1 == r && runs.last().c2 == c) {
            runs.last().formulas.first().last() = cell.formula; // the same cell again
        } else {
            runs.append({r, c, r, c, {QStringList{cell.formula}}});
        }
    }
    // A block waits to be continued under the key of its columns and its
    // last row.
    auto key = [](int c1, int c2, int lastRow) {
        return (quint64(c1) << 42) | (quint64(c2) << 21) | quint64(lastRow);
    };
    QList<Block> blocks;
    QHash<quint64, qsizetype> open;
    for (Block& run : runs) {
        const auto above = open.constFind(key(run.c1, run.c2, run.r1 - 1));
        if (run.r1 > 0 && above != open.constEnd()) {
            const qsizetype at = above.value();
            open.erase(above);
            blocks[at].r2 = run.r1;
            blocks[at].formulas.append(run.formulas.first());
            open.insert(key(run.c1, run.c2, run.r1), at);
        } else {
            open.insert(key(run.c1, run.c2, run.r1), blocks.size());
            blocks.append(std::move(run));
        }
    }
    return blocks;
}

} // namespace

void LoWorksheet::SetFormulas(const QList<FormulaCell>& cells) {
    book_->Sess().CheckOpen();
    for (const FormulaCell& cell : cells)
        if (cell.row < 1 || cell.column < 1)
            throw SheetError(
                SheetErrorKind::Failed,
                QStringLiteral("セル (%1, %2) は指定できません。").arg(cell.row).arg(cell.column));
    // Array formulas over their areas, the others in blocks.
    QList<FormulaCell> plain;
    for (const FormulaCell& cell : cells) {
        if (cell.arrayRows < 1 || cell.arrayColumns < 1) {
            plain.append(cell);
            continue;
        }
        Call(QStringLiteral("配列数式を設定できません。"), [&] {
            Reference<css::sheet::XArrayFormulaRange> area(
                sheet_->getCellRangeByPosition(cell.column - 1, cell.row - 1,
                                               cell.column + cell.arrayColumns - 2,
                                               cell.row + cell.arrayRows - 2),
                UNO_QUERY_THROW);
            area->setArrayFormula(ToOU(cell.formula));
        });
    }
    for (const Block& b : FormulaBlocks(plain)) {
        Call(QStringLiteral("数式を設定できません。"), [&] {
            Sequence<Sequence<OUString>> rows(b.r2 - b.r1 + 1);
            auto* row = rows.getArray();
            for (const QStringList& line : b.formulas) {
                row->realloc(line.size());
                auto* text = row->getArray();
                for (const QString& f : line)
                    *text++ = ToOU(f);
                ++row;
            }
            Reference<css::sheet::XCellRangeFormula> range(
                sheet_->getCellRangeByPosition(b.c1, b.r1, b.c2, b.r2), UNO_QUERY_THROW);
            range->setFormulaArray(rows);
        });
    }
}

void LoWorksheet::Links::Add(::sheet::Range& anchor, const QString& address,
                             const QString& subAddress, const QString& textToDisplay) {
    auto* cell = dynamic_cast<LoRange*>(&anchor);
    if (!cell)
        throw SheetError(SheetErrorKind::Failed, QStringLiteral("リンクの位置が不正です。"));
    owner_.book_->Sess().CheckOpen();
    const QString url = LinkUrl(address, subAddress);
    QString text = WithoutTextPrefix(textToDisplay);
    if (text.isEmpty())
        text = subAddress.isEmpty() ? address : subAddress;
    // A URL field in the cell's text: the workbook export writes it as a real
    // link to the sheet. Every call here goes to the office, so the list of
    // a large workbook is written in as few calls a row as the office allows.
    Call(QStringLiteral("リンクを設定できません。"), [&] {
        Reference<css::text::XText> cellText(cell->Cells()->getCellByPosition(0, 0),
                                             UNO_QUERY_THROW);
        cellText->setString(OUString());
        Reference<XPropertySet> field(
            owner_.book_->Factory()->createInstance(OUString("com.sun.star.text.TextField.URL")),
            UNO_QUERY_THROW);
        field->setPropertyValue(OUString("URL"), Any(ToOU(url)));
        field->setPropertyValue(OUString("Representation"), Any(ToOU(text)));
        Reference<css::text::XTextContent> content(field, UNO_QUERY_THROW);
        // A cursor is a text range: no query needed for the upcast.
        const Reference<css::text::XTextCursor> cursor = cellText->createTextCursor();
        cellText->insertTextContent(Reference<css::text::XTextRange>(cursor.get()), content, false);
    });
}

// ---------------------------------------------------------------- range

LoRange::LoRange(std::shared_ptr<LoWorksheet> sheet, Reference<css::table::XCellRange> range,
                 bool wholeSheet)
    : sheet_(std::move(sheet)), range_(std::move(range)), wholeSheet_(wholeSheet) {}

QString LoRange::Address() const {
    QString out;
    Call(QStringLiteral("範囲の位置を取得できません。"), [&] {
        const auto a = AddressOf(range_);
        out = A1Address(a.StartRow + 1, a.StartColumn + 1, a.EndRow + 1, a.EndColumn + 1);
    });
    return out;
}

CellValue LoRange::Value() const {
    sheet_->Book()->Sess().CheckOpen();
    CellValue value;
    Call(QStringLiteral("セルの値を取得できません。"), [&] {
        Reference<css::table::XCell> cell = range_->getCellByPosition(0, 0);
        switch (cell->getType()) {
        case css::table::CellContentType_EMPTY:
            break;
        case css::table::CellContentType_VALUE:
            value = cell->getValue();
            break;
        case css::table::CellContentType_FORMULA: {
            Reference<XPropertySet> props(cell, UNO_QUERY_THROW);
            sal_Int32 type = 0;
            props->getPropertyValue(OUString("FormulaResultType2")) >>= type;
            if (type == css::sheet::FormulaResult::VALUE) {
                value = cell->getValue();
                break;
            }
            [[fallthrough]];
        }
        default: {
            Reference<css::text::XText> text(cell, UNO_QUERY_THROW);
            value = ToQ(text->getString());
        }
        }
    });
    return value;
}

void LoRange::SetValue(const CellValue& value) {
    sheet_->Book()->Sess().CheckOpen();
    Call(QStringLiteral("セルに値を書き込めません。"), [&] {
        const auto a = AddressOf(range_);
        for (sal_Int32 r = 0; r <= a.EndRow - a.StartRow; ++r) {
            for (sal_Int32 c = 0; c <= a.EndColumn - a.StartColumn; ++c) {
                Reference<css::table::XCell> cell = range_->getCellByPosition(c, r);
                if (const double* d = std::get_if<double>(&value)) {
                    cell->setValue(*d);
                } else if (const QString* s = std::get_if<QString>(&value)) {
                    // Text stays text: never parsed as a number or a date.
                    Reference<css::text::XText> text(cell, UNO_QUERY_THROW);
                    text->setString(ToOU(WithoutTextPrefix(*s)));
                } else {
                    cell->setFormula(OUString());
                }
            }
        }
    });
}

void LoRange::SetFormula(const QString& formula) {
    sheet_->Book()->Sess().CheckOpen();
    Call(QStringLiteral("数式 '%1' を設定できません。").arg(formula), [&] {
        const auto a = AddressOf(range_);
        const OUString text = ToOU(formula);
        for (sal_Int32 r = 0; r <= a.EndRow - a.StartRow; ++r)
            for (sal_Int32 c = 0; c <= a.EndColumn - a.StartColumn; ++c)
                range_->getCellByPosition(c, r)->setFormula(text);
    });
}

void LoRange::SetValues(const QList<QList<CellValue>>& rows) {
    sheet_->Book()->Sess().CheckOpen();
    const QString refused = QStringLiteral("セルに値を書き込めません。");
    css::table::CellRangeAddress a;
    Call(refused, [&] { a = AddressOf(range_); });
    const int height = a.EndRow - a.StartRow + 1;
    const int width = a.EndColumn - a.StartColumn + 1;
    bool shaped = rows.size() == height;
    for (const QList<CellValue>& row : rows)
        shaped = shaped && row.size() == width;
    if (!shaped)
        throw SheetError(SheetErrorKind::Failed, refused,
                         QStringLiteral("array does not fit the range"));
    Sequence<Sequence<Any>> data(height);
    auto* out = data.getArray();
    for (const QList<CellValue>& row : rows) {
        out->realloc(width);
        auto* cell = out->getArray();
        for (const CellValue& v : row) {
            // Texts go in as typed text, never parsed; an empty text leaves
            // the cell empty.
            if (const double* d = std::get_if<double>(&v))
                *cell = Any(*d);
            else if (const QString* t = std::get_if<QString>(&v))
                *cell = Any(ToOU(WithoutTextPrefix(*t)));
            else
                *cell = Any(OUString());
            ++cell;
        }
        ++out;
    }
    Call(refused, [&] {
        Reference<css::sheet::XCellRangeData>(range_, UNO_QUERY_THROW)->setDataArray(data);
    });
}

QString LoRange::NumberFormatLocal() const {
    QString out;
    Call(QStringLiteral("表示形式を取得できません。"), [&] {
        Reference<XPropertySet> props(range_, UNO_QUERY_THROW);
        sal_Int32 key = 0;
        props->getPropertyValue(OUString("NumberFormat")) >>= key;
        Reference<css::util::XNumberFormatsSupplier> supplier(sheet_->Book()->Doc(),
                                                              UNO_QUERY_THROW);
        Reference<XPropertySet> format = supplier->getNumberFormats()->getByKey(key);
        OUString text;
        format->getPropertyValue(OUString("FormatString")) >>= text;
        out = ToQ(text);
    });
    return out;
}

void LoRange::SetNumberFormatLocal(const QString& format) {
    sheet_->Book()->Sess().CheckOpen();
    const sal_Int32 key = sheet_->Book()->FormatKey(format);
    Call(QStringLiteral("表示形式 '%1' を設定できません。").arg(format), [&] {
        Reference<XPropertySet> props(range_, UNO_QUERY_THROW);
        props->setPropertyValue(OUString("NumberFormat"), Any(key));
    });
}

void LoRange::Select() {
    Session& s = sheet_->Book()->Sess();
    s.CheckOpen();
    sheet_->Book()->MakeActiveSheet(sheet_->Sheet());
    s.selection = std::make_shared<LoRange>(sheet_, range_, wholeSheet_);
}

void LoRange::SetFontSize(double points) {
    sheet_->Book()->Sess().CheckOpen();
    Call(QStringLiteral("文字の大きさを設定できません。"), [&] {
        // All three scripts in one call: the office fits the row heights once.
        Reference<css::beans::XMultiPropertySet> props(range_, UNO_QUERY_THROW);
        const Any size(static_cast<float>(points));
        props->setPropertyValues(
            SeqOf<OUString>({OUString("CharHeight"), OUString("CharHeightAsian"),
                             OUString("CharHeightComplex")}),
            SeqOf<Any>({size, size, size}));
    });
}

void LoRange::SetBorder(int index, const BorderFormat& format) {
    sheet_->Book()->Sess().CheckOpen();
    Call(QStringLiteral("罫線を設定できません。"), [&] {
        Reference<XPropertySet> props(range_, UNO_QUERY_THROW);
        const css::table::BorderLine2 line = Line(format);
        if (index == xlDiagonalDown) {
            props->setPropertyValue(OUString("DiagonalTLBR2"), Any(line));
            return;
        }
        if (index == xlDiagonalUp) {
            props->setPropertyValue(OUString("DiagonalBLTR2"), Any(line));
            return;
        }
        // Edges of the whole range, not of each cell.
        css::table::TableBorder2 border;
        props->getPropertyValue(OUString("TableBorder2")) >>= border;
        border.IsTopLineValid = border.IsBottomLineValid = false;
        border.IsLeftLineValid = border.IsRightLineValid = false;
        border.IsHorizontalLineValid = border.IsVerticalLineValid = false;
        border.IsDistanceValid = false;
        switch (index) {
        case xlEdgeLeft:
            border.LeftLine = line;
            border.IsLeftLineValid = true;
            break;
        case xlEdgeTop:
            border.TopLine = line;
            border.IsTopLineValid = true;
            break;
        case xlEdgeBottom:
            border.BottomLine = line;
            border.IsBottomLineValid = true;
            break;
        case xlEdgeRight:
            border.RightLine = line;
            border.IsRightLineValid = true;
            break;
        default:
            throw SheetError(SheetErrorKind::Failed,
                             QStringLiteral("罫線の位置 %1 は指定できません。").arg(index));
        }
        props->setPropertyValue(OUString("TableBorder2"), Any(border));
    });
}

void LoRange::SetInterior(const InteriorFormat& format) {
    sheet_->Book()->Sess().CheckOpen();
    Call(QStringLiteral("背景色を設定できません。"), [&] {
        Reference<XPropertySet> props(range_, UNO_QUERY_THROW);
        const std::int32_t rgb =
            format.pattern == xlLineStyleNone ? -1 : PaletteColor(format.colorIndex);
        if (rgb < 0) {
            props->setPropertyValue(OUString("IsCellBackgroundTransparent"), Any(true));
        } else {
            props->setPropertyValue(OUString("CellBackColor"), Any(sal_Int32(rgb)));
        }
    });
}

void LoRange::AutoFitColumns() {
    sheet_->Book()->Sess().CheckOpen();
    Call(QStringLiteral("列幅を調整できません。"), [&] {
        Reference<css::table::XCellRange> columnsOf = range_;
        if (wholeSheet_) {
            // Only the columns in use: fitting all of the sheet's columns is
            // slow and changes nothing on the empty ones.
            Reference<css::sheet::XSheetCellCursor> cursor = sheet_->Sheet()->createCursor();
            Reference<css::sheet::XUsedAreaCursor> used(cursor, UNO_QUERY_THROW);
            used->gotoStartOfUsedArea(false);
            used->gotoEndOfUsedArea(true);
            const auto a = AddressOf(Reference<css::table::XCellRange>(cursor, UNO_QUERY_THROW));
            columnsOf = sheet_->Sheet()->getCellRangeByPosition(0, 0, a.EndColumn, 0);
        }
        Reference<css::table::XColumnRowRange> cr(columnsOf, UNO_QUERY_THROW);
        Reference<XPropertySet> columns(cr->getColumns(), UNO_QUERY_THROW);
        columns->setPropertyValue(OUString("OptimalWidth"), Any(true));
    });
}

// ---------------------------------------------------------------- application

LoApplication::LoApplication(std::unique_ptr<OfficeInstance> office)
    : session_(std::make_shared<Session>()), books_(session_) {
    session_->office = std::move(office);
}

LoApplication::~LoApplication() {
    Quit();
}

pid_t LoApplication::OfficePid() const {
    return session_->office ? session_->office->Pid() : -1;
}

std::shared_ptr<Worksheet> LoApplication::ActiveSheet() {
    return session_->activeSheet;
}

std::shared_ptr<::sheet::Range> LoApplication::Selection() {
    return session_->selection;
}

void LoApplication::Quit() {
    if (session_->quit)
        return;
    session_->selection.reset();
    session_->activeSheet.reset();
    if (session_->office && session_->office->IsAlive()) {
        for (auto books = session_->books; auto& book : books)
            book->Close();
    }
    session_->books.clear();
    session_->quit = true;
    if (session_->office)
        session_->office->Terminate();
    session_->office.reset();
}

namespace {

// Workbooks are held as bare document models, without a frame or a view.
// A hidden view still runs its form layer's events, and driving it from a
// remote call made the office abort now and then (switching sheets, closing
// documents); without a view there is nothing to race with, and saving,
// copying and formatting need none.
Reference<css::frame::XLoadable>
NewSpreadsheetModel(const Reference<css::uno::XComponentContext>& context) {
    Reference<css::frame::XLoadable> model(
        context->getServiceManager()->createInstanceWithContext(
            OUString("com.sun.star.sheet.SpreadsheetDocument"), context),
        UNO_QUERY_THROW);
    return model;
}

void CloseQuietly(const Reference<css::uno::XInterface>& doc) {
    try {
        Reference<css::util::XCloseable> closeable(doc, UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
    } catch (const css::uno::Exception&) {
    }
}

// The import filter the office's type detection picks for a file, looking at
// its content; empty when it recognises nothing.
QString DetectFilter(const Reference<css::uno::XComponentContext>& context, const OUString& url) {
    Reference<css::document::XTypeDetection> detection(
        context->getServiceManager()->createInstanceWithContext(
            OUString("com.sun.star.document.TypeDetection"), context),
        UNO_QUERY_THROW);
    Sequence<PropertyValue> descriptor = SeqOf<PropertyValue>({Prop("URL", Any(url))});
    const OUString type = detection->queryTypeByDescriptor(descriptor, true);
    OUString filter;
    for (const PropertyValue& p : descriptor)
        if (p.Name == "FilterName")
            p.Value >>= filter;
    if (filter.isEmpty() && !type.isEmpty()) {
        Reference<css::container::XNameAccess> types(detection, UNO_QUERY);
        Sequence<PropertyValue> typeProps;
        if (types.is() && types->hasByName(type) && (types->getByName(type) >>= typeProps))
            for (const PropertyValue& p : typeProps)
                if (p.Name == "PreferredFilter")
                    p.Value >>= filter;
    }
    return ToQ(filter);
}

} // namespace

namespace {

// Whether a load failed for want of the right password: the office answers
// "wrong password" when a password it was given (or none) does not open an
// encrypted document, and "aborted" when a filter asked for a password
// nobody could give (the load has no interaction). Flags above the code
// itself are ignored.
bool IsPasswordRefusal(sal_Int32 errorCode) {
    constexpr quint32 kCodeMask = 0x03FFFFFF;
    constexpr quint32 kWrongPassword = 0x4B0B; // document area, read class, code 11
    constexpr quint32 kAborted = 0x011B;       // input/output area, abort class
    const quint32 code = quint32(errorCode) & kCodeMask;
    return code == kWrongPassword || code == kAborted;
}

// A workbook of today's format saved with a password is an encrypted package
// in a compound file (the stream "EncryptedPackage"); the office refuses it
// with a general input/output error when the password is missing or wrong.
bool IsEncryptedPackage(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) ||
        file.read(8) != QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
        return false;
    const QString stream = QStringLiteral("EncryptedPackage");
    const QByteArray name(reinterpret_cast<const char*>(stream.utf16()), stream.size() * 2);
    return file.readAll().contains(name);
}

} // namespace

std::shared_ptr<Workbook> LoApplication::Books::Register(Reference<css::lang::XComponent> doc,
                                                         QString name, QString fullName) {
    auto book = std::make_shared<LoWorkbook>(session_, doc, std::move(name), std::move(fullName));
    session_->books.push_back(book);
    // The sheet the workbook opens on is its active sheet.
    Reference<css::sheet::XSpreadsheet> active;
    try {
        Reference<css::frame::XModel> model(doc, UNO_QUERY_THROW);
        Reference<css::sheet::XSpreadsheetView> view(model->getCurrentController(), UNO_QUERY);
        if (view.is())
            active = view->getActiveSheet();
        if (!active.is()) {
            Reference<css::container::XIndexAccess> sheets(book->Doc()->getSheets(),
                                                           UNO_QUERY_THROW);
            active.set(sheets->getByIndex(0), UNO_QUERY);
        }
    } catch (const css::uno::Exception&) {
    }
    session_->activeSheet = active.is() ? book->Wrap(active) : nullptr;
    return book;
}

std::shared_ptr<Workbook> LoApplication::Books::Open(const QString& fileName,
                                                     const OpenOptions& options) {
    session_->CheckOpen();
    QString path = QFileInfo(fileName).absoluteFilePath();
    if (!QFileInfo(path).isFile() && QFileInfo(path).suffix().isEmpty() &&
        QFileInfo(path + QStringLiteral(".xls")).isFile())
        path += QStringLiteral(".xls");
    const QFileInfo info(path);
    const QString cannotOpen = QStringLiteral("'%1' を開けません。").arg(path);
    if (!info.isFile())
        throw SheetError(SheetErrorKind::FileMissing,
                         QStringLiteral("'%1' が見つかりません。").arg(path));
    if (!info.isReadable())
        throw SheetError(
            SheetErrorKind::Unreadable,
            QStringLiteral("'%1' を読み取れません（読み取りの権限がありません）。").arg(path),
            QStringLiteral("not readable"));
    for (const auto& open : session_->books)
        if (open->Name().compare(info.fileName(), Qt::CaseInsensitive) == 0)
            throw SheetError(
                SheetErrorKind::Refused,
                QStringLiteral("同じ名前のブック '%1' は同時に開けません。").arg(info.fileName()));

    Reference<css::lang::XComponent> doc;
    QString filter;
    bool refused = false;
    sal_Int32 loadError = 0;
    QString loadDetail;
    Call(cannotOpen, [&] {
        // The type is detected first: a text or damaged file named .xls
        // would otherwise be read as CSV text without complaint.
        const OUString url = ToOU(FileUrl(path));
        filter = DetectFilter(session_->office->Context(), url);
        if (!IsWorkbookFilter(filter))
            return;
        std::vector<PropertyValue> props = {
            Prop("URL", Any(url)),
            Prop("FilterName", Any(ToOU(filter))),
            // The office refuses to open a file for writing that this user
            // cannot write; such a file is opened read-only, as the office's
            // own window does. Saving it under its own name then fails.
            Prop("ReadOnly", Any(options.readOnly || !info.isWritable())),
            Prop("MacroExecutionMode", Any(css::document::MacroExecMode::NEVER_EXECUTE)),
            Prop("UpdateDocMode", Any(css::document::UpdateDocMode::NO_UPDATE)),
        };
        if (!options.password.isEmpty())
            props.push_back(Prop("Password", Any(ToOU(options.password))));
        Reference<css::frame::XLoadable> model = NewSpreadsheetModel(session_->office->Context());
        try {
            model->load(Sequence<PropertyValue>(props.data(), sal_Int32(props.size())));
        } catch (const css::uno::RuntimeException&) {
            throw;
        } catch (const css::task::ErrorCodeIOException& e) {
            refused = true;
            loadError = e.ErrCode;
            loadDetail = ToQ(e.Message);
            CloseQuietly(model);
            return;
        } catch (const css::uno::Exception& e) {
            refused = true;
            loadDetail = ToQ(e.Message);
            CloseQuietly(model);
            return;
        }
        doc.set(model, UNO_QUERY_THROW);
    });
    if (!refused && !IsWorkbookFilter(filter))
        throw SheetError(SheetErrorKind::NotWorkbook,
                         QStringLiteral("'%1' はブックではないか、壊れています。").arg(path),
                         QStringLiteral("filter: ") + filter);
    if (!doc.is())
        throw SheetError(
            IsPasswordRefusal(loadError) || IsEncryptedPackage(path)
                ? SheetErrorKind::PasswordRequired
                : SheetErrorKind::NotWorkbook,
            QStringLiteral("'%1' を開けません。パスワードで保護されているか、"
                           "ブックではありません。")
                .arg(path),
            QStringLiteral("load error 0x%1: %2").arg(quint32(loadError), 0, 16).arg(loadDetail));
    Reference<css::sheet::XSpreadsheetDocument> spreadsheet(doc, UNO_QUERY);
    if (!spreadsheet.is() || !IsWorkbookFilter(filter)) {
        try {
            Reference<css::util::XCloseable>(doc, UNO_QUERY_THROW)->close(true);
        } catch (const css::uno::Exception&) {
        }
        throw SheetError(SheetErrorKind::NotWorkbook,
                         QStringLiteral("'%1' はブックではないか、壊れています。").arg(path),
                         QStringLiteral("filter: ") + filter);
    }
    auto book = Register(doc, info.fileName(), path);
    std::static_pointer_cast<LoWorkbook>(book)->SetFileFormat(FormatOfFilter(filter));
    return book;
}

std::shared_ptr<Workbook> LoApplication::Books::Add() {
    session_->CheckOpen();
    Reference<css::lang::XComponent> doc;
    Call(QStringLiteral("新しいブックを作成できません。"), [&] {
        Reference<css::frame::XLoadable> model = NewSpreadsheetModel(session_->office->Context());
        model->initNew();
        doc.set(model, UNO_QUERY_THROW);
        // The default sheet carries the name the callers expect, whatever
        // the office's language.
        Reference<css::sheet::XSpreadsheetDocument> sd(doc, UNO_QUERY_THROW);
        Reference<css::container::XIndexAccess> sheets(sd->getSheets(), UNO_QUERY_THROW);
        Reference<css::container::XNamed> first(sheets->getByIndex(0), UNO_QUERY_THROW);
        if (first->getName() != "Sheet1")
            first->setName(OUString("Sheet1"));
    });
    QString name;
    for (;;) {
        name = QStringLiteral("Book%1").arg(++session_->addedBooks);
        bool used = false;
        for (const auto& open : session_->books)
            used = used || open->Name().compare(name, Qt::CaseInsensitive) == 0;
        if (!used)
            break;
    }
    return Register(doc, name, QString());
}

} // namespace sheet::lo
