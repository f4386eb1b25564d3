#include "costcmp/ui/costcmp_main.h"

#include "common/error_text.h"
#include "common/events.h"

#include "common/data_folder.h"
#include "common/messages.h"
#include "common/program_start.h"
#include "common/record_file.h"
#include "common/return_table.h"
#include "common/temp_folder.h"
#include "costcmp/core/input_values.h"
#include "costcmp/core/listing.h"
#include "costcmp/core/prm_record.h"
#include "costcmp/core/screen_texts.h"
#include "costcmp/ui/frm_costcmp1.h"
#include "costcmp/ui/frm_costcmp2.h"

#include <QCoreApplication>
#include <QDir>
#include <QPushButton>

namespace costcmp {

namespace {

CostCmpMain* g_instance = nullptr;

// Stand-in for the spreadsheet report until the program puts it in place:
// it makes no workbook and lets the exit go on.
ReportOutcome ReportStandIn(const Calculation&, QWidget*) {
    return ReportOutcome::Built;
}

using common::LetEventsRun;

void Warn(std::initializer_list<QString> lines) {
    common::ShowMessage(common::JoinLines(lines), common::MsgIcon::Exclamation,
                        common::MsgButtons::Ok);
}

} // namespace

common::Seam<ReportBuilder>& ReportBuilderSeam() {
    static common::Seam<ReportBuilder> seam(ReportStandIn);
    return seam;
}

common::Seam<TemplateOpener>& TemplateOpenerSeam() {
    static common::Seam<TemplateOpener> seam([](CostInputScreen&) {});
    return seam;
}

CostCmpMain::CostCmpMain() {
    g_instance = this;
}

CostCmpMain::~CostCmpMain() {
    if (g_instance == this)
        g_instance = nullptr;
}

CostCmpMain* CostCmpMain::Instance() {
    return g_instance;
}

QString CostCmpMain::PrmPath() {
    return common::DataFolder() + QString::fromLatin1(kPrmFileName);
}

QString CostCmpMain::ExportPath(QString* error) {
    return common::PrivateTempFile(QString::fromLatin1(kExportFileName), error);
}

void CostCmpMain::StartUp() {
    LetEventsRun(2);
    common::SetDataFolder();
    // The launcher normally creates the shared data folder; a calculator
    // started on its own creates it too, so that its parameters can be kept.
    common::EnsureFolder(common::FolderAction::Create, common::DataFolder());

    input_ = std::make_unique<CostInputScreen>();
    input_->RunButton()->setEnabled(false);
    connect(input_.get(), &CostInputScreen::CalculateRequested, this, &CostCmpMain::RunCalculation);
    connect(input_.get(), &CostInputScreen::ExitRequested, this, &CostCmpMain::ExitProgram);
    connect(input_.get(), &CostInputScreen::TemplateRequested, this,
            [this] { TemplateOpenerSeam().Get()(*input_); });

    LoadParameters();

    LetEventsRun(1);
    input_->show();
    input_->RunButton()->setEnabled(true);
    LetEventsRun(1);
}

void CostCmpMain::LoadParameters() {
    // The lists are filled even when the stored record cannot be read, so the
    // boxes still offer their values.
    input_->FillValueLists();
    QString error;
    const std::optional<PrmRecord> record = LoadPrmRecord(PrmPath(), &error);
    if (!record) {
        Warn({QStringLiteral("前回の入力値を読み込めませんでした。"), error,
              QStringLiteral("入力欄は空のまま開きます。")});
        input_->ShowSelectedSolution();
        return;
    }
    input_->SetTexts(TextsFromRecord(*record));
    input_->SelectSolution(SolutionFromText(record->Solution()));
    solution_ = input_->SelectedSolution();
}

void CostCmpMain::SaveParameters() {
    if (!input_)
        return;
    // Field 12 keeps its stored value while no solution is chosen, so the
    // previous record is the base (an unreadable one counts as empty).
    const PrmRecord previous = LoadPrmRecord(PrmPath()).value_or(PrmRecord{});
    const PrmRecord record =
        RecordFromInputs(input_->Texts(), input_->SelectedSolution(), previous);
    QString error;
    if (!SavePrmRecord(PrmPath(), record, &error))
        Warn({QStringLiteral("入力値を保存できませんでした。"), error});
}

void CostCmpMain::RunCalculation() {
    if (ended_ || !input_)
        return;
    // With no option chosen the solution of the previous run stays.
    if (const SolutionKind chosen = input_->SelectedSolution(); chosen != SolutionKind::None)
        solution_ = chosen;
    const Calculation calc = Calculate(input_->Texts(), solution_);
    if (!calc.ok) {
        Warn({calc.message});
        return;
    }
    last_ = calc;

    if (!result_) {
        result_ = std::make_unique<CostResultScreen>();
        connect(result_.get(), &CostResultScreen::BackRequested, this, &CostCmpMain::BackToInput);
        connect(result_.get(), &CostResultScreen::ExportRequested, this,
                &CostCmpMain::ExportListing);
        connect(result_.get(), &CostResultScreen::ReportRequested, this,
                &CostCmpMain::RunReportAndExit);
    }
    result_->SetListing(BuildListing(calc));
    result_->ShowWithListFocus();
    input_->hide();
}

void CostCmpMain::BackToInput() {
    if (ended_)
        return;
    if (result_)
        result_->hide();
    input_->show();
    input_->raise();
    input_->activateWindow();
}

bool CostCmpMain::ExportListing() {
    if (!result_)
        return false;
    QString error;
    const QString path = ExportPath(&error);
    // Written beside the old file and renamed over it once it is complete on
    // the disk: a failed export leaves the previous file whole.
    if (path.isEmpty() ||
        !common::WriteRecordFile(path, ListingExportBytes(result_->Listing()), &error)) {
        Warn({QStringLiteral("計算結果のファイルを書き込めませんでした。"), error});
        return false;
    }
    // Where the file is stays in sight: a desktop may have nothing that
    // shows text files, and then nothing else would appear.
    const QString shown = QDir::toNativeSeparators(path);
    result_->SetGuide(QStringLiteral("計算結果を書き出しました：") + shown);
    if (!common::OpenDocument(path))
        common::ShowMessage(
            common::JoinLines({QStringLiteral("計算結果を下記のテキストファイルに書き出しました。"),
                               shown,
                               QStringLiteral("テキストファイルを開くソフトが見つからないため、"
                                              "ファイルを開けませんでした。")}),
            common::MsgIcon::Information, common::MsgButtons::Ok);
    return true;
}

void CostCmpMain::RunReportAndExit() {
    if (ended_)
        return;
    const ReportOutcome outcome = ReportBuilderSeam().Get()(last_, result_.get());
    if (ended_) // the report left through ExitProgram itself
        return;
    if (outcome == ReportOutcome::NotSaved) {
        // The result screen stays, so that the user can try again.
        if (result_) {
            result_->raise();
            result_->activateWindow();
        }
        return;
    }
    if (outcome == ReportOutcome::Failed) {
        ExitProgram();
        return;
    }
    SaveParameters();
    ended_ = true;
    HideScreens();
    common::StartProgram(QString::fromLatin1(kCompanionId));
    common::EndProgram();
}

void CostCmpMain::ExitProgram() {
    if (ended_)
        return;
    SaveParameters();
    ended_ = true;
    const QString target = common::ReadReturnTarget(QString::fromLatin1(kProgramId));
    HideScreens();
    LetEventsRun(2);
    // Comes back only when nothing could be started (no target registered).
    common::StartAndEnd(target);
    common::EndProgram();
}

void CostCmpMain::HideScreens() {
    if (result_)
        result_->hide();
    if (input_)
        input_->hide();
}

void ExitProgram() {
    if (CostCmpMain* program = CostCmpMain::Instance())
        program->ExitProgram();
}

} // namespace costcmp
