#include "common/ui/app_init.h"
#include "hubmenu/frm_hubmenu1.h"
#include "hubmenu/launcher_actions.h"
#include "hubmenu/launcher_lock.h"
#include "hubmenu/settings_file.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const ui::ProgramServices services = ui::InitApplication(hubmenu::kLauncherId);

    const std::unique_ptr<hubmenu::LauncherLock> lock = hubmenu::PrepareLauncher();
    if (!lock)
        return 0;
    const hubmenu::LauncherSettings settings = hubmenu::LoadSettings(hubmenu::SettingsPath());

    hubmenu::LauncherScreen window(QCoreApplication::applicationDirPath());
    window.SetLock(lock.get());
    window.Open(settings.background, settings.lastToolTab);
    return app.exec();
}
