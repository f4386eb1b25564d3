#pragma once

// The sheet list run: a pattern sheet from the program's template workbook
// is put in front of the sheets of one existing workbook, one link per sheet
// the workbook had is written on it, and the workbook is saved in place.

#include "spreadsheet/spreadsheet.h"
#include "workbook_tools/office_run.h"
#include "workbook_tools/password_prompt.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace shtlist {

inline const QString kIndexSheetName = QStringLiteral("シート一覧");
inline const QString kTemplateFileName = QStringLiteral("SHTLISTX.EXL");
inline const QString kIndexTitle = QStringLiteral("※※　目　　次　※※");
inline const QString kIndexHint = QStringLiteral("クリックすると該当シートに移動します");
inline constexpr int kMaxSheetNames = 32000;

// The template workbook next to the program.
QString TemplatePath();

// The sub-address of a link to cell A1 of a sheet: the name in apostrophes
// (its own apostrophes doubled), "!A1".
QString IndexLinkTarget(const QString& sheetName);

// The run on a workbook, with the template next to the program.
// Everything that went wrong has been reported to the user; the outcome says
// how the program goes on, and which workbook to open for the user. The run's
// office has ended when it returns.
tools::RunOutcome BuildSheetList(const QString& targetPath);
// The same with the template given (tests).
tools::RunOutcome BuildSheetList(const QString& targetPath, const QString& templatePath);

using tools::OpenResult;

// The steps of a run and their state; BuildSheetList runs them in the office.
// A step that meets a failure of the office throws sheet::SheetError.
class SheetListRun : public tools::OfficeSteps {
public:
    SheetListRun(QString targetPath, QString templatePath);
    ~SheetListRun() override;
    SheetListRun(const SheetListRun&) = delete;
    SheetListRun& operator=(const SheetListRun&) = delete;

    tools::RunOutcome Work(sheet::Application& office) override;
    // Closes the target without saving and drops the office's objects.
    void CloseBooks() noexcept override;

    // Opens the target workbook, asking for its password while it is refused
    // as protected.
    OpenResult OpenTarget();
    // The names of the target's sheets in order, at most kMaxSheetNames.
    void ReadSheetNames();
    // Opens the template workbook; false when it or its pattern sheet is
    // missing.
    bool OpenTemplate();
    // Copies the pattern sheet in front of the target's sheets; false when
    // the copy fails.
    bool AddIndexSheet();
    // Title, hint and one link per sheet name. False when the user stopped
    // the run in the progress window.
    bool WriteSheetList();
    // Saves the target over the file it was opened from, in the format it
    // was found in and with the password it was opened with: written to a
    // new file beside it and renamed over it only when complete, so a failure
    // leaves the original as it was. A workbook reached through a symbolic
    // link is saved over the file the link leads to; one with further hard
    // links is written in place (after a copy of the old content is safe
    // beside it) so that every name shows the new content. False when it
    // failed (reported).
    bool SaveTarget();
    const QStringList& SheetNames() const { return sheetNames_; }
    // The error of the last failed open, as "number description".
    const QString& OpenError() const { return openError_; }
    // The file the target was opened from.
    QString TargetFile() const;
    // The file the target's path leads to: symbolic links resolved.
    QString RealFile() const;
    // Why the target may not be opened for editing: someone holds it open
    // (the office's lock file beside it). Empty when it is free; a dead
    // run's lock is removed.
    QString LockedMessage() const;

private:
    bool SaveOverHardLinkedFile(const QString& temp, const QString& original, const QString& shown);

    QString targetPath_;
    QString templatePath_;
    QString targetFile_;
    QString openError_;
    QString password_; // the one the target was opened with, to save it with
    QStringList sheetNames_;
    sheet::Application* app_ = nullptr; // the run's office, while it works
    std::shared_ptr<sheet::Workbook> target_;
    std::shared_ptr<sheet::Workbook> template_;
    std::shared_ptr<sheet::Worksheet> pattern_;
    std::shared_ptr<sheet::Worksheet> index_;
};

} // namespace shtlist
