#include "workbook_tools/office_run.h"

#include "common/program_start.h"
#include "spreadsheet/gate.h"
#include "spreadsheet/progress.h"

#include <QCoreApplication>

namespace tools {

namespace {

// Nothing is opened after a run that ended early.
RunOutcome Early(AfterRun next, Notice farewell) {
    RunOutcome outcome = NoResult(next);
    outcome.farewell = std::move(farewell);
    return outcome;
}

} // namespace

RunOutcome NoResult(AfterRun next) {
    RunOutcome outcome;
    outcome.next = next;
    return outcome;
}

void Tell(const Notice& notice) {
    if (!notice.text.isEmpty())
        common::ShowMessage(notice.text, notice.icon, common::MsgButtons::Ok);
}

RunOutcome RunInOffice(const RunFrame& frame, OfficeSteps& steps) {
    sheet::ProgressView& view = sheet::ProgressWindow();
    view.SetLabelVisible(sheet::ProgressLabel::Counter, false);
    view.SetCountCaption(frame.countCaption);
    if (!sheet::GateLetsRunProceed(sheet::ShowPreparingAndRunGate()))
        return Early(frame.gateRefused, {});

    RunOutcome outcome;
    std::unique_ptr<sheet::Application> office;
    try {
        office = sheet::CreateApplication();
    } catch (const sheet::SheetError& error) {
        outcome =
            Early(frame.afterStartFailed, frame.startFailed ? frame.startFailed(error) : Notice{});
    }
    if (office) {
        try {
            view.Show();
            view.ProcessEvents();
            view.SetLabelText(sheet::ProgressLabel::Task, frame.title);
            view.ProcessEvents();
            outcome = steps.Work(*office);
        } catch (const sheet::SheetError& error) {
            outcome = Early(frame.afterFailed, frame.failed ? frame.failed(error) : Notice{});
        }
    }
    view.Unload();
    steps.CloseBooks();
    sheet::QuitQuietly(office);
    QCoreApplication::processEvents();
    Tell(outcome.farewell);
    return outcome;
}

QString OfficeLauncher() {
    return sheet::GetAppPath(QStringLiteral("EXCEL.EXE"));
}

void OpenForUser(const ResultToOpen& result, const QString& launcher) {
    if (result.file.isEmpty())
        return;
    if (launcher.isEmpty()) {
        Tell(result.notFound);
        return;
    }
    if (!common::StartCommand(launcher, {result.file}))
        Tell(result.notStarted);
}

} // namespace tools
