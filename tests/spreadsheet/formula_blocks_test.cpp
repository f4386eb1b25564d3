// Grouping formula cells into blocks written in one call each.

#include "spreadsheet/lo/formula_blocks.h"

#include <gtest/gtest.h>

namespace {

using sheet::FormulaCell;
using sheet::lo::FormulaBlock;
using sheet::lo::FormulaBlocks;

FormulaCell At(int row, int column, const QString& formula) {
    return FormulaCell{row, column, formula, 0, 0};
}

// "r1,c1-r2,c2" (0-based) for readable expectations.
QString Area(const FormulaBlock& b) {
    return QStringLiteral("%1,%2-%3,%4").arg(b.r1).arg(b.c1).arg(b.r2).arg(b.c2);
}

TEST(FormulaBlocks, NeighboursInARowAndTheSameColumnsBelowMakeOneBlock) {
    const QList<FormulaBlock> blocks = FormulaBlocks({
        At(2, 2, "=1"), At(2, 3, "=2"), At(2, 4, "=3"), // B2:D2
        At(3, 2, "=4"), At(3, 3, "=5"), At(3, 4, "=6"), // B3:D3
    });
    ASSERT_EQ(blocks.size(), 1);
    EXPECT_EQ(Area(blocks[0]), "1,1-2,3");
    EXPECT_EQ(blocks[0].formulas, (QList<QStringList>{{"=1", "=2", "=3"}, {"=4", "=5", "=6"}}));
}

TEST(FormulaBlocks, GapsAndOtherColumnSpansStartNewBlocks) {
    const QList<FormulaBlock> blocks = FormulaBlocks({
        At(1, 1, "=a"), At(1, 2, "=b"), At(1, 4, "=c"), // a gap at C1
        At(2, 1, "=d"),                                 // A2 alone: not A:B
        At(4, 1, "=e"), At(4, 2, "=f"),                 // row 3 empty
    });
    QStringList areas;
    for (const FormulaBlock& b : blocks)
        areas << Area(b);
    EXPECT_EQ(areas, QStringList({"0,0-0,1", "0,3-0,3", "1,0-1,0", "3,0-3,1"}));
    // Every formula is written exactly once.
    int cells = 0;
    for (const FormulaBlock& b : blocks)
        for (const QStringList& row : b.formulas)
            cells += int(row.size());
    EXPECT_EQ(cells, 6);
}

TEST(FormulaBlocks, OrderOfTheCallerDoesNotMatterAndTheLaterFormulaForACellCounts) {
    const QList<FormulaBlock> blocks = FormulaBlocks({
        At(2, 2, "=late"),
        At(1, 1, "=x"),
        At(1, 2, "=y"),
        At(2, 1, "=z"),
        At(2, 2, "=later"),
    });
    ASSERT_EQ(blocks.size(), 1);
    EXPECT_EQ(Area(blocks[0]), "0,0-1,1");
    EXPECT_EQ(blocks[0].formulas, (QList<QStringList>{{"=x", "=y"}, {"=z", "=later"}}));
}

TEST(FormulaBlocks, BlocksSideBySideGrowIndependently) {
    // Two columns of formulas with an empty column between them: two tall
    // blocks, not one block per row.
    QList<FormulaCell> cells;
    for (int row = 1; row <= 50; ++row) {
        cells << At(row, 1, QStringLiteral("=A%1").arg(row));
        cells << At(row, 3, QStringLiteral("=C%1").arg(row));
    }
    const QList<FormulaBlock> blocks = FormulaBlocks(cells);
    ASSERT_EQ(blocks.size(), 2);
    EXPECT_EQ(Area(blocks[0]), "0,0-49,0");
    EXPECT_EQ(Area(blocks[1]), "0,2-49,2");
    EXPECT_EQ(blocks[1].formulas.last(), QStringList{"=C50"});
    EXPECT_TRUE(FormulaBlocks({}).isEmpty());
}

} // namespace
