#include "bookmrg/ui/tool_screen.h"

#include "common/events.h"
#include "common/messages.h"
#include "common/program_start.h"
#include "common/return_table.h"

namespace bookmrg {

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

void ToolScreen::RunAndEnd(const std::function<void()>& run) {
    common::LetEventsRun(1);
    run();
    if (!ended_)
        common::EndProgram(0);
}

} // namespace bookmrg
