#include "bookmrg/engine.h"

#include "common/messages.h"

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
        common::ShowMessage(error.Text() + QStringLiteral("\r"), common::MsgIcon::None,
                            common::MsgButtons::Ok);
        return;
    }
    index_ = app_->ActiveSheet();

    index_->Cells(1, 1)->SetValue(QStringLiteral("※※　目　　次　※※"));
    index_->Cells(2, 1)->SetValue(QStringLiteral("クリックすると該当シートに移動します"));
    index_->Cells(2, 2)->SetValue(QStringLiteral("ブック名"));
    index_->Cells(2, 3)->SetValue(QStringLiteral("シート名"));

    for (int i = 0; i < records_.size(); ++i) {
        const SheetRecord& record = records_.at(i);
        const int row = i + 3;
        // The link is anchored on the cell itself rather than on the global
        // selection: the same link, without moving the office's view to
        // every row of the list.
        std::shared_ptr<sheet::Range> link = index_->Cells(row, 1);
        // The leading apostrophe keeps a name such as "2024" or "4-1" a text.
        index_->Hyperlinks().Add(*link, QString(), IndexLinkTarget(record.newSheetName),
                                 QLatin1Char('\'') + record.newSheetName);
        link->SetFontSize(11);
        std::shared_ptr<sheet::Range> book = index_->Cells(row, 2);
        book->SetNumberFormatLocal(QStringLiteral("@"));
        book->SetValue(record.sourceBook);
        std::shared_ptr<sheet::Range> name = index_->Cells(row, 3);
        name->SetNumberFormatLocal(QStringLiteral("@"));
        name->SetValue(record.sourceSheetName);
    }
    index_->AllCells()->AutoFitColumns();
}

} // namespace bookmrg
