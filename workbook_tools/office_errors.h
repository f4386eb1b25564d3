#pragma once

// How the runs treat the office's failures: the rule every catch site of a
// run follows, in one place. (Whether a refusal asks for a password is
// sheet::IsPasswordRequired, by the error's kind.)

#include "spreadsheet/spreadsheet.h"

namespace tools {

// The office has ended or stopped answering: nothing further can be done
// with it, so a step that tolerates other refusals passes this one on.
// Rethrows `error` when that is so, returns otherwise.
void RethrowIfOfficeLost(const sheet::SheetError& error);

} // namespace tools
