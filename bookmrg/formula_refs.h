#pragma once

// Formulas, names and charts of copied sheets that refer to other sheets of
// their own book. The office turns such a reference into a link to the source
// file when a sheet is copied into another workbook (the link loses its sheet
// name in the saved .xls), resolves the book's names against the output's
// names of the same name, and leaves charts plotting the output's sheet of
// the source sheet's name. These functions point everything at the copies.

#include "spreadsheet/spreadsheet.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace bookmrg {

// Sheet name in the source book -> the name of its copy in the output.
using SheetRenames = QHash<QString, QString>;

// How the references of one book's copies are rewritten.
struct BookRefs {
    // Copied sheets: a reference leads to the copy.
    SheetRenames renames;
    // The book's sheets that were not copied (left out, or not reached): a
    // formula that refers to one keeps the value it had in the book.
    QSet<QString> notCopied;
    // Names (upper case) that the copies define for themselves: formulas
    // that use them are entered again so that they read the copy's own.
    QSet<QString> ownNames;
};

// The formula (office notation, see sheet::FormulaCell) with every reference
// to a sheet named in `renames` written with the copy's name; references to
// other files and to sheets not in `renames` are kept as they are. Nothing
// when the formula refers to none of those sheets.
std::optional<QString> RepointSheetRefs(const QString& formula, const SheetRenames& renames);

// The formula as it must be entered in a copy of its sheet: references to
// copied sheets lead to the copies. Nothing when the copy made by the office
// is right already: the formula refers to no other sheet of its book and
// uses no name in `ownNames` (links to other files stay as the copy has
// them).
std::optional<QString> RewriteForCopy(const QString& formula, const BookRefs& refs);
// Whether the formula refers to a sheet of `refs.notCopied`.
bool RefersToNotCopied(const QString& formula, const BookRefs& refs);

struct CopiedSheet {
    QString sourceName;
    std::shared_ptr<sheet::Worksheet> copy;
    // The sheet in the source book; looked up by name when not given.
    std::shared_ptr<sheet::Worksheet> source = nullptr;
};

// A defined name to be set once the output's sheets are all in place (see
// SetPendingNames): one that takes the value it had in its book in place of
// a reference to a sheet that is not in the output, or a book's name given
// to a copy.
struct PendingName {
    std::shared_ptr<sheet::Worksheet> sheet; // its sheet; nullptr: workbook-level
    sheet::DefinedName name;                 // with its new content
    QString entry; // as listed: "名前 Rate", "名前 表!Loc"; empty when not listed
};

// What re-pointing did: the cells set; the cells whose formula the office
// refused ("Sheet!B4"), which keep what the copy made of them; the cells that
// referred to sheets not copied and now hold the book's value.
struct RepointResult {
    int set = 0;
    QStringList refused;
    QStringList keptValues;
    // Names to set once the output's sheets are all in place; those that
    // take a value are listed in `keptValues` already.
    QList<PendingName> names;
};

// For every copied sheet, reads the formulas of its source sheet and sets in
// the copy those that RewriteForCopy rewrites. A block the office refuses is
// entered again cell by cell; the cells it still refuses are reported. A
// formula that refers to a sheet not copied is replaced by its value in the
// book.
RepointResult RepointCopiedFormulas(sheet::Workbook& source, const QList<CopiedSheet>& copied,
                                    const BookRefs& refs);
// In these sheets, the formulas that refer to a sheet of `leftOut` (about to
// be deleted) are replaced by the values they show: those cells are in
// `keptValues`, the ones the office refused in `refused`.
RepointResult KeepValuesOfReferences(const QList<std::shared_ptr<sheet::Worksheet>>& sheets,
                                     const QSet<QString>& leftOut);
// The same with only the copied sheets' references (no file, no names).
int RepointCopiedFormulas(sheet::Workbook& source, const QList<CopiedSheet>& copied);

// What a defined name that refers to a sheet of `notCopied` becomes once
// that sheet is gone, as a constant read in `book`, when the name means the
// same wherever it is used (no reference relative to the cell using it, no
// function whose value changes by itself or depends on its place): one
// cell's value ("5", "\"text\"", an empty cell as 0); an area's values as an
// array constant ("{5|7}", columns split by ";", rows by "|"; not for more
// than a few hundred cells); the one value of a formula, no error, worked
// out in a cell of such a sheet (for a book that takes no formulas, opened
// read-only: in copies of its sheets in a workbook from `newWorkbook`,
// closed after). Nothing otherwise, which the caller reports.
using NewWorkbook = std::function<std::shared_ptr<sheet::Workbook>()>;
std::optional<QString> ConstantForName(sheet::Workbook& book, const QString& content,
                                       const QSet<QString>& notCopied,
                                       const NewWorkbook& newWorkbook = {});
// Whether a name's content refers to a sheet of `notCopied`.
bool NameRefersToNotCopied(const QString& content, const QSet<QString>& notCopied);

// The names of `book` that refer to a sheet of `leftOut`, while those sheets
// are still there: the workbook-level ones and those of the `kept` sheets.
// Those that ConstantForName gives a value are in `names` and listed in
// `keptValues` ("名前 Rate", "名前 表!Loc"); the others in `refused`.
RepointResult KeepValuesOfNames(sheet::Workbook& book,
                                const QList<std::shared_ptr<sheet::Worksheet>>& kept,
                                const QSet<QString>& leftOut);
// Sets the names; the formulas that use a name of the same name read them
// from then on. Call it when no sheet is added or deleted any more: a sheet
// put in front of a sheet whose own name was set before, or a name set after
// that, cuts the link of the formulas to that sheet's name (they read
// #NAME?, and the saved workbook holds them without the name: "=Loc+1"
// becomes "=+1"). Answers the entries of the listed names that the office
// refused.
QStringList SetPendingNames(sheet::Workbook& book, const QList<PendingName>& names);

// Gives the copies the book's workbook-level names that the output does not
// already define alike, as names of each copy's own, their references
// rewritten as for formulas; they go to `listed.names` for SetPendingNames.
// A name that refers to a sheet not copied takes its value as
// ConstantForName gives it and is listed in `listed.keptValues`, also a
// copied sheet's own such name ("名前 表_2!Loc"); one without a value is
// listed in `listed.refused` for the user to check.
void CarryBookNames(sheet::Workbook& source, sheet::Workbook& output,
                    const QList<CopiedSheet>& copied, const BookRefs& refs, RepointResult& listed,
                    const NewWorkbook& newWorkbook = {});

// Points the charts of the copies at the copied sheets: each copy's charts
// plot what their source charts plot, with the references rewritten as for
// formulas. A chart that also plots a sheet not copied is listed with the
// copy's names ("グラフ 表_2!売上"): in `listed.keptValues` when its source
// chart was given its own numbers before the copy (named "表!売上" in
// `givenData`, see KeepDataOfCharts), else in `listed.refused`, left as the
// copy has it. Answers the charts changed.
int RepointCopiedCharts(sheet::Workbook& source, const QList<CopiedSheet>& copied,
                        const BookRefs& refs, RepointResult* listed = nullptr,
                        const QSet<QString>& givenData = {});
// Gives every chart on these sheets that plots a sheet of `leftOut` its own
// copy of the numbers it shows, so that it keeps them once that sheet is
// gone. The charts are listed as "グラフ 表!売上": kept in `keptValues`, those
// the office refused in `refused`; `given`, when set, gets "表!売上" of each
// one kept.
RepointResult KeepDataOfCharts(const QList<std::shared_ptr<sheet::Worksheet>>& sheets,
                               const QSet<QString>& leftOut, QSet<QString>* given = nullptr);

} // namespace bookmrg
