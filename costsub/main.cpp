#include "common/data_folder.h"
#include "common/events.h"
#include "common/ui/app_init.h"
#include "costsub/frm_costsub1.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const ui::ProgramServices services = ui::InitApplication(QStringLiteral("COSTSUB"));
    common::LetEventsRun(2);
    common::SetDataFolder();

    costsub::CompanionScreen window;
    window.Open();
    return app.exec();
}
