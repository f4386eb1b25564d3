#pragma once

// The comparison sheet of the spreadsheet report: the names of its cells, the
// year grid and how a calculation is written into it.

#include <QString>

#include "costcmp/core/cost_model.h"
#include "spreadsheet/spreadsheet.h"

namespace costcmp {

// The sheet of the template workbook that is copied, and its name in the
// report.
QString TemplateSheetName(); // "元シート"
QString ReportSheetName();   // "価格で比較"

// The ten named cells in the order they are written: SA, SB, SC, SD, JA, JB,
// JC, JD, JE, CB (the period CA has none; it is shown by its year column).
inline constexpr int kNamedCellCount = 10;
QString NamedCell(int index);
// The named cell of the parameter a solution seeks: SC for 1, JB for 3, SB
// for 4, JD for 5; empty for 2 (the period) and any other number.
QString SolvedCellName(SolutionKind kind);

// The year grid covers years 1 to 20 in columns D to W, rows 2 to 18.
inline constexpr int kGridYears = 20;
// The grid column of a year: "D2:D18" for 1 ... "W2:W18" for 20; empty
// outside 1..20.
QString YearColumnRange(int year);
// The year whose column shows the period: the period when it is a whole
// number from 1 to 20, otherwise 0 (no column is highlighted).
int HighlightYear(common::Fixed4 period);

// Writes the calculation into the report sheet: the ten named cells (the
// solution in place of the sought parameter), the percent formats of the two
// maintenance rates, the highlighted year column of the period and the
// highlighted solved cell. Throws sheet::SheetError when the sheet lacks a
// name or the application refuses a call.
void WriteReportSheet(sheet::Worksheet& report, sheet::Application& app, const Calculation& calc);

} // namespace costcmp
