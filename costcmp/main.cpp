#include "common/ui/app_init.h"
#include "costcmp/costcmp_main.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ui::InitApplication(QString::fromLatin1(costcmp::kProgramId));
    // The program ends through its exit sequences, never because its screens
    // are hidden.
    app.setQuitOnLastWindowClosed(false);

    costcmp::CostCmpMain program;
    program.StartUp();
    return app.exec();
}
