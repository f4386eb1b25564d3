#include "costcmp/report.h"

#include "common/messages.h"
#include "common/temp_folder.h"
#include "costcmp/report_sheet.h"
#include "spreadsheet/office_lock.h"
#include "spreadsheet/progress.h"
#include "spreadsheet/run_files.h"
#include "spreadsheet/spreadsheet.h"
#include "workbook_tools/office_errors.h"
#include "workbook_tools/office_run.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <memory>

namespace costcmp {

namespace {

using sheet::ProgressBar;
using sheet::ProgressView;
using sheet::SheetError;

// Default sheets of a new workbook are "Sheet1", "Sheet2", ... at most this
// many.
constexpr int kMaxDefaultSheets = 16;

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

void Tell(const QString& text, common::MsgIcon icon = common::MsgIcon::None) {
    common::ShowMessage(text, icon, common::MsgButtons::Ok);
}

// Deletes the new workbook's default sheets by name; the first name that is
// not there ends the deleting.
void DeleteDefaultSheets(sheet::Workbook& book) {
    for (int i = 1; i <= kMaxDefaultSheets; ++i) {
        try {
            book.Worksheets(QStringLiteral("Sheet%1").arg(i))->Delete();
        } catch (const SheetError& error) {
            tools::RethrowIfOfficeLost(error);
            return;
        }
    }
}

// A failure said once the progress window has gone and the office has ended.
tools::RunOutcome Fail(const QString& text, common::MsgIcon icon = common::MsgIcon::None,
                       tools::AfterRun next = tools::AfterRun::EndProgram) {
    tools::RunOutcome outcome = tools::NoResult(next);
    outcome.farewell = {text, icon};
    return outcome;
}

// Builds and saves the work file with the two workbooks it holds.
class ReportSteps : public tools::OfficeSteps {
public:
    ReportSteps(const Calculation& calc, const ReportFiles& files) : calc_(calc), files_(files) {}
    ~ReportSteps() override { CloseBooks(); }
    ReportSteps(const ReportSteps&) = delete;
    ReportSteps& operator=(const ReportSteps&) = delete;

    tools::RunOutcome Work(sheet::Application& office) override;
    void CloseBooks() noexcept override {
        report_.reset();
        sheet::CloseQuietly(newBook_);
        sheet::CloseQuietly(templateBook_);
    }

private:
    const Calculation& calc_;
    const ReportFiles& files_;
    std::shared_ptr<sheet::Workbook> templateBook_;
    std::shared_ptr<sheet::Workbook> newBook_;
    std::shared_ptr<sheet::Worksheet> report_;
};

tools::RunOutcome ReportSteps::Work(sheet::Application& office) {
    ProgressView& view = sheet::ProgressWindow();
    // The report's few steps move the second bar; the first (counts) is hidden.
    view.SetBarValue(ProgressBar::Bar2, 0);
    view.SetBarVisible(ProgressBar::Bar2, true);

    try {
        templateBook_ = sheet::OpenTemplate(office.Workbooks(), files_.templatePath);
    } catch (const SheetError& e) {
        tools::RethrowIfOfficeLost(e);
        return Fail(common::JoinLines({sheet::TemplateProblem(files_.templatePath),
                                       Native(files_.templatePath),
                                       QStringLiteral("処理は続行できません。"), QString()}));
    }

    try {
        newBook_ = office.Workbooks().Add();
        std::shared_ptr<sheet::Worksheet> first = newBook_->Worksheets(QStringLiteral("sheet1"));
        // The comparison sheet keeps the template's print layout (landscape,
        // the chart on a page of its own).
        report_ = templateBook_->Worksheets(TemplateSheetName())
                      ->Copy(sheet::Where::Before, *first, /*withPageSetup=*/true);
    } catch (const SheetError& e) {
        // Without the comparison sheet there is nothing to fill: the report
        // ends here as when the template is missing.
        tools::RethrowIfOfficeLost(e);
        return Fail(common::JoinLines({e.Text(), QStringLiteral("元ブック に 元シートがない")}));
    }

    try {
        report_->SetName(ReportSheetName());
        view.SetBarValue(ProgressBar::Bar2, 40);
        view.ProcessEvents();
        WriteReportSheet(*report_, office, calc_);
        view.SetBarValue(ProgressBar::Bar2, 70);
        view.ProcessEvents();
        DeleteDefaultSheets(*newBook_);
        newBook_->Worksheets(1)->Activate();
        newBook_->Worksheets(1)->Cells(1, 1)->Select();
    } catch (const SheetError& e) {
        tools::RethrowIfOfficeLost(e);
        return Fail(common::JoinLines({QStringLiteral("比較シートを作成できませんでした。"),
                                       Native(files_.templatePath), e.Text(),
                                       QStringLiteral("処理は続行できません。")}),
                    common::MsgIcon::Exclamation);
    }

    // A stop pressed up to here is honoured; the save cannot be stopped.
    if (!sheet::EnterUninterruptible())
        return Fail(QStringLiteral("処理を中断しました。"), common::MsgIcon::Information,
                    tools::AfterRun::Stay);
    try {
        // The save is written to a temp file beside the work file first (the
        // office locks it while writing); a killed run's ones are removed at
        // the next start.
        const QFileInfo work(files_.workPath);
        const QString saveTemp = work.absolutePath() + QStringLiteral("/.~") + work.fileName() +
                                 QStringLiteral(".%1.tmp").arg(QCoreApplication::applicationPid());
        sheet::RecordRunFile(saveTemp);
        sheet::RecordRunFile(sheet::OfficeLockPath(saveTemp));
        newBook_->SaveAs(files_.workPath);
        sheet::LeaveUninterruptible();
        view.SetBarValue(ProgressBar::Bar2, 100);
        view.ProcessEvents();
    } catch (const SheetError& e) {
        sheet::LeaveUninterruptible();
        tools::RethrowIfOfficeLost(e);
        return Fail(common::JoinLines({QStringLiteral("比較表のファイルを保存できませんでした。"),
                                       Native(files_.workPath),
                                       QStringLiteral("前回の比較表を開いたままの場合は閉じてから、"
                                                      "もう一度実行してください。"),
                                       e.Text()}),
                    common::MsgIcon::Exclamation, tools::AfterRun::Stay);
    }

    tools::RunOutcome built;
    built.result.file = files_.workPath;
    built.result.notFound = {
        common::JoinLines({QStringLiteral("表計算ソフトが見つからないため、比較表を開けません。"),
                           QStringLiteral("比較表は下記に保存しました。"),
                           Native(files_.workPath)}),
        common::MsgIcon::Exclamation};
    built.result.notStarted = {
        common::JoinLines({QStringLiteral("表計算ソフトを起動できませんでした。"),
                           QStringLiteral("比較表は下記に保存しました。"),
                           Native(files_.workPath)}),
        common::MsgIcon::Exclamation};
    return built;
}

} // namespace

ReportFiles DefaultReportFiles() {
    ReportFiles files;
    files.templatePath = QDir(QCoreApplication::applicationDirPath())
                             .filePath(QString::fromLatin1(kReportTemplateName));
    // The user's own folder: a fixed name in the shared temporary folder
    // could be another user's file or a link planted there.
    files.workPath =
        common::PrivateTempFile(QString::fromLatin1(kWorkFileName), &files.workPathError);
    files.findLauncher = [] { return tools::OfficeLauncher(); };
    return files;
}

ReportOutcome BuildCostReport(const Calculation& calc, const ReportFiles& files) {
    // Without the user's own folder there is nowhere safe to save: nothing
    // is started, and the result screen stays.
    if (files.workPath.isEmpty()) {
        Tell(common::JoinLines({QStringLiteral("比較表を保存するフォルダを用意できません。"),
                                files.workPathError, QStringLiteral("処理は続行できません。")}),
             common::MsgIcon::Exclamation);
        return ReportOutcome::NotSaved;
    }
    tools::RunFrame frame;
    frame.title = QStringLiteral("自社開発で比較");
    frame.startFailed = [](const SheetError& e) {
        return tools::Notice{
            common::JoinLines({QStringLiteral("表計算ソフトを起動できません。"), e.Text(),
                               QStringLiteral("処理は続行できません。")}),
            common::MsgIcon::Critical};
    };
    // The office ended or stopped answering between the steps.
    frame.failed = [](const SheetError& e) {
        return tools::Notice{
            common::JoinLines({QStringLiteral("処理中にエラーが発生しました。"), e.Text(),
                               QStringLiteral("処理は続行できません。")}),
            common::MsgIcon::Critical};
    };
    frame.afterFailed = tools::AfterRun::EndProgram;
    ReportSteps steps(calc, files);
    const tools::RunOutcome outcome = tools::RunInOffice(frame, steps);
    switch (outcome.next) {
    case tools::AfterRun::Stay:
        return ReportOutcome::NotSaved;
    case tools::AfterRun::ReturnToCaller:
        tools::OpenForUser(outcome.result, files.findLauncher ? files.findLauncher() : QString());
        return ReportOutcome::Built;
    case tools::AfterRun::EndProgram:
    case tools::AfterRun::EndWithoutSaving:
        break;
    }
    return ReportOutcome::Failed;
}

} // namespace costcmp
