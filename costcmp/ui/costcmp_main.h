#pragma once

#include <functional>
#include <memory>

#include <QObject>
#include <QString>

#include "common/seam.h"
#include "costcmp/core/cost_model.h"
#include "costcmp/core/report_outcome.h"

class QWidget;

namespace costcmp {

class CostInputScreen;
class CostResultScreen;

// The program identifier: the command that starts the calculator and its key
// in the return table.
inline constexpr char kProgramId[] = "COSTCMP";
// The companion program started after a spreadsheet report.
inline constexpr char kCompanionId[] = "COSTSUB";

// Builds the spreadsheet report of the last calculation (`owner` is the
// result screen). Built: the workbook was made and opened for the user, and
// the calculator hands over to the companion. Failed: it could not be made
// (the spreadsheet application is missing or refused, the template is
// missing), after telling the user why; the calculator leaves through
// ExitProgram. NotSaved: the work file could not be written or the user
// stopped the run; the result screen stays for another try.
using ReportBuilder = std::function<ReportOutcome(const Calculation& calc, QWidget* owner)>;
// The report in place. Its default makes no workbook and lets the exit go
// on; the program puts the spreadsheet report in at start-up.
common::Seam<ReportBuilder>& ReportBuilderSeam();

// Opens the template screen over the input screen ("テンプレート"); the
// template screen reads and writes the screen's texts and solution.
using TemplateOpener = std::function<void(CostInputScreen& input)>;
// The template screen in place. Its default does nothing; the program puts
// the template screen in at start-up.
common::Seam<TemplateOpener>& TemplateOpenerSeam();

// The calculator program: start-up, the calculation run, the result screen's
// actions and the two ways out. One instance runs per process.
class CostCmpMain : public QObject {
    Q_OBJECT
public:
    CostCmpMain();
    ~CostCmpMain() override;

    // The running instance, nullptr when there is none.
    static CostCmpMain* Instance();

    // Sets the data folder (creating it when missing), creates the input
    // screen, restores the parameters of the last run and shows the screen.
    void StartUp();

    // Calculates from the input screen and shows the listing on the result
    // screen. A calculation that fails is reported and the input screen stays.
    void RunCalculation();

    // Result screen: back to the input screen, listing kept.
    void BackToInput();
    // Result screen: writes the listing to WORK.TXT in the user's private
    // temporary folder and opens it with its associated program. False when the file could not
    // be written (the user has been told).
    bool ExportListing();
    // Result screen: the spreadsheet report, then saving the parameters and
    // handing over to the companion program.
    void RunReportAndExit();

    // Saves the parameters and starts the registered return target (normally
    // the launcher), then ends the program.
    void ExitProgram();

    CostInputScreen* InputScreen() const { return input_.get(); }
    // nullptr before the first calculation run.
    CostResultScreen* ResultScreen() const { return result_.get(); }
    // The last successful calculation run.
    const Calculation& LastCalculation() const { return last_; }
    // True once an exit sequence has run (the product process ends there).
    bool HasEnded() const { return ended_; }

    // COSTCMP.PRM in the data folder; WORK.TXT in the user's private
    // temporary folder (empty, with the reason, when that cannot be had).
    static QString PrmPath();
    static QString ExportPath(QString* error = nullptr);

private:
    void LoadParameters();
    void SaveParameters();
    void HideScreens();

    std::unique_ptr<CostInputScreen> input_;
    std::unique_ptr<CostResultScreen> result_;
    SolutionKind solution_ = SolutionKind::None;
    Calculation last_;
    bool ended_ = false;
};

// ExitProgram of the running calculator, for modules that end it on a failure
// path. Does nothing when no calculator runs.
void ExitProgram();

} // namespace costcmp
