// Ranges: values, formulas and formats, in whole-range calls.

#include "spreadsheet/cell_address.h"
#include "spreadsheet/lo/calls.h"
#include "spreadsheet/lo/objects.h"
#include "spreadsheet/palette.h"

#include <com/sun/star/beans/XMultiPropertySet.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/sheet/FormulaResult.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/table/BorderLine2.hpp>
#include <com/sun/star/table/BorderLineStyle.hpp>
#include <com/sun/star/table/TableBorder2.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>

namespace sheet::lo {

namespace {

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

} // namespace

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

} // namespace sheet::lo
