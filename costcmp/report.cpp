#include "costcmp/report.h"

#include "common/messages.h"
#include "common/program_start.h"
#include "common/temp_folder.h"
#include "costcmp/report_sheet.h"
#include "spreadsheet/gate.h"
#include "spreadsheet/office_lock.h"
#include "spreadsheet/progress.h"
#include "spreadsheet/run_files.h"
#include "spreadsheet/spreadsheet.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <memory>

namespace costcmp {

namespace {

using sheet::ProgressBar;
using sheet::ProgressLabel;
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

// The private instance of one run with the two workbooks it holds. Whatever
// happens, the workbooks are closed without saving and the instance ends.
class OfficeRun {
public:
    OfficeRun() = default;
    OfficeRun(const OfficeRun&) = delete;
    OfficeRun& operator=(const OfficeRun&) = delete;
    ~OfficeRun() { End(); }

    void End() noexcept {
        if (!app)
            return;
        report.reset();
        sheet::CloseQuietly(newBook);
        sheet::CloseQuietly(templateBook);
        sheet::QuitQuietly(app);
    }

    std::unique_ptr<sheet::Application> app;
    std::shared_ptr<sheet::Workbook> templateBook;
    std::shared_ptr<sheet::Workbook> newBook;
    std::shared_ptr<sheet::Worksheet> report;
};

// Deletes the new workbook's default sheets by name; the first name that is
// not there ends the deleting.
void DeleteDefaultSheets(sheet::Workbook& book) {
    for (int i = 1; i <= kMaxDefaultSheets; ++i) {
        try {
            book.Worksheets(QStringLiteral("Sheet%1").arg(i))->Delete();
        } catch (const SheetError&) {
            return;
        }
    }
}

// A failure after the progress window was shown: the window goes, the
// instance ends, then the user is told.
ReportOutcome Fail(ProgressView& view, OfficeRun& run, const QString& text,
                   common::MsgIcon icon = common::MsgIcon::None,
                   ReportOutcome outcome = ReportOutcome::Failed) {
    view.Unload();
    run.End();
    Tell(text, icon);
    return outcome;
}

// Builds and saves the work file in a private instance (which has ended when
// this returns); after a message when that was not possible.
ReportOutcome MakeWorkFile(const Calculation& calc, const ReportFiles& files, ProgressView& view) {
    OfficeRun run;
    try {
        run.app = sheet::CreateApplication();
    } catch (const SheetError& e) {
        return Fail(view, run,
                    common::JoinLines({QStringLiteral("表計算ソフトを起動できません。"), e.Text(),
                                       QStringLiteral("処理は続行できません。")}),
                    common::MsgIcon::Critical);
    }

    try {
        run.templateBook = sheet::OpenTemplate(run.app->Workbooks(), files.templatePath);
    } catch (const SheetError&) {
        return Fail(view, run,
                    common::JoinLines({sheet::TemplateProblem(files.templatePath),
                                       Native(files.templatePath),
                                       QStringLiteral("処理は続行できません。"), QString()}));
    }

    try {
        run.newBook = run.app->Workbooks().Add();
        std::shared_ptr<sheet::Worksheet> first = run.newBook->Worksheets(QStringLiteral("sheet1"));
        // The comparison sheet keeps the template's print layout (landscape,
        // the chart on a page of its own).
        run.report = run.templateBook->Worksheets(TemplateSheetName())
                         ->Copy(sheet::Where::Before, *first, /*withPageSetup=*/true);
    } catch (const SheetError& e) {
        // Without the comparison sheet there is nothing to fill: the report
        // ends here as when the template is missing.
        return Fail(view, run,
                    common::JoinLines({e.Text(), QStringLiteral("元ブック に 元シートがない")}));
    }

    try {
        run.report->SetName(ReportSheetName());
        view.Show();
        view.SetLabelText(ProgressLabel::Task, QStringLiteral("自社開発で比較"));
        view.SetBarValue(ProgressBar::Bar2, 40);
        view.ProcessEvents();
        WriteReportSheet(*run.report, *run.app, calc);
        view.SetBarValue(ProgressBar::Bar2, 70);
        view.ProcessEvents();
        DeleteDefaultSheets(*run.newBook);
        run.newBook->Worksheets(1)->Activate();
        run.newBook->Worksheets(1)->Cells(1, 1)->Select();
    } catch (const SheetError& e) {
        return Fail(view, run,
                    common::JoinLines({QStringLiteral("比較シートを作成できませんでした。"),
                                       Native(files.templatePath), e.Text(),
                                       QStringLiteral("処理は続行できません。")}),
                    common::MsgIcon::Exclamation);
    }

    // A stop pressed up to here is honoured; the save cannot be stopped.
    if (!sheet::EnterUninterruptible())
        return Fail(view, run, QStringLiteral("処理を中断しました。"), common::MsgIcon::Information,
                    ReportOutcome::NotSaved);
    try {
        // The save is written to a temp file beside the work file first (the
        // office locks it while writing); a killed run's ones are removed at
        // the next start.
        const QFileInfo work(files.workPath);
        const QString saveTemp = work.absolutePath() + QStringLiteral("/.~") + work.fileName() +
                                 QStringLiteral(".%1.tmp").arg(QCoreApplication::applicationPid());
        sheet::RecordRunFile(saveTemp);
        sheet::RecordRunFile(sheet::OfficeLockPath(saveTemp));
        run.newBook->SaveAs(files.workPath);
        sheet::LeaveUninterruptible();
        view.SetBarValue(ProgressBar::Bar2, 100);
        view.ProcessEvents();
    } catch (const SheetError& e) {
        return Fail(view, run,
                    common::JoinLines({QStringLiteral("比較表のファイルを保存できませんでした。"),
                                       Native(files.workPath),
                                       QStringLiteral("前回の比較表を開いたままの場合は閉じてから、"
                                                      "もう一度実行してください。"),
                                       e.Text()}),
                    common::MsgIcon::Exclamation, ReportOutcome::NotSaved);
    }

    view.Unload();
    run.End();
    return ReportOutcome::Built;
}

// Opens the work file in an ordinary window of the spreadsheet application.
void OpenForUser(const ReportFiles& files) {
    const QString launcher = files.findLauncher ? files.findLauncher() : QString();
    if (launcher.isEmpty()) {
        Tell(common::JoinLines(
                 {QStringLiteral("表計算ソフトが見つからないため、比較表を開けません。"),
                  QStringLiteral("比較表は下記に保存しました。"), Native(files.workPath)}),
             common::MsgIcon::Exclamation);
        return;
    }
    // The path goes as one argument, never re-parsed (it may hold blanks).
    if (!common::StartCommand(launcher, {files.workPath}))
        Tell(common::JoinLines({QStringLiteral("表計算ソフトを起動できませんでした。"),
                                QStringLiteral("比較表は下記に保存しました。"),
                                Native(files.workPath)}),
             common::MsgIcon::Exclamation);
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
    files.findLauncher = [] { return sheet::GetAppPath(QStringLiteral("EXCEL.EXE")); };
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
    ProgressView& view = sheet::ProgressWindow();
    view.SetCountCaption(QString());
    const sheet::GateResult gate = sheet::ShowPreparingAndRunGate();
    if (!sheet::GateLetsRunProceed(gate))
        return ReportOutcome::Failed;
    // The report's few steps move the second bar; the first (counts) is hidden.
    view.SetBarValue(ProgressBar::Bar2, 0);
    view.SetBarVisible(ProgressBar::Bar2, true);
    const ReportOutcome made = MakeWorkFile(calc, files, view);
    if (made != ReportOutcome::Built)
        return made;

    QCoreApplication::processEvents();
    OpenForUser(files);
    return ReportOutcome::Built;
}

} // namespace costcmp
