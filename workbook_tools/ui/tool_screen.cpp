#include "workbook_tools/ui/tool_screen.h"

#include "common/cp932.h"
#include "common/events.h"
#include "common/messages.h"
#include "common/program_start.h"
#include "common/return_table.h"

#include <QLineEdit>
#include <memory>

namespace tools {

ToolScreen::ToolScreen(const QString& tag, const QString& programId)
    : ui::Screen(tag), programId_(programId) {}

QString ToolScreen::LeaveScreen() {
    SaveSettings();
    const QString command = common::ReadReturnTarget(programId_);
    CloseOwnWindows();
    close();
    common::LetEventsRun(2);
    return command;
}

void ToolScreen::EndProgram() {
    if (left_)
        return;
    left_ = true;
    const QString command = LeaveScreen();
    ended_ = true;
    common::StartAndEnd(command);
    // An empty return command starts nothing; the program ends all the same.
    common::EndProgram(0);
}

void ToolScreen::ReturnToCaller() {
    if (left_)
        return;
    left_ = true;
    const QString command = LeaveScreen();
    common::StartProgram(command);
}

void ToolScreen::ReportUnsavedSettings(const QString& error) {
    common::ShowMessage(QStringLiteral("設定を保存できませんでした。") + QLatin1Char('\r') + error,
                        common::MsgIcon::Exclamation, common::MsgButtons::Ok);
}

bool ToolScreen::AcceptStoredPath(const QString& path, int maxBytes) {
    const QString problem = common::StoredPathProblem(path, maxBytes);
    if (problem.isEmpty())
        return true;
    common::ShowMessage(problem, common::MsgIcon::Exclamation, common::MsgButtons::Ok);
    return false;
}

void ToolScreen::GuardStoredPath(QLineEdit* box, int maxBytes) {
    GuardStoredText(
        box, [maxBytes](const QString& text) { return common::StoredPathProblem(text, maxBytes); });
}

void ToolScreen::GuardStoredText(QLineEdit* box,
                                 const std::function<QString(const QString&)>& problemOf) {
    // The last text that can be kept: what the program put into the box
    // (settings, a dialog's choice) or an accepted edit.
    auto kept = std::make_shared<QString>(box->text());
    QObject::connect(
        box, &QLineEdit::textChanged, box, [box, kept, problemOf](const QString& text) {
            // A change signalled after an edit was taken back carries the
            // refused text, no longer the box's.
            if (text == box->text() && (!box->isModified() || problemOf(text).isEmpty()))
                *kept = text;
        });
    QObject::connect(box, &QLineEdit::textEdited, box, [box, kept, problemOf](const QString& text) {
        const QString problem = problemOf(text);
        if (problem.isEmpty()) {
            *kept = text;
            return;
        }
        const int cursor = box->cursorPosition();
        const int added = int(text.size() - kept->size());
        box->setText(*kept);
        box->setCursorPosition(qBound(0, cursor - qMax(0, added), int(kept->size())));
        common::ShowMessage(problem, common::MsgIcon::Exclamation, common::MsgButtons::Ok);
        box->setFocus();
    });
}

void ToolScreen::RunAndEnd(const std::function<RunOutcome()>& run) {
    common::LetEventsRun(1);
    // The run's objects, its office and its working files are gone once it
    // has returned: ending the program leaves nothing behind.
    const RunOutcome outcome = run();
    switch (outcome.next) {
    case AfterRun::EndProgram:
        EndProgram();
        break;
    case AfterRun::ReturnToCaller:
        ReturnToCaller();
        OpenForUser(outcome.result, OfficeLauncher());
        break;
    case AfterRun::EndWithoutSaving:
    case AfterRun::Stay:
        break;
    }
    if (!ended_)
        common::EndProgram(0);
}

} // namespace tools
