#pragma once

// The consolidation run: the sheets of the listed books are copied into one
// new workbook, behind the sheets of a copy of the first book, and a sheet
// list with a link to every sheet is put in front.

#include "bookmrg/formula_refs.h"
#include "bookmrg/run_params.h"
#include "spreadsheet/spreadsheet.h"
#include "workbook_tools/office_run.h"
#include "workbook_tools/password_prompt.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

namespace bookmrg {

// One row of the sheet list.
struct SheetRecord {
    QString newSheetName;    // the sheet's name in the output workbook
    QString sourceBook;      // the book's path as listed
    QString sourceSheetName; // the sheet's name in that book
};

inline constexpr int kMaxSheetRecords = 10000;
inline constexpr int kMaxSourceSheets = 32000;
inline const QString kIndexSheetName = QStringLiteral("シート一覧");
inline const QString kTemplateFileName = QStringLiteral("BOOKMRGX.EXL");

// The run. Everything that went wrong has been reported to the user; the
// outcome says how the program goes on, and which workbook to open for the
// user. Nothing of the run is left when it returns (its office has ended,
// book 1's working copy is gone).
tools::RunOutcome ConsolidateBooks(const RunParams& params);

// The template workbook next to the program.
QString TemplatePath();

// The sub-address of a sheet list link: the sheet name in apostrophes (its
// own apostrophes doubled), "!B1".
QString IndexLinkTarget(const QString& sheetName);

using tools::OpenResult;

// The steps of a run with their state; ConsolidateBooks runs them in the
// office. Removes book 1's working copy when it goes.
class Consolidation : public tools::OfficeSteps {
public:
    explicit Consolidation(RunParams params);
    ~Consolidation() override;
    Consolidation(const Consolidation&) = delete;
    Consolidation& operator=(const Consolidation&) = delete;

    tools::RunOutcome Work(sheet::Application& office) override;
    void CloseBooks() noexcept override;

    // Opens the template and the output (a copy of book 1 without its
    // excluded sheets). False when the run cannot go on; the reason has been
    // shown.
    bool Prepare();
    // Merges books 2..n until the cancel flag or the limit flag stops it.
    void MergeBooks();
    // Copies the sheets of one listed book behind the output's last sheet.
    void MergeOneBook(const QString& bookPath);
    // Builds the sheet list (unless the limit was reached) and saves. False
    // when the save failed (reported).
    bool SaveResultBook(const QString& baseName);
    void BuildSheetIndex();
    // Tells the user which cells hold a book's value instead of a formula
    // that referred to a sheet not merged, and which kept a formula that
    // could not be pointed at the merged book's sheets (nothing when none).
    void ReportCellsToCheck();

    bool IsExcludedSheet(const QString& sheetName) const;
    const QList<SheetRecord>& Records() const { return records_; }
    // Cells ("Sheet!B4") whose formula the office refused to take re-pointed.
    const QStringList& RefusedCells() const { return refusedCells_; }
    // Cells that referred to a sheet not merged and now hold the book's value.
    const QStringList& KeptValueCells() const { return keptValueCells_; }
    bool LimitReached() const { return limit_; }
    QString BaseName() const;
    QString OutputFile() const;

private:
    // Removes the working copy of book 1 (and the office's lock beside it).
    void DiscardWorkingCopy();
    // The sheets of the listed books that are not classic workbooks, against
    // the limits of a classic output: false (reported) when one would not
    // fit.
    bool CheckClassicLimits();
    bool CopyFirstBook();
    // After the copies of one book: its names, the formulas and the charts of
    // the copies point at the copies; references to sheets not copied keep
    // their values. `chartsGivenData`: the book's charts ("表!売上") that
    // hold their numbers themselves since they plot a sheet not copied.
    void CarryOverReferences(const QStringList& sheetNames, const QList<CopiedSheet>& copied,
                             const QSet<QString>& chartsGivenData);
    bool DeleteExcludedSheets();
    // Opens a workbook, asking for its password while it is refused as
    // protected. `shownPath` is the path the user knows the book by.
    OpenResult OpenBook(const QString& path, const QString& shownPath, bool readOnly,
                        std::shared_ptr<sheet::Workbook>* book);

    RunParams params_;
    sheet::Application* app_ = nullptr; // the run's office, while it works
    std::shared_ptr<sheet::Workbook> template_;
    std::shared_ptr<sheet::Workbook> output_;
    std::shared_ptr<sheet::Workbook> source_;
    std::shared_ptr<sheet::Worksheet> index_;
    QList<SheetRecord> records_;
    QString lastSheetName_;
    QString workingCopy_; // book 1's copy that the output is built in
    QString openError_;   // "number text" of the last failed open
    QStringList refusedCells_;
    QStringList keptValueCells_;
    // Names set just before the save (see SetPendingNames).
    QList<PendingName> pendingNames_;
    bool limit_ = false;
    bool templateMissing_ = false;
    // Passwords the books were opened with, and books whose password was
    // not given, by listed path: each is asked once a run.
    QHash<QString, QString> passwords_;
    QSet<QString> cancelledBooks_;
};

} // namespace bookmrg
