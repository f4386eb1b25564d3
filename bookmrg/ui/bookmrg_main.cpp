#include "bookmrg/ui/bookmrg_main.h"
#include "common/events.h"

#include "bookmrg/ui/frm_bookmrg1.h"
#include "bookmrg/ui/password_dialog.h"
#include "common/data_folder.h"
#include "common/ui/app_init.h"
#include "spreadsheet/ui/gate_windows.h"

#include <QApplication>

namespace bookmrg {

namespace {

using common::LetEventsRun;

} // namespace

int Main(int argc, char** argv) {
    QApplication app(argc, argv);
    ui::InitApplication(QStringLiteral("BOOKMRG"));
    LetEventsRun(2);
    common::SetDataFolder();

    sheet::InstallGateWindows();
    static PasswordDialogPrompt passwords;
    SetPasswordPrompt(&passwords);

    FrmBookmrg1 screen;
    screen.SetRunEnabled(false);
    screen.LoadSettings();
    LetEventsRun(1);
    screen.show();
    screen.SetRunEnabled(true);
    LetEventsRun(1);
    return app.exec();
}

} // namespace bookmrg
