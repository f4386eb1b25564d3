#include "spreadsheet/lo/formula_blocks.h"

#include <QHash>

#include <algorithm>

namespace sheet::lo {

QList<FormulaBlock> FormulaBlocks(QList<FormulaCell> cells) {
    // Stable: of two formulas for one cell, the later one stays.
    std::stable_sort(cells.begin(), cells.end(), [](const FormulaCell& x, const FormulaCell& y) {
        return x.row != y.row ? x.row < y.row : x.column < y.column;
    });
    QList<FormulaBlock> runs;
    for (const FormulaCell& cell : cells) {
        const int r = cell.row - 1;
        const int c = cell.column - 1;
        if (!runs.isEmpty() && runs.last().r1 == r && runs.last().c2 == c - 1) {
            runs.last().c2 = c;
            runs.last().formulas.first().append(cell.formula);
        } else if (!runs.isEmpty() && runs.last().r1 == r && runs.last().c2 == c) {
            runs.last().formulas.first().last() = cell.formula; // the same cell again
        } else {
            runs.append({r, c, r, c, {QStringList{cell.formula}}});
        }
    }
    // A block waits to be continued under the key of its columns and its
    // last row.
    auto key = [](int c1, int c2, int lastRow) {
        return (quint64(c1) << 42) | (quint64(c2) << 21) | quint64(lastRow);
    };
    QList<FormulaBlock> blocks;
    QHash<quint64, qsizetype> open;
    for (FormulaBlock& run : runs) {
        const auto above = open.constFind(key(run.c1, run.c2, run.r1 - 1));
        if (run.r1 > 0 && above != open.constEnd()) {
            const qsizetype at = above.value();
            open.erase(above);
            blocks[at].r2 = run.r1;
            blocks[at].formulas.append(run.formulas.first());
            open.insert(key(run.c1, run.c2, run.r1), at);
        } else {
            open.insert(key(run.c1, run.c2, run.r1), blocks.size());
            blocks.append(std::move(run));
        }
    }
    return blocks;
}

} // namespace sheet::lo
