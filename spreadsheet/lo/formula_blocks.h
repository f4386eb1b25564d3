#pragma once

// Formula cells grouped into rectangular blocks, so that neighbouring cells
// are written to the office in one call each.

#include "spreadsheet/spreadsheet.h"

#include <QList>
#include <QStringList>

namespace sheet::lo {

// A block of neighbouring cells: rows r1..r2, columns c1..c2 (0-based), and
// their formulas row by row.
struct FormulaBlock {
    int r1 = 0, c1 = 0, r2 = 0, c2 = 0;
    QList<QStringList> formulas;
};

// The cells grouped into blocks: runs of neighbouring cells in a row, and runs
// over the same columns in neighbouring rows joined into one block. Of two
// formulas for one cell the later one counts. Array formulas are not
// grouped: callers enter them over their areas themselves.
QList<FormulaBlock> FormulaBlocks(QList<FormulaCell> cells);

} // namespace sheet::lo
