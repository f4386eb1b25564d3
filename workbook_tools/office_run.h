#pragma once

// One spreadsheet run of a workbook tool or the calculator's report: the
// progress window, the gate, a private office, the program's steps with the
// workbooks they open, the office quit, and afterwards the result opened for
// the user. The programs supply only their steps; what the screen does after
// the run it learns from the outcome, once the run's objects are gone.

#include "common/messages.h"
#include "spreadsheet/spreadsheet.h"

#include <QString>

#include <functional>

namespace tools {

// What the program does once a run is over.
enum class AfterRun {
    EndProgram,       // the screen saved, the caller started, the program ends
    ReturnToCaller,   // the same, with the result opened after the caller started
    EndWithoutSaving, // nothing of the screen is kept and no caller is started
    Stay,             // the screen that started the run stays
};

// A message for the user.
struct Notice {
    QString text; // empty: nothing is said
    common::MsgIcon icon = common::MsgIcon::None;
};

// The saved workbook to show the user in the spreadsheet application, and
// what is said when that cannot be done.
struct ResultToOpen {
    QString file;      // empty: nothing to open
    Notice notFound;   // there is no spreadsheet application
    Notice notStarted; // it did not start (empty text: nothing is said)
};

struct RunOutcome {
    AfterRun next = AfterRun::ReturnToCaller;
    ResultToOpen result;
    // Said once the progress window has gone and the office has ended.
    Notice farewell;
};

// An outcome with nothing to open and nothing more to say.
RunOutcome NoResult(AfterRun next);

// The steps of one program's run.
class OfficeSteps {
public:
    virtual ~OfficeSteps() = default;
    // The work, with the private office started and the progress window in
    // sight. A failure the steps do not expect (the office lost) is thrown
    // as sheet::SheetError and ends the run as the frame says.
    virtual RunOutcome Work(sheet::Application& office) = 0;
    // Closes without saving the workbooks the steps still hold and drops
    // every object of the office; the office quits right after.
    virtual void CloseBooks() noexcept = 0;
};

// What differs between the programs around their steps.
struct RunFrame {
    // What the progress counter counts ("ブック", "シート"; empty for none).
    QString countCaption;
    // The first line of the progress window once the office has started.
    QString title;
    // When the gate says the run cannot go on.
    AfterRun gateRefused = AfterRun::EndProgram;
    // When the office cannot be started: what is said, and what follows.
    std::function<Notice(const sheet::SheetError&)> startFailed;
    AfterRun afterStartFailed = AfterRun::EndProgram;
    // When a step meets a failure it does not expect (the office ended or
    // stopped answering): what is said, and what follows.
    std::function<Notice(const sheet::SheetError&)> failed;
    AfterRun afterFailed = AfterRun::ReturnToCaller;
};

// Runs `steps` inside `frame`: the progress window set up, the gate, the
// office started, the steps' work; then, whatever happened, the window
// unloaded, the steps' workbooks closed, the office quit, pending events let
// run and the farewell said. A run that ends early has nothing to open.
RunOutcome RunInOffice(const RunFrame& frame, OfficeSteps& steps);

// The spreadsheet application's launcher for the user's own window; empty
// when there is none.
QString OfficeLauncher();

// Opens the result with `launcher` (the path given as one argument), or says
// where it is when there is no launcher or it does not start.
void OpenForUser(const ResultToOpen& result, const QString& launcher);

// Says a notice with an OK button; an empty one says nothing.
void Tell(const Notice& notice);

} // namespace tools
