#pragma once

// The calculator's spreadsheet report (COSTCMP_EXL): the comparison sheet of
// the template workbook COSTCMPX.EXL is copied into a new workbook, filled
// with the calculation, saved as work.xls in the user's private temporary
// folder and opened for the user in an ordinary window of the spreadsheet
// application.

#include <QString>

#include <functional>

#include "costcmp/core/cost_model.h"
#include "costcmp/core/report_outcome.h"

namespace costcmp {

inline constexpr char kReportTemplateName[] = "COSTCMPX.EXL";
inline constexpr char kWorkFileName[] = "work.xls";

// Where the report reads and writes, and how it finds the program that opens
// the result.
struct ReportFiles {
    QString templatePath; // the template workbook
    QString workPath;     // the work file, replaced on every run
    // Why there is no work path (the private folder could not be made).
    QString workPathError;
    // The spreadsheet application's launcher; empty when there is none.
    std::function<QString()> findLauncher;
};

// COSTCMPX.EXL beside the running program, work.xls in the user's private
// temporary folder (common::PrivateTempFolder), the office launcher of the
// gate. When that folder cannot be had, workPath is empty and workPathError
// says why; the report then refuses to run.
ReportFiles DefaultReportFiles();

// Runs the report from the gate to the opened result. Built when the work
// file was saved (and opened, or the user was told where it is); Failed when
// the report could not be made: the gate stopped it (it has told the user
// why) or a message has said what failed, and the caller leaves through its
// normal exit; NotSaved when the work file could not be written (it may be
// open elsewhere) or the user stopped the run before the save, after a
// message: the caller stays. The private instance of the spreadsheet
// application has ended in every case.
ReportOutcome BuildCostReport(const Calculation& calc,
                              const ReportFiles& files = DefaultReportFiles());

} // namespace costcmp
