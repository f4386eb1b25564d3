#include "shtlist/ui/shtlist_main.h"
#include "common/events.h"

#include "bookmrg/ui/password_dialog.h"
#include "common/data_folder.h"
#include "common/ui/app_init.h"
#include "shtlist/ui/frm_shtlist1.h"
#include "spreadsheet/ui/gate_windows.h"

#include <QApplication>

namespace shtlist {

namespace {

using common::LetEventsRun;

} // namespace

int Main(int argc, char** argv) {
    QApplication app(argc, argv);
    ui::InitApplication(QStringLiteral("SHTLIST"));
    LetEventsRun(2);
    common::SetDataFolder();

    sheet::InstallGateWindows();
    static bookmrg::PasswordDialogPrompt passwords;
    bookmrg::SetPasswordPrompt(&passwords);

    FrmShtlist1 screen;
    screen.SetRunEnabled(false);
    screen.LoadSettings();
    LetEventsRun(1);
    screen.show();
    screen.SetRunEnabled(true);
    LetEventsRun(1);
    return app.exec();
}

} // namespace shtlist
