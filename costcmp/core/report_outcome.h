#pragma once

namespace costcmp {

// How a spreadsheet report ended.
enum class ReportOutcome {
    Built,    // the work file was saved (and opened, or the user was told where)
    Failed,   // it could not be made (gate, office, template): the calculator leaves
    NotSaved, // the work file could not be written, or the user stopped before
              // the save: the result screen stays so that the user can try again
};

} // namespace costcmp
