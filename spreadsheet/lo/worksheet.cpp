// The worksheet: names, deleting, copying into another workbook (with its
// links, print titles and page setup), formulas, local names and charts.

#include "spreadsheet/cell_address.h"
#include "spreadsheet/lo/calls.h"
#include "spreadsheet/lo/formula_blocks.h"
#include "spreadsheet/lo/objects.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XArrayFormulaRange.hpp>
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
#include <com/sun/star/sheet/XSpreadsheets2.hpp>
#include <com/sun/star/table/XTableChart.hpp>
#include <com/sun/star/table/XTableChartsSupplier.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextContent.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextRange.hpp>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace sheet::lo {

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
    // The office itself takes longer names, but the classic workbook format
    // holds 31 characters: a longer name would be cut short on saving.
    if (name.isEmpty() || name.size() > kMaxSheetNameLength)
        throw SheetError(SheetErrorKind::Refused, refused, QStringLiteral("name length"));
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
            destBook->CarryChartData(*this, copied);
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
        css::table::CellAddress base;
        base.Sheet = sal_Int16(Index());
        PutNamedRange(Reference<XPropertySet>(sheet_, UNO_QUERY_THROW), name, base);
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
            const Any object = charts->getByName(name);
            Reference<css::table::XTableChart> chart(object, UNO_QUERY_THROW);
            ChartData data{ToQ(name), {}};
            for (const css::table::CellRangeAddress& a : chart->getRanges())
                if (a.Sheet >= 0 && a.Sheet < sheetNames.getLength())
                    data.ranges.append(RangeText(ToQ(sheetNames[a.Sheet]), a));
            // Only a chart without ranges can hold its numbers itself.
            data.ownData = data.ranges.isEmpty() && HoldsOwnData(object);
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
    for (const FormulaBlock& b : FormulaBlocks(plain)) {
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

} // namespace sheet::lo
