#pragma once

// How the runs tell the office's failures apart: the decisions every catch
// site of a run makes, each in one place.

#include "spreadsheet/spreadsheet.h"

namespace tools {

// The office refused to open a workbook because it is protected and the
// password was missing or wrong (and for no other reason).
bool NeedsPassword(const sheet::SheetError& error);

// The office has ended or stopped answering: nothing further can be done
// with it, so a step that tolerates other refusals passes this one on.
bool IsOfficeLost(const sheet::SheetError& error);
// Rethrows `error` when it says the office is lost; returns otherwise.
void RethrowIfOfficeLost(const sheet::SheetError& error);

} // namespace tools
