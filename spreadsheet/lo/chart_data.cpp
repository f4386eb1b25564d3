// Charts that hold the numbers they plot themselves.
//
// A chart whose cells go away (a sheet removed from the workbook, or not
// copied along with the chart's sheet) would plot other cells or nothing:
// the office re-points its ranges at the chart's own sheet when their sheet
// is removed, and a copied chart loses ranges into sheets that did not come
// along. Such a chart is given its own copy of the numbers first. Today's
// formats save that data with the chart. The classic format's charts read
// numbers from cells only (its export drops data held by a chart), so before
// such a save the numbers go onto a hidden sheet named after the sheet they
// came from, and the chart plots that sheet.

#include "spreadsheet/cell_address.h"
#include "spreadsheet/lo/objects.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/chart2/XChartDocument.hpp>
#include <com/sun/star/chart2/data/XDataProvider.hpp>
#include <com/sun/star/chart2/data/XDataReceiver.hpp>
#include <com/sun/star/chart2/data/XDataSource.hpp>
#include <com/sun/star/chart2/data/XLabeledDataSequence.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/document/XEmbeddedObjectSupplier.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/table/XTableChartsSupplier.hpp>

namespace sheet::lo {

using css::beans::XPropertySet;
using css::uno::Any;
using css::uno::Sequence;
namespace chart2 = css::chart2;

namespace {

Reference<css::container::XNameAccess> ChartsOn(const Reference<css::sheet::XSpreadsheet>& sheet) {
    return Reference<css::container::XNameAccess>(
        Reference<css::table::XTableChartsSupplier>(sheet, UNO_QUERY_THROW)->getCharts(),
        UNO_QUERY_THROW);
}

Reference<chart2::XChartDocument> ChartModel(const Any& tableChart) {
    Reference<css::document::XEmbeddedObjectSupplier> embedded(tableChart, UNO_QUERY_THROW);
    return Reference<chart2::XChartDocument>(embedded->getEmbeddedObject(), UNO_QUERY);
}

// The chart models of the charts on a sheet, in the order of their names.
QList<Reference<chart2::XChartDocument>>
ChartModelsOn(const Reference<css::sheet::XSpreadsheet>& sheet) {
    QList<Reference<chart2::XChartDocument>> out;
    const Reference<css::container::XNameAccess> charts = ChartsOn(sheet);
    for (const OUString& name : charts->getElementNames())
        out.append(ChartModel(charts->getByName(name)));
    return out;
}

// The sheets a chart plots, in the order of its data.
QStringList PlottedSheets(const Reference<chart2::XChartDocument>& chart) {
    QStringList sheets;
    Reference<chart2::data::XDataSource> source(chart, UNO_QUERY_THROW);
    for (const auto& labeled : source->getDataSequences()) {
        if (!labeled.is())
            continue;
        for (const auto& part : {labeled->getValues(), labeled->getLabel()})
            if (part.is()) {
                QString sheet, cells;
                if (SplitRangeText(ToQ(part->getSourceRangeRepresentation()), &sheet, &cells) &&
                    !sheets.contains(sheet))
                    sheets << sheet;
            }
    }
    return sheets;
}

// A new sequence of the document's own data provider for `range`, in the
// role the replaced one had.
Reference<chart2::data::XDataSequence>
SequenceFor(const Reference<chart2::data::XDataProvider>& provider,
            const Reference<chart2::data::XDataSequence>& replaced, const QString& range) {
    Reference<chart2::data::XDataSequence> sequence =
        provider->createDataSequenceByRangeRepresentation(ToOU(range));
    Any role =
        Reference<XPropertySet>(replaced, UNO_QUERY_THROW)->getPropertyValue(OUString("Role"));
    Reference<XPropertySet>(sequence, UNO_QUERY_THROW)->setPropertyValue(OUString("Role"), role);
    return sequence;
}

} // namespace

void LoWorksheet::KeepChartData(const QString& chart) {
    book_->Sess().CheckOpen();
    Call(QStringLiteral("グラフ '%1' のデータを残せません。").arg(chart), [&] {
        const Reference<chart2::XChartDocument> model =
            ChartModel(ChartsOn(sheet_)->getByName(ToOU(chart)));
        if (!model.is())
            throw css::uno::RuntimeException(OUString("not a chart"));
        if (model->hasInternalDataProvider())
            return;
        const QStringList from = PlottedSheets(model);
        model->createInternalDataProvider(true);
        book_->AddChartWithOwnData(model, from.isEmpty() ? QStringList{Name()} : from);
    });
}

bool LoWorksheet::HoldsOwnData(const Any& tableChart) {
    const Reference<chart2::XChartDocument> model = ChartModel(tableChart);
    return model.is() && model->hasInternalDataProvider();
}

void LoWorkbook::AddChartWithOwnData(const Reference<chart2::XChartDocument>& chart,
                                     const QStringList& fromSheets) {
    ownDataCharts_.append({chart, fromSheets});
}

void LoWorkbook::CarryChartData(LoWorksheet& from,
                                const Reference<css::sheet::XSpreadsheet>& copy) {
    LoWorkbook& source = *from.Book();
    if (source.ownDataCharts_.isEmpty())
        return;
    // The copy's charts come in the order of the source's.
    const QList<Reference<chart2::XChartDocument>> originals = ChartModelsOn(from.Sheet());
    const QList<Reference<chart2::XChartDocument>> copies = ChartModelsOn(copy);
    for (qsizetype i = 0; i < originals.size() && i < copies.size(); ++i) {
        for (const OwnDataChart& kept : std::as_const(source.ownDataCharts_)) {
            if (kept.chart != originals[i])
                continue;
            if (copies[i].is() && copies[i]->hasInternalDataProvider())
                ownDataCharts_.append({copies[i], kept.fromSheets});
            break;
        }
    }
}

QString LoWorkbook::FreeSheetName(const QString& wanted) const {
    const Sequence<OUString> names = Sheets()->getElementNames();
    auto used = [&](const QString& candidate) {
        for (const OUString& name : names)
            if (ToQ(name).compare(candidate, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    };
    const QString base = wanted.left(kMaxSheetNameLength);
    if (!used(base))
        return base;
    for (int n = 2;; ++n) {
        const QString suffix = QStringLiteral("_%1").arg(n);
        const QString candidate = wanted.left(kMaxSheetNameLength - suffix.size()) + suffix;
        if (!used(candidate))
            return candidate;
    }
}

void LoWorkbook::PutChartDataOnSheets() {
    const QList<OwnDataChart> charts = std::move(ownDataCharts_);
    ownDataCharts_.clear();
    for (const OwnDataChart& kept : charts) {
        Call(QStringLiteral("グラフのデータを保存できません。"), [&] {
            const Reference<chart2::XChartDocument>& chart = kept.chart;
            // A chart given ranges again since, or removed, needs nothing.
            try {
                if (!chart.is() || !chart->hasInternalDataProvider())
                    return;
            } catch (const css::lang::DisposedException&) {
                return;
            }
            Reference<chart2::data::XDataSource> source(chart, UNO_QUERY_THROW);
            const Sequence<Reference<chart2::data::XLabeledDataSequence>> sequences =
                source->getDataSequences();
            // One column per sequence (categories, then each series), its
            // label in the first row.
            // Named after the sheet the numbers came from: the one gone from
            // this workbook, where the chart plotted several.
            QString from = kept.fromSheets.constFirst();
            for (const QString& sheet : kept.fromSheets)
                if (!Sheets()->hasByName(ToOU(sheet))) {
                    from = sheet;
                    break;
                }
            const QString name = FreeSheetName(from);
            const Reference<css::sheet::XSpreadsheets>& sheets = Sheets();
            sheets->insertNewByName(ToOU(name), sal_Int16(sheets->getElementNames().getLength()));
            ++session_->generation;
            Reference<css::sheet::XSpreadsheet> data(sheets->getByName(ToOU(name)),
                                                     UNO_QUERY_THROW);
            Reference<XPropertySet>(data, UNO_QUERY_THROW)
                ->setPropertyValue(OUString("IsVisible"), Any(false));
            QString quoted = name;
            quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
            const QString prefix = QStringLiteral("$'") + quoted + QStringLiteral("'.$");
            QList<std::pair<QString, QString>> ranges; // values, label
            for (sal_Int32 column = 0; column < sequences.getLength(); ++column) {
                const auto& labeled = sequences[column];
                const QString letters = ColumnLetters(column + 1);
                QString label;
                if (labeled.is() && labeled->getLabel().is()) {
                    // As text, as it stands: a label "=x" or "2024" is no
                    // formula and no number.
                    const Sequence<Any> text = labeled->getLabel()->getData();
                    if (text.hasElements() && text[0].has<OUString>()) {
                        const Sequence<Any> cell(&text[0], 1);
                        Reference<css::sheet::XCellRangeData>(
                            data->getCellRangeByPosition(column, 0, column, 0), UNO_QUERY_THROW)
                            ->setDataArray(Sequence<Sequence<Any>>(&cell, 1));
                    }
                    label = prefix + letters + QStringLiteral("$1");
                }
                const Sequence<Any> values = labeled.is() && labeled->getValues().is()
                                                 ? labeled->getValues()->getData()
                                                 : Sequence<Any>();
                Sequence<Sequence<Any>> cells(qMax<sal_Int32>(1, values.getLength()));
                auto* rows = cells.getArray();
                for (sal_Int32 r = 0; r < values.getLength(); ++r) {
                    // Numbers as numbers, texts as texts; nothing else.
                    Any value = values[r];
                    if (!value.has<double>() && !value.has<OUString>())
                        value <<= OUString();
                    rows[r] = Sequence<Any>(&value, 1);
                }
                if (values.hasElements())
                    Reference<css::sheet::XCellRangeData>(
                        data->getCellRangeByPosition(column, 1, column, values.getLength()),
                        UNO_QUERY_THROW)
                        ->setDataArray(cells);
                ranges.append({prefix + letters + QStringLiteral("$2:$") + letters +
                                   QString::number(qMax<sal_Int32>(1, values.getLength()) + 1),
                               label});
            }
            // The chart reads from the document's cells again.
            Reference<chart2::data::XDataReceiver>(chart, UNO_QUERY_THROW)
                ->attachDataProvider(Reference<chart2::data::XDataProvider>(
                    Factory()->createInstance(OUString("com.sun.star.chart2.data.DataProvider")),
                    UNO_QUERY_THROW));
            const Reference<chart2::data::XDataProvider> provider = chart->getDataProvider();
            const Sequence<Reference<chart2::data::XLabeledDataSequence>> attached =
                source->getDataSequences();
            for (sal_Int32 i = 0; i < attached.getLength() && i < ranges.size(); ++i) {
                const auto& labeled = attached[i];
                if (!labeled.is())
                    continue;
                if (labeled->getValues().is())
                    labeled->setValues(
                        SequenceFor(provider, labeled->getValues(), ranges[i].first));
                if (labeled->getLabel().is() && !ranges[i].second.isEmpty())
                    labeled->setLabel(SequenceFor(provider, labeled->getLabel(), ranges[i].second));
            }
        });
    }
}

} // namespace sheet::lo
