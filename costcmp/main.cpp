#include "common/data_folder.h"
#include "common/ui/app_init.h"
#include "costcmp/report/report.h"
#include "costcmp/ui/costcmp_main.h"
#include "costcmp/ui/frm_costcmp1.h"
#include "costcmp/ui/template_session.h"
#include "spreadsheet/lo/install.h"
#include "spreadsheet/run_files.h"
#include "spreadsheet/ui/gate_windows.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const ui::ProgramServices services =
        ui::InitApplication(QString::fromLatin1(costcmp::kProgramId));
    // The program ends through its exit sequences, never because its screens
    // are hidden.
    app.setQuitOnLastWindowClosed(false);
    // What killed runs of the suite left behind (working files, the office's
    // pipes and temp folders) goes before anything new is made.
    sheet::RemoveDeadRunLeftovers();

    // "テンプレート" on the input screen opens the template screen.
    const common::ScopedOverride templates(
        costcmp::TemplateOpenerSeam(),
        [](costcmp::CostInputScreen& input) { costcmp::ExchangeTemplate(&input); });

    // "Excel出力" on the result screen makes the comparison workbook, behind
    // the spreadsheet application's gate and progress windows.
    sheet::lo::InstallBackend();
    sheet::InstallGateWindows();
    const common::ScopedOverride report(
        costcmp::ReportBuilderSeam(),
        [](const costcmp::Calculation& calc, QWidget*) { return costcmp::BuildCostReport(calc); });

    costcmp::CostCmpMain program;
    program.StartUp();
    sheet::RemoveDeadSettingsTemps(common::DataFolder(), QString::fromLatin1(costcmp::kProgramId));
    return app.exec();
}
