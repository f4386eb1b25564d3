#include "costcmp/report/report_sheet.h"

#include "spreadsheet/cell_address.h"

#include <array>

namespace costcmp {

namespace {

using common::Fixed4;

// Interior colour of the highlighted cells (classic palette index).
constexpr int kHighlightColor = 40;
constexpr int kGridFirstRow = 2;
constexpr int kGridLastRow = 18;
constexpr int kGridFirstColumn = 4; // D = year 1

const std::array<QString, kNamedCellCount>& Names() {
    static const std::array<QString, kNamedCellCount> names = {
        QStringLiteral("SA_初期費用"),       QStringLiteral("SB_月額使用料"),
        QStringLiteral("SC_ユーザ数"),       QStringLiteral("SD_自社要員工数"),
        QStringLiteral("JA_サーバ構築費用"), QStringLiteral("JB_自社開発システム開発費用"),
        QStringLiteral("JC_１年目保守費用"), QStringLiteral("JD_２年目以降保守費用"),
        QStringLiteral("JE_自社要員工数"),   QStringLiteral("CB_自社要員費用単価"),
    };
    return names;
}

enum NameIndex { kSA, kSB, kSC, kSD, kJA, kJB, kJC, kJD, kJE, kCB };

// The values of the named cells, in the order of Names().
std::array<Fixed4, kNamedCellCount> NamedValues(const CostParams& p) {
    return {p.SA, p.SB, p.SC, p.SD, p.JA, p.JB, p.JC, p.JD, p.JE, p.CB};
}

// Fills the current selection as the report marks its cells.
void HighlightSelection(sheet::Application& app, bool framed) {
    const std::shared_ptr<sheet::Range> selection = app.Selection();
    if (!selection)
        return;
    if (framed) {
        const sheet::BorderFormat none{sheet::xlLineStyleNone, sheet::xlThin, sheet::xlAutomatic};
        selection->SetBorder(sheet::xlDiagonalDown, none);
        selection->SetBorder(sheet::xlDiagonalUp, none);
        const sheet::BorderFormat edge{sheet::xlContinuous, sheet::xlThin, sheet::xlAutomatic};
        for (int index :
             {sheet::xlEdgeLeft, sheet::xlEdgeTop, sheet::xlEdgeBottom, sheet::xlEdgeRight})
            selection->SetBorder(index, edge);
    }
    selection->SetInterior({kHighlightColor, sheet::xlSolid, sheet::xlAutomatic});
}

} // namespace

QString TemplateSheetName() {
    return QStringLiteral("元シート");
}

QString ReportSheetName() {
    return QStringLiteral("価格で比較");
}

QString NamedCell(int index) {
    return index >= 0 && index < kNamedCellCount ? Names()[index] : QString();
}

QString SolvedCellName(SolutionKind kind) {
    switch (kind) {
    case SolutionKind::Users:
        return Names()[kSC];
    case SolutionKind::DevCost:
        return Names()[kJB];
    case SolutionKind::MonthlyFee:
        return Names()[kSB];
    case SolutionKind::MaintRate:
        return Names()[kJD];
    default:
        return QString();
    }
}

QString YearColumnRange(int year) {
    if (year < 1 || year > kGridYears)
        return QString();
    const int column = kGridFirstColumn + year - 1;
    return sheet::A1Address(kGridFirstRow, column, kGridLastRow, column);
}

int HighlightYear(Fixed4 period) {
    if (period.Overflowed() || period.Raw() % Fixed4::kScale != 0)
        return 0;
    const std::int64_t year = period.Raw() / Fixed4::kScale;
    return year >= 1 && year <= kGridYears ? int(year) : 0;
}

void WriteReportSheet(sheet::Worksheet& report, sheet::Application& app, const Calculation& calc) {
    const CostParams params = WithSolution(calc.params, calc.solution, calc.result);

    const std::array<Fixed4, kNamedCellCount> values = NamedValues(params);
    for (int i = 0; i < kNamedCellCount; ++i)
        report.Range(Names()[i])->SetValue(values[i].ToDouble());
    report.Range(Names()[kJC])->SetNumberFormatLocal(QStringLiteral("0%"));
    report.Range(Names()[kJD])->SetNumberFormatLocal(QStringLiteral("0%"));

    // The period's year column, framed and filled. A period that is not a
    // whole year within the grid has no column; nothing else is marked then.
    if (const int year = HighlightYear(params.CA)) {
        report.Range(YearColumnRange(year))->Select();
        HighlightSelection(app, true);
    }

    // The solved cell (the period of solution 2 is shown by its column).
    const QString solved = SolvedCellName(calc.solution);
    if (!solved.isEmpty()) {
        report.Range(solved)->Select();
        HighlightSelection(app, false);
    }
}

} // namespace costcmp
