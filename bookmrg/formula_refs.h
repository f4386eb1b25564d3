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

// What re-pointing did: the cells set; the cells whose formula the office
// refused ("Sheet!B4"), which keep what the copy made of them; the cells that
// referred to sheets not copied and now hold the book's value.
struct RepointResult {
    int set = 0;
    QStringList refused;
    QStringList keptValues;
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

// What a defined name whose content is one cell of a sheet of `notCopied`
// becomes once that sheet is gone: the value the cell has in `book`, as a
// constant ("5", "\"text\""). Nothing for any other content (no such
// sheet, an area, a formula), which the caller reports.
std::optional<QString> ConstantForName(sheet::Workbook& book, const QString& content,
                                       const QSet<QString>& notCopied);
// Whether a name's content refers to a sheet of `notCopied`.
bool NameRefersToNotCopied(const QString& content, const QSet<QString>& notCopied);

// In a workbook whose sheets of `leftOut` are to be deleted, the
// workbook-level names that refer to one cell of them take the value it has
// as their content, so that the formulas that use them keep reading it: the
// values are read, `deleteLeftOut` deletes those sheets, then the names are
// set. Listed as "名前 Rate" in `keptValues`; other names that refer to
// those sheets (an area, a formula, a sheet-scoped name of a `kept` sheet:
// "名前 表!Rate") are listed in `refused` for the user to check.
RepointResult KeepValuesOfNames(sheet::Workbook& book,
                                const QList<std::shared_ptr<sheet::Worksheet>>& kept,
                                const QSet<QString>& leftOut,
                                const std::function<void()>& deleteLeftOut);

// Gives the copies the book's workbook-level names that the output does not
// already define alike, as names of each copy's own, their references
// rewritten as for formulas. The names that refer to a sheet not copied
// (also a copied sheet's own ones, "名前 表_2!Rate") are listed in
// `listed.refused` for the user to check. Adds the names given to the
// copies to `refs.ownNames`.
void CarryBookNames(sheet::Workbook& source, sheet::Workbook& output,
                    const QList<CopiedSheet>& copied, BookRefs& refs,
                    RepointResult* listed = nullptr);

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
