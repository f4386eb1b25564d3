#include "bookmrg/engine.h"

#include "common/error_text.h"

#include "bookmrg/book_list.h"
#include "bookmrg/format_limits.h"
#include "bookmrg/formula_refs.h"
#include "common/messages.h"
#include "spreadsheet/office_lock.h"
#include "spreadsheet/progress.h"
#include "spreadsheet/run_files.h"
#include "workbook_tools/output_name.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <functional>

#include <unistd.h>

namespace bookmrg {

namespace {

using common::MsgButtons;
using common::MsgIcon;
using sheet::ProgressLabel;

const QString kCr = QStringLiteral("\r");

void Say(const QString& text, MsgIcon icon = MsgIcon::None) {
    common::ShowMessage(text, icon, MsgButtons::Ok);
}

void LetEventsRun() {
    sheet::ProgressWindow().ProcessEvents();
}

QString CancelledPasswordMessage() {
    return QStringLiteral("パスワードがキャンセルされました。") + kCr +
           QStringLiteral("このブックは処理しません。") + kCr;
}

// The working copy of book 1 that becomes the output workbook: in the output
// folder, so that a folder that cannot be written shows at once, and under a
// name of its own, so that the output file is only ever replaced by a
// complete save.
QString WorkingCopyPath(const QString& outputFile) {
    const QFileInfo out(outputFile);
    return out.absolutePath() + QStringLiteral("/.~bookmrg-%1-").arg(getpid()) +
           out.completeBaseName() + QStringLiteral(".xls");
}

} // namespace

QString TemplatePath() {
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + kTemplateFileName;
}

Consolidation::Consolidation(RunParams params) : params_(std::move(params)) {}

Consolidation::~Consolidation() {
    CloseBooks();
    DiscardWorkingCopy();
}

void Consolidation::DiscardWorkingCopy() {
    if (workingCopy_.isEmpty())
        return;
    QFile::remove(workingCopy_);
    // The office's lock beside it, left behind when the office ended
    // without closing the workbook.
    const QFileInfo copy(workingCopy_);
    QFile::remove(copy.absolutePath() + QStringLiteral("/.~lock.") + copy.fileName() +
                  QLatin1Char('#'));
    workingCopy_.clear();
}

QString Consolidation::BaseName() const {
    return OutputBaseName(params_.outputBook);
}

QString Consolidation::OutputFile() const {
    return OutputFileName(params_.outputBook);
}

bool Consolidation::IsExcludedSheet(const QString& sheetName) const {
    return bookmrg::IsExcludedSheet(sheetName, params_);
}

OpenResult Consolidation::OpenBook(const QString& path, const QString& shownPath, bool readOnly,
                                   std::shared_ptr<sheet::Workbook>* book) {
    // A book already opened for the size check is not asked for again.
    if (cancelledBooks_.contains(shownPath))
        return OpenResult::Cancelled;
    sheet::OpenOptions options;
    options.readOnly = readOnly;
    options.password = passwords_.value(shownPath);
    QString password;
    const OpenResult result = tools::OpenAskingPassword(app_->Workbooks(), path, shownPath, options,
                                                        book, &openError_, &password);
    if (result == OpenResult::Opened)
        passwords_.insert(shownPath, password);
    return result;
}

bool Consolidation::CheckClassicLimits() {
    // Only books that are not classic workbooks themselves can hold more
    // than a classic sheet; the .xls user's books are not opened twice.
    QStringList checked;
    for (const QString& path : params_.books) {
        if (checked.contains(path) || IsClassicWorkbookFile(path))
            continue;
        checked.append(path);
        std::shared_ptr<sheet::Workbook> book;
        const OpenResult opened = OpenBook(path, path, true, &book);
        if (opened == OpenResult::Cancelled)
            cancelledBooks_.insert(path); // reported when its turn comes
        if (opened != OpenResult::Opened)
            continue; // the merge reports it and goes on without it
        const int count = book->SheetCount();
        for (int i = 1; i <= count; ++i) {
            std::shared_ptr<sheet::Worksheet> sheet = book->Worksheets(i);
            const QString name = sheet->Name();
            if (IsExcludedSheet(name))
                continue;
            const sheet::CellExtent extent = sheet->ContentExtent();
            if (!FitsClassicFormat(extent)) {
                sheet::CloseQuietly(book);
                Say(ClassicLimitMessage(path, name, extent), MsgIcon::Exclamation);
                return false;
            }
        }
        sheet::CloseQuietly(book);
    }
    return true;
}

bool Consolidation::Prepare() {
    try {
        template_ = sheet::OpenTemplate(app_->Workbooks(), params_.templatePath.isEmpty()
                                                               ? TemplatePath()
                                                               : params_.templatePath);
    } catch (const sheet::SheetError& error) {
        Say(error.Text() + kCr + QStringLiteral("元ブック がない"));
        templateMissing_ = true;
        return false;
    }

    // An .xls output refuses, before anything is written, a source that it
    // could not hold.
    if (OutputFileFormat(params_.outputBook) == sheet::xlNormal && !CheckClassicLimits())
        return false;
    if (!CopyFirstBook())
        return false;
    if (HasExclusions(params_) && !DeleteExcludedSheets())
        return false;

    records_.clear();
    const int count = output_->SheetCount();
    for (int i = 1; i <= count && records_.size() < kMaxSheetRecords; ++i) {
        std::shared_ptr<sheet::Worksheet> sheet = output_->Worksheets(i);
        const QString source = sheet->Name();
        const QString name = KeepSheetNameShort(*output_, *sheet, source);
        records_.append({name, params_.books.value(0), source});
        lastSheetName_ = name;
    }
    return true;
}

bool Consolidation::CopyFirstBook() {
    const QString first = params_.books.value(0);
    // An output workbook that someone has open is not replaced under them.
    const QString locked = sheet::ForeignLockMessage(OutputFile(), OutputFile());
    if (!locked.isEmpty()) {
        Say(locked, MsgIcon::Exclamation);
        return false;
    }
    workingCopy_ = WorkingCopyPath(OutputFile());
    // Named in this run's record first: a killed run's copy, its lock and
    // the save's temp file are removed by the next start.
    sheet::RecordRunFile(workingCopy_);
    sheet::RecordRunFile(sheet::OfficeLockPath(workingCopy_));
    {
        // The save goes to a temp file beside the output, which the office
        // locks while it writes it.
        const QFileInfo out(OutputFile());
        const QString saveTemp = out.absolutePath() + QStringLiteral("/.~") + out.fileName() +
                                 QStringLiteral(".%1.tmp").arg(getpid());
        sheet::RecordRunFile(saveTemp);
        sheet::RecordRunFile(sheet::OfficeLockPath(saveTemp));
    }
    QFile::remove(workingCopy_);
    QFile source(first);
    if (!source.copy(workingCopy_)) {
        Say(QStringLiteral("出力するブックを作成できません。") + kCr + OutputFile() + kCr +
                common::FileErrorText(source),
            MsgIcon::Exclamation);
        QFile::remove(workingCopy_);
        workingCopy_.clear();
        return false;
    }
    // The copy must be writable even when book 1 is not.
    QFile::setPermissions(workingCopy_, QFile::permissions(workingCopy_) | QFile::WriteOwner);

    switch (OpenBook(workingCopy_, first, false, &output_)) {
    case OpenResult::Opened:
        return true;
    case OpenResult::Cancelled:
        Say(QStringLiteral("パスワードがキャンセルされました。") + kCr +
            QStringLiteral("１番目のブックが開けないため、処理を終了します。"));
        return false;
    case OpenResult::Failed:
        // The office names the file it was given: the user's book, not the
        // working copy made of it.
        Say(QString(openError_).replace(workingCopy_, first) + kCr +
                QStringLiteral("１番目のブックが開けないため、処理を終了します。"),
            MsgIcon::Exclamation);
        return false;
    }
    return false;
}

bool Consolidation::DeleteExcludedSheets() {
    // The output needs at least one sheet: a book 1 whose sheets would all be
    // left out cannot start the output.
    const int count = output_->SheetCount();
    bool anyKept = false;
    for (int i = 1; i <= count && !anyKept; ++i)
        anyKept = !IsExcludedSheet(output_->Worksheets(i)->Name());
    if (!anyKept) {
        Say(QStringLiteral("１番目のブックのシートがすべて除外されます。") + kCr +
                QStringLiteral("除外するシート名を見直してください。処理を終了します。"),
            MsgIcon::Exclamation);
        return false;
    }
    // Formulas of the kept sheets that refer to a sheet about to be left out
    // keep the values they show.
    QList<std::shared_ptr<sheet::Worksheet>> kept;
    QStringList leftOutInOrder;
    for (int i = 1; i <= count; ++i) {
        std::shared_ptr<sheet::Worksheet> sheet = output_->Worksheets(i);
        const QString name = sheet->Name();
        if (IsExcludedSheet(name))
            leftOutInOrder.append(name);
        else
            kept.append(sheet);
    }
    const QSet<QString> leftOut(leftOutInOrder.begin(), leftOutInOrder.end());
    if (leftOut.isEmpty())
        return true;
    const RepointResult values = KeepValuesOfReferences(kept, leftOut);
    keptValueCells_ += values.keptValues;
    refusedCells_ += values.refused;
    // Charts that plot them keep the numbers they show.
    const RepointResult charts = KeepDataOfCharts(kept, leftOut);
    keptValueCells_ += charts.keptValues;
    refusedCells_ += charts.refused;
    // The names that refer to them take their values (set before the save),
    // read while the sheets are there.
    const RepointResult names = KeepValuesOfNames(*output_, kept, leftOut);
    keptValueCells_ += names.keptValues;
    refusedCells_ += names.refused;
    pendingNames_ += names.names;
    for (const QString& name : std::as_const(leftOutInOrder))
        output_->Worksheets(name)->Delete();
    return true;
}

void Consolidation::MergeBooks() {
    sheet::ProgressView& view = sheet::ProgressWindow();
    view.SetLabelVisible(ProgressLabel::Counter, true);
    view.SetBarVisible(sheet::ProgressBar::Bar, true);
    limit_ = false;
    sheet::ClearCancelFlag();

    const int n = int(params_.books.size());
    for (int k = 2; k <= n; ++k) {
        sheet::UpdateProgress(k, n, 1);
        if (sheet::IsCancelRequested())
            break;
        MergeOneBook(params_.books.at(k - 1));
        if (limit_) {
            Say(QStringLiteral("作成するブックのシート数が制限に達しました。") + kCr + kCr +
                    QStringLiteral("処理を終了します。"),
                MsgIcon::Exclamation);
            break;
        }
    }
}

void Consolidation::MergeOneBook(const QString& bookPath) {
    switch (OpenBook(bookPath, bookPath, true, &source_)) {
    case OpenResult::Opened:
        break;
    case OpenResult::Cancelled:
        Say(CancelledPasswordMessage());
        return;
    case OpenResult::Failed:
        Say(openError_ + kCr + QStringLiteral("このブックは処理しません。") + kCr,
            MsgIcon::Exclamation);
        return;
    }

    QStringList names;
    const int count = qMin(source_->SheetCount(), kMaxSourceSheets);
    for (int i = 1; i <= count; ++i)
        names.append(source_->Worksheets(i)->Name());

    // Charts on sheets to be copied that plot a sheet left out keep the
    // numbers they show; their copies take them along.
    QSet<QString> chartsGivenData;
    QSet<QString> leftOut;
    for (const QString& name : names)
        if (IsExcludedSheet(name))
            leftOut.insert(name);
    if (!leftOut.isEmpty()) {
        QList<std::shared_ptr<sheet::Worksheet>> toCopy;
        try {
            for (const QString& name : names)
                if (!leftOut.contains(name))
                    toCopy.append(source_->Worksheets(name));
        } catch (const sheet::SheetError& error) {
            tools::RethrowIfOfficeLost(error);
        }
        KeepDataOfCharts(toCopy, leftOut, &chartsGivenData);
    }

    sheet::ProgressView& view = sheet::ProgressWindow();
    // The copies of this book, whose formulas, names and charts may refer to
    // each other.
    QList<CopiedSheet> copied;
    for (const QString& name : names) {
        if (sheet::IsCancelRequested())
            break;
        const bool excluded = IsExcludedSheet(name);
        view.SetLabelText(ProgressLabel::Item, bookPath + QLatin1Char(' ') + name);
        LetEventsRun();
        if (excluded)
            continue;
        if (records_.size() >= kMaxSheetRecords) {
            limit_ = true;
            break;
        }
        std::shared_ptr<sheet::Worksheet> original;
        std::shared_ptr<sheet::Worksheet> copy;
        try {
            original = source_->Worksheets(name);
            // With its page setup: the merged book prints as the books did.
            copy = original->Copy(sheet::Where::After, *output_->Worksheets(lastSheetName_),
                                  /*withPageSetup=*/true);
        } catch (const sheet::SheetError& error) {
            // A refused copy means the output holds as many sheets as it
            // can; a lost office is no limit.
            tools::RethrowIfOfficeLost(error);
            limit_ = true;
            break;
        }
        // A unique name made from a long sheet name is kept within what
        // the saved file can hold.
        const QString newName = KeepSheetNameShort(*output_, *copy, name);
        records_.append({newName, bookPath, name});
        lastSheetName_ = newName;
        copied.append({name, copy, original});
    }
    CarryOverReferences(names, copied, chartsGivenData);
    if (limit_)
        return; // the source workbook stays open, as when the copy failed
    source_->Close();
    source_.reset();
}

void Consolidation::CarryOverReferences(const QStringList& sheetNames,
                                        const QList<CopiedSheet>& copied,
                                        const QSet<QString>& chartsGivenData) {
    if (copied.isEmpty())
        return;
    // References between the sheets of this book lead to their copies;
    // formulas that refer to its sheets that were not copied keep their values.
    BookRefs refs;
    for (const CopiedSheet& s : copied)
        refs.renames.insert(s.sourceName, s.copy->Name());
    for (const QString& name : sheetNames)
        if (!refs.renames.contains(name))
            refs.notCopied.insert(name);
    auto tolerant = [](const std::function<void()>& step) {
        try {
            step();
        } catch (const sheet::SheetError& error) {
            tools::RethrowIfOfficeLost(error);
        }
    };
    // The book's names keep their meaning in its copies, also where book 1
    // defines a name of the same name otherwise.
    RepointResult names;
    tolerant([&] {
        CarryBookNames(*source_, *output_, copied, refs, names,
                       [this] { return app_->Workbooks().Add(); });
    });
    keptValueCells_ += names.keptValues;
    refusedCells_ += names.refused;
    pendingNames_ += names.names;
    const RepointResult formulas = RepointCopiedFormulas(*source_, copied, refs);
    refusedCells_ += formulas.refused;
    keptValueCells_ += formulas.keptValues;
    RepointResult charts;
    tolerant([&] { RepointCopiedCharts(*source_, copied, refs, &charts, chartsGivenData); });
    keptValueCells_ += charts.keptValues;
    refusedCells_ += charts.refused;
}

bool Consolidation::SaveResultBook(const QString& baseName) {
    if (!limit_)
        BuildSheetIndex();
    // No sheet comes or goes any more: the names that keep a value and the
    // books' names given to their copies are set now.
    for (const QString& entry : SetPendingNames(*output_, pendingNames_)) {
        keptValueCells_.removeOne(entry);
        refusedCells_ << entry;
    }
    pendingNames_.clear();
    try {
        std::shared_ptr<sheet::Worksheet> first = output_->Worksheets(1);
        first->Activate();
        first->Cells(1, 1)->Select();
        // Opened elsewhere while the run went on: not replaced.
        const QString locked = sheet::ForeignLockMessage(OutputFile(), OutputFile());
        if (!locked.isEmpty()) {
            Say(locked, MsgIcon::Exclamation);
            return false;
        }
        // A stop asked for now keeps what has been merged, as during the
        // merge: the save goes on, and cannot be stopped once begun.
        sheet::EnterUninterruptible();
        // In the format the output's name asks for: .xls, or .xlsx.
        const int format = OutputFileFormat(params_.outputBook);
        output_->SaveAs(baseName + QLatin1Char('.') + sheet::FileFormatExtension(format), format);
        sheet::LeaveUninterruptible();
    } catch (const sheet::SheetError& error) {
        sheet::LeaveUninterruptible();
        Say(QStringLiteral("ブックを保存できませんでした。") + kCr + OutputFile() + kCr +
                error.Text(),
            MsgIcon::Exclamation);
        return false;
    }
    return true;
}

namespace {

// Up to ten cells, one a line, and how many more there are.
QString CellList(const QStringList& cells) {
    constexpr int kShown = 10;
    QStringList shown = cells.mid(0, kShown);
    if (cells.size() > kShown)
        shown << QStringLiteral("ほか %1 件").arg(cells.size() - kShown);
    return shown.join(kCr);
}

} // namespace

void Consolidation::ReportCellsToCheck() {
    QString text;
    if (!keptValueCells_.isEmpty())
        text += QStringLiteral("次のセルは、まとめなかったシートを参照していたため、"
                               "元のブックでの値にしました。") +
                kCr + CellList(keptValueCells_);
    if (!refusedCells_.isEmpty()) {
        if (!text.isEmpty())
            text += kCr + kCr;
        text += QStringLiteral("次のセルの数式を、まとめたブックのシートを参照するように"
                               "直せませんでした。") +
                kCr + CellList(refusedCells_);
    }
    if (text.isEmpty())
        return;
    Say(text + kCr + kCr + QStringLiteral("結果のブックで確認してください。"),
        MsgIcon::Exclamation);
}

void Consolidation::CloseBooks() noexcept {
    pendingNames_.clear();
    sheet::CloseQuietly(output_);
    index_.reset();
    source_.reset();
    template_.reset();
    app_ = nullptr;
}

tools::RunOutcome Consolidation::Work(sheet::Application& office) {
    app_ = &office;
    // Without the template nothing is kept; after any other failed start
    // the user's screen is saved and the caller comes back.
    if (!Prepare())
        return tools::NoResult(templateMissing_ ? tools::AfterRun::EndWithoutSaving
                                                : tools::AfterRun::EndProgram);
    MergeBooks();
    if (!SaveResultBook(BaseName()))
        return tools::NoResult(tools::AfterRun::ReturnToCaller);
    ReportCellsToCheck();
    tools::RunOutcome outcome;
    outcome.result.file = QFileInfo(OutputFile()).absoluteFilePath();
    outcome.result.notFound = {
        QStringLiteral("表計算アプリケーションが見つからないため、ブックを開けません。") + kCr +
            QStringLiteral("作成したブック：") + OutputFile(),
        MsgIcon::Information};
    return outcome;
}

tools::RunOutcome ConsolidateBooks(const RunParams& params) {
    tools::RunFrame frame;
    frame.countCaption = QStringLiteral("ブック");
    frame.title = QStringLiteral("シートまとめ");
    frame.startFailed = [](const sheet::SheetError& error) {
        return tools::Notice{error.Text(), MsgIcon::Critical};
    };
    // The office failed in a way no step expects (it ended, or it stopped
    // answering): nothing more can be done with it.
    frame.failed = [](const sheet::SheetError& error) {
        return tools::Notice{QStringLiteral("処理中にエラーが発生しました。") + kCr + error.Text(),
                             MsgIcon::Critical};
    };
    Consolidation run(params);
    return tools::RunInOffice(frame, run);
}

} // namespace bookmrg
