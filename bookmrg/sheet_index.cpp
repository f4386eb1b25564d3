#include "bookmrg/engine.h"

#include "common/messages.h"
#include "workbook_tools/office_errors.h"

namespace bookmrg {

namespace {

// A sheet name inside a reference: in apostrophes, its own apostrophes doubled.
QString QuotedSheetName(const QString& name) {
    QString quoted = name;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace

QString IndexLinkTarget(const QString& sheetName) {
    return QuotedSheetName(sheetName) + QStringLiteral("!B1");
}

void Consolidation::BuildSheetIndex() {
    try {
        template_->Worksheets(kIndexSheetName)->Copy(sheet::Where::Before, *output_->Worksheets(1));
    } catch (const sheet::SheetError& error) {
        tools::RethrowIfOfficeLost(error);
        common::ShowMessage(error.Text() + QStringLiteral("\r"), common::MsgIcon::None,
                            common::MsgButtons::Ok);
        return;
    }
    index_ = app_->ActiveSheet();

    index_->Cells(1, 1)->SetValue(QStringLiteral("※※　目　　次　※※"));
    index_->Cells(2, 1)->SetValue(QStringLiteral("クリックすると該当シートに移動します"));
    index_->Cells(2, 2)->SetValue(QStringLiteral("ブック名"));
    index_->Cells(2, 3)->SetValue(QStringLiteral("シート名"));

    // One link a row; the font size and the two text columns go to the
    // office as whole ranges, which gives the same sheet in far fewer calls.
    for (int i = 0; i < records_.size(); ++i) {
        const QString& name = records_.at(i).newSheetName;
        // The leading apostrophe keeps a name such as "2024" or "4-1" a text.
        index_->Hyperlinks().Add(*index_->Cells(i + 3, 1), QString(), IndexLinkTarget(name),
                                 QLatin1Char('\'') + name);
    }
    if (!records_.isEmpty()) {
        const QString last = QString::number(records_.size() + 2);
        index_->Range(QStringLiteral("A3:A") + last)->SetFontSize(11);
        std::shared_ptr<sheet::Range> texts = index_->Range(QStringLiteral("B3:C") + last);
        texts->SetNumberFormatLocal(QStringLiteral("@"));
        QList<QList<sheet::CellValue>> rows;
        rows.reserve(records_.size());
        for (const SheetRecord& record : records_)
            rows.append({record.sourceBook, record.sourceSheetName});
        texts->SetValues(rows);
    }
    index_->AllCells()->AutoFitColumns();
}

} // namespace bookmrg
