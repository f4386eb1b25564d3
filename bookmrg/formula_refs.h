#pragma once

// Formulas of copied sheets that refer to other sheets of their own book.
// The office turns such a reference into a link to the source file when a
// sheet is copied into another workbook; the link loses its sheet name in the
// saved .xls. These functions point the references at the copies instead.

#include "spreadsheet/spreadsheet.h"

#include <QHash>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace bookmrg {

// Sheet name in the source book -> the name of its copy in the output.
using SheetRenames = QHash<QString, QString>;

// The formula (office notation, see sheet::FormulaCell) with every reference
// to a sheet named in `renames` written with the copy's name; references to
// other files and to sheets not in `renames` are kept as they are. Nothing
// when the formula refers to none of those sheets.
std::optional<QString> RepointSheetRefs(const QString& formula, const SheetRenames& renames);

struct CopiedSheet {
    QString sourceName;
    std::shared_ptr<sheet::Worksheet> copy;
};

// For every copied sheet, reads the formulas of its source sheet and sets in
// the copy those that refer to sheets of the same book, pointed at their
// copies. A formula the office refuses leaves that cell as the copy made it.
// Answers the number of cells set.
int RepointCopiedFormulas(sheet::Workbook& source, const QList<CopiedSheet>& copied);

} // namespace bookmrg
