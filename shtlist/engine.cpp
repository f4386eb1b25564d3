#include "shtlist/engine.h"

#include "common/error_text.h"

#include "common/messages.h"
#include "spreadsheet/office_lock.h"
#include "spreadsheet/progress.h"
#include "spreadsheet/run_files.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace shtlist {

namespace {

using common::MsgButtons;
using common::MsgIcon;
using sheet::ProgressLabel;

const QString kCr = QStringLiteral("\r");
const QString kUnchanged = QStringLiteral("元のブックは変更されていません。");

void Say(const QString& text, MsgIcon icon = MsgIcon::None) {
    common::ShowMessage(text, icon, MsgButtons::Ok);
}

// The new content is written here first: in the target's folder, so that the
// final rename replaces the file in one step, and hidden. It keeps the
// target's name (the format is given to the save, not taken from the name).
QString SaveTempPath(const QFileInfo& target) {
    return target.absolutePath() + QStringLiteral("/.~shtlist-%1-").arg(getpid()) +
           target.fileName();
}

// Says so and answers true when the workbook cannot be written back: a file
// without any write permission is read-only for its user, even where the file
// system would let this process write it.
bool RefusedAsReadOnly(const QString& path, const QString& shown) {
    const QFileInfo info(path);
    const QFileDevice::Permissions writeBits =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (info.isWritable() && (QFile::permissions(path) & writeBits))
        return false;
    Say(QStringLiteral("ブックが書き込みできないため保存できません。") + kCr + shown + kCr +
            kUnchanged,
        MsgIcon::Exclamation);
    return true;
}

// The office writes a save here first (see the workbook's SaveAs).
QString OfficeSaveTempPath(const QString& file) {
    const QFileInfo info(file);
    return info.absolutePath() + QStringLiteral("/.~") + info.fileName() +
           QStringLiteral(".%1.tmp").arg(getpid());
}

int HardLinkCount(const QString& path) {
    struct stat st {};
    if (stat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return int(st.st_nlink);
}

// Puts the content of `from` into the file `to` itself (same inode), so that
// every hard link of `to` shows it: written over the old content, then cut
// to length and synced. Answers the error, or empty.
QString WriteOver(const QString& from, const QString& to) {
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return source.errorString();
    QFile target(to);
    if (!target.open(QIODevice::ReadWrite))
        return target.errorString();
    const QByteArray bytes = source.readAll();
    if (target.write(bytes) != bytes.size() || !target.flush() || !target.resize(bytes.size()) ||
        fsync(target.handle()) != 0)
        return target.errorString();
    return QString();
}

} // namespace

QString TemplatePath() {
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + kTemplateFileName;
}

QString IndexLinkTarget(const QString& sheetName) {
    QString quoted = sheetName;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QStringLiteral("'!A1");
}

SheetListRun::SheetListRun(QString targetPath, QString templatePath)
    : targetPath_(std::move(targetPath)), templatePath_(std::move(templatePath)) {}

SheetListRun::~SheetListRun() {
    CloseBooks();
}

QString SheetListRun::TargetFile() const {
    return targetFile_.isEmpty() ? QFileInfo(targetPath_).absoluteFilePath() : targetFile_;
}

QString SheetListRun::RealFile() const {
    // The workbook may be named without its extension, as the office allows.
    QString path = QFileInfo(targetPath_).absoluteFilePath();
    if (!QFileInfo::exists(path) && QFileInfo(path).suffix().isEmpty() &&
        QFileInfo::exists(path + QStringLiteral(".xls")))
        path += QStringLiteral(".xls");
    const QString real = QFileInfo(path).canonicalFilePath();
    return real.isEmpty() ? path : real;
}

QString SheetListRun::LockedMessage() const {
    return sheet::ForeignLockMessage(RealFile(), targetPath_);
}

OpenResult SheetListRun::OpenTarget() {
    // The file itself is opened, not a link to it: the office's lock goes
    // beside it and the save replaces it, not the link.
    const QString real = RealFile();
    // Opened for editing, the office puts its lock file beside the workbook.
    sheet::RecordRunFile(sheet::OfficeLockPath(real));
    const OpenResult result = tools::OpenAskingPassword(app_->Workbooks(), real, targetPath_, {},
                                                        &target_, &openError_, &password_);
    if (result == OpenResult::Opened)
        targetFile_ = QFileInfo(targetPath_).absoluteFilePath();
    return result;
}

void SheetListRun::ReadSheetNames() {
    sheetNames_.clear();
    const int count = target_->SheetCount();
    for (int i = 1; i <= count && sheetNames_.size() < kMaxSheetNames; ++i)
        sheetNames_.append(target_->Worksheets(i)->Name());
}

bool SheetListRun::OpenTemplate() {
    try {
        template_ = sheet::OpenTemplate(app_->Workbooks(), templatePath_);
        pattern_ = template_->Worksheets(kIndexSheetName);
    } catch (const sheet::SheetError& error) {
        tools::RethrowIfOfficeLost(error);
        return false;
    }
    return true;
}

bool SheetListRun::AddIndexSheet() {
    try {
        index_ = pattern_->Copy(sheet::Where::Before, *target_->Worksheets(1));
    } catch (const sheet::SheetError& error) {
        tools::RethrowIfOfficeLost(error);
        return false;
    }
    return true;
}

bool SheetListRun::WriteSheetList() {
    index_->Activate();
    index_->Range(QStringLiteral("A1"))->SetValue(kIndexTitle);
    index_->Range(QStringLiteral("A2"))->SetValue(kIndexHint);
    const int count = int(sheetNames_.size());
    for (int i = 1; i <= count; ++i) {
        sheet::UpdateProgress(i, count, 1);
        if (sheet::IsCancelRequested())
            return false;
        const QString name = sheetNames_.at(i - 1);
        const QString address = QStringLiteral("A") + QString::number(i + 2);
        index_->Range(address)->Select();
        // The leading apostrophe keeps a name such as "2024" a text.
        index_->Hyperlinks().Add(*app_->Selection(), QString(), IndexLinkTarget(name),
                                 QLatin1Char('\'') + name);
    }
    // The font size of the whole list in one call rather than one a row.
    if (count > 0)
        index_->Range(QStringLiteral("A3:A") + QString::number(count + 2))->SetFontSize(11);
    index_->AllCells()->AutoFitColumns();
    return true;
}

bool SheetListRun::SaveTarget() {
    std::shared_ptr<sheet::Worksheet> first = target_->Worksheets(1);
    first->Activate();
    first->Cells(1, 1)->Select();

    const QString shown = TargetFile();
    const QString original = RealFile();
    const QFileInfo info(original);
    if (RefusedAsReadOnly(original, shown))
        return false;
    const QString temp = SaveTempPath(info);
    sheet::RecordRunFile(temp);
    sheet::RecordRunFile(OfficeSaveTempPath(temp));
    // The office locks the file it writes while it writes it.
    sheet::RecordRunFile(sheet::OfficeLockPath(OfficeSaveTempPath(temp)));
    QFile::remove(temp);
    try {
        // In place: the workbook keeps the format it was found in (a real
        // .xlsx named .xls stays one, uncut) and the password it was opened
        // with.
        target_->SaveAs(temp, target_->FileFormat(), password_);
    } catch (const sheet::SheetError& error) {
        QFile::remove(temp);
        tools::RethrowIfOfficeLost(error);
        Say(QStringLiteral("ブックを保存できませんでした。") + kCr + shown + kCr + error.Text() +
                kCr + kUnchanged,
            MsgIcon::Exclamation);
        return false;
    }
    if (HardLinkCount(original) > 1)
        return SaveOverHardLinkedFile(temp, original, shown);
    // The new file takes the place and the access rights of the old one.
    const QFileDevice::Permissions modeBits =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
        QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
        QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    QFile::setPermissions(temp, QFile::permissions(original) & modeBits);
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(original).constData()) !=
        0) {
        const QString reason = common::SystemErrorText(errno);
        QFile::remove(temp);
        Say(QStringLiteral("ブックを保存できませんでした。") + kCr + shown + kCr + reason + kCr +
                kUnchanged,
            MsgIcon::Exclamation);
        return false;
    }
    return true;
}

bool SheetListRun::SaveOverHardLinkedFile(const QString& temp, const QString& original,
                                          const QString& shown) {
    // A rename would give this name a new file and leave the other names on
    // the old content. The new content is written into the file itself; the
    // old content is first copied aside, so that a failed write can be
    // undone.
    const QString backup = temp + QStringLiteral(".old");
    sheet::RecordRunFile(backup);
    QFile::remove(backup);
    if (!QFile::copy(original, backup)) {
        QFile::remove(temp);
        QFile::remove(backup);
        Say(QStringLiteral("ブックを保存できませんでした。") + kCr + shown + kCr +
                QStringLiteral("元のブックの控えを作成できません。") + kCr + kUnchanged,
            MsgIcon::Exclamation);
        return false;
    }
    const QString error = WriteOver(temp, original);
    QFile::remove(temp);
    if (error.isEmpty()) {
        QFile::remove(backup);
        return true;
    }
    if (WriteOver(backup, original).isEmpty()) {
        QFile::remove(backup);
        Say(QStringLiteral("ブックを保存できませんでした。") + kCr + shown + kCr + error + kCr +
                kUnchanged,
            MsgIcon::Exclamation);
    } else {
        Say(QStringLiteral("ブックを保存できませんでした。") + kCr + shown + kCr + error + kCr +
                QStringLiteral("元のブックを戻せませんでした。元の内容は次のファイルにあります：") +
                kCr + backup,
            MsgIcon::Critical);
    }
    return false;
}

void SheetListRun::CloseBooks() noexcept {
    sheet::CloseQuietly(target_);
    index_.reset();
    pattern_.reset();
    template_.reset();
    app_ = nullptr;
}

tools::RunOutcome BuildSheetList(const QString& targetPath) {
    return BuildSheetList(targetPath, TemplatePath());
}

namespace {

// How the steps ended: the caller is started again in every case except a
// missing template, which ends the program as the gate does.
enum class Outcome { Saved, NotSaved, EndProgram };

// The steps after the office has started, each failure reported.
Outcome RunSteps(SheetListRun& run, const QString& templatePath) {
    // Known before anything is opened: the office would refuse to open a
    // write-protected workbook for writing, with a less telling message.
    if (QFileInfo::exists(run.TargetFile()) &&
        RefusedAsReadOnly(QFileInfo(run.TargetFile()).canonicalFilePath(), run.TargetFile()))
        return Outcome::NotSaved;
    // A workbook someone has open is not replaced under them.
    const QString locked = run.LockedMessage();
    if (!locked.isEmpty()) {
        Say(locked, MsgIcon::Exclamation);
        return Outcome::NotSaved;
    }
    switch (run.OpenTarget()) {
    case OpenResult::Opened:
        break;
    case OpenResult::Cancelled:
        Say(QStringLiteral("パスワードがキャンセルされました。") + kCr +
            QStringLiteral("このブックは処理しません。") + kCr);
        return Outcome::NotSaved;
    case OpenResult::Failed:
        Say(run.OpenError() + kCr + QStringLiteral("このブックは処理しません。") + kCr,
            MsgIcon::Exclamation);
        return Outcome::NotSaved;
    }
    run.ReadSheetNames();

    if (!run.OpenTemplate()) {
        Say(sheet::TemplateProblem(templatePath) + kCr + templatePath + kCr +
            QStringLiteral("処理は続行できません。") + kCr);
        return Outcome::EndProgram;
    }
    if (!run.AddIndexSheet()) {
        Say(QStringLiteral("作成するブックのシート数がExcelの制限に達しました。") + kCr + kCr +
                QStringLiteral("処理を終了します。"),
            MsgIcon::Exclamation);
        return Outcome::NotSaved;
    }
    // A stop confirmed in the progress window ends the run before anything
    // is saved.
    // A stop pressed up to the save is honoured; the save itself cannot be
    // stopped.
    if (!run.WriteSheetList() || !sheet::EnterUninterruptible()) {
        sheet::LeaveUninterruptible();
        Say(QStringLiteral("処理を中断しました。") + kCr + kUnchanged, MsgIcon::Information);
        return Outcome::NotSaved;
    }
    const bool saved = run.SaveTarget();
    sheet::LeaveUninterruptible();
    return saved ? Outcome::Saved : Outcome::NotSaved;
}

} // namespace

tools::RunOutcome SheetListRun::Work(sheet::Application& office) {
    app_ = &office;
    sheet::ProgressView& view = sheet::ProgressWindow();
    view.SetLabelVisible(ProgressLabel::Counter, true);
    view.SetBarVisible(sheet::ProgressBar::Bar, true);
    sheet::ClearCancelFlag();
    switch (RunSteps(*this, templatePath_)) {
    case Outcome::EndProgram:
        return tools::NoResult(tools::AfterRun::EndProgram);
    case Outcome::NotSaved:
        return tools::NoResult(tools::AfterRun::ReturnToCaller);
    case Outcome::Saved:
        break;
    }
    tools::RunOutcome outcome;
    outcome.result.file = TargetFile();
    outcome.result.notFound = {
        QStringLiteral("表計算アプリケーションが見つからないため、ブックを開けません。") + kCr +
            QStringLiteral("シート一覧を追加したブック：") + TargetFile(),
        MsgIcon::Information};
    return outcome;
}

tools::RunOutcome BuildSheetList(const QString& targetPath, const QString& templatePath) {
    tools::RunFrame frame;
    frame.countCaption = QStringLiteral("シート");
    frame.title = kIndexSheetName;
    frame.startFailed = [](const sheet::SheetError& error) {
        return tools::Notice{error.Text(), MsgIcon::Critical};
    };
    // The office failed in a way no step expects (it ended, or it stopped
    // answering): nothing more can be done with it, and the workbook on disk
    // has not been touched.
    frame.failed = [](const sheet::SheetError& error) {
        return tools::Notice{QStringLiteral("処理中にエラーが発生しました。") + kCr + error.Text() +
                                 kCr + kUnchanged,
                             MsgIcon::Critical};
    };
    SheetListRun run(targetPath, templatePath);
    return tools::RunInOffice(frame, run);
}

} // namespace shtlist
