#pragma once

// The start-up shared by the programs that produce workbooks.

#include "common/data_folder.h"
#include "common/events.h"
#include "common/ui/app_init.h"
#include "spreadsheet/run_files.h"
#include "spreadsheet/ui/gate_windows.h"
#include "workbook_tools/ui/password_dialog.h"

#include <QApplication>

namespace tools {

// Runs a workbook tool from its first line to the end of its event loop and
// answers the process exit code: the application and the suite's set-up for
// `programId`, pending events let run, the data folder, what killed runs of
// the suite left behind removed, the gate's windows and the password dialog
// installed. The main screen `Form`
// (with LoadSettings() and SetRunEnabled(bool)) is made, loaded from its
// settings file and shown; its run button is enabled only once it is in
// sight.
template <typename Form> int RunWorkbookTool(int argc, char** argv, const QString& programId) {
    QApplication app(argc, argv);
    ui::InitApplication(programId);
    common::LetEventsRun(2);
    common::SetDataFolder();
    // The settings file is written there on the way out; a tool started on
    // its own on a new account makes the folder as the launcher would.
    common::EnsureFolder(QStringLiteral("GEN"), common::DataFolder());
    sheet::RemoveDeadRunLeftovers();
    sheet::RemoveDeadSettingsTemps(common::DataFolder(), programId);

    sheet::InstallGateWindows();
    const PasswordDialogInPlace passwords;

    Form screen;
    screen.SetRunEnabled(false);
    screen.LoadSettings();
    common::LetEventsRun(1);
    screen.show();
    screen.SetRunEnabled(true);
    common::LetEventsRun(1);
    return app.exec();
}

} // namespace tools
