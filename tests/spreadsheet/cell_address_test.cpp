#include "spreadsheet/cell_address.h"
#include "spreadsheet/palette.h"

#include <gtest/gtest.h>

namespace {

TEST(CellAddress, ColumnsAndAddresses) {
    EXPECT_EQ(sheet::ColumnLetters(1), QStringLiteral("A"));
    EXPECT_EQ(sheet::ColumnLetters(26), QStringLiteral("Z"));
    EXPECT_EQ(sheet::ColumnLetters(27), QStringLiteral("AA"));
    EXPECT_EQ(sheet::ColumnLetters(52), QStringLiteral("AZ"));
    EXPECT_EQ(sheet::ColumnLetters(703), QStringLiteral("AAA"));
    EXPECT_EQ(sheet::A1Address(3, 2, 3, 2), QStringLiteral("B3"));
    EXPECT_EQ(sheet::A1Address(2, 4, 18, 4), QStringLiteral("D2:D18"));
}

TEST(CellAddress, SubAddressesBecomeOfficeLinkTargets) {
    EXPECT_EQ(sheet::LinkUrl(QString(), QStringLiteral("'Data'!B1")), QStringLiteral("#'Data'.B1"));
    EXPECT_EQ(sheet::LinkUrl(QString(), QStringLiteral("'A B'!A1")), QStringLiteral("#'A B'.A1"));
    // Quotes in a name: given plain or doubled, always doubled in the target.
    EXPECT_EQ(sheet::LinkUrl(QString(), QStringLiteral("'O'Brien'!B1")),
              QStringLiteral("#'O''Brien'.B1"));
    EXPECT_EQ(sheet::LinkUrl(QString(), QStringLiteral("'O''Brien'!B1")),
              QStringLiteral("#'O''Brien'.B1"));
    EXPECT_EQ(sheet::LinkUrl(QString(), QStringLiteral("Sheet1!A1")),
              QStringLiteral("#'Sheet1'.A1"));
    EXPECT_EQ(sheet::LinkUrl(QString(), QStringLiteral("'a!b'!B1")), QStringLiteral("#'a!b'.B1"));
    EXPECT_EQ(sheet::LinkUrl(QString(), QStringLiteral("SC_ユーザ数")),
              QStringLiteral("#SC_ユーザ数"));
    EXPECT_EQ(sheet::LinkUrl(QStringLiteral("http://x/"), QString()), QStringLiteral("http://x/"));

    EXPECT_EQ(sheet::SubAddressSheet(QStringLiteral("'O''Brien'!A1")), QStringLiteral("O'Brien"));
    EXPECT_EQ(sheet::SubAddressSheet(QStringLiteral("'2024'!B1")), QStringLiteral("2024"));
    EXPECT_EQ(sheet::SubAddressSheet(QStringLiteral("A1")), QString());

    EXPECT_EQ(sheet::WithoutTextPrefix(QStringLiteral("'2024")), QStringLiteral("2024"));
    EXPECT_EQ(sheet::WithoutTextPrefix(QStringLiteral("''x")), QStringLiteral("'x"));
    EXPECT_EQ(sheet::WithoutTextPrefix(QStringLiteral("x'")), QStringLiteral("x'"));
}

TEST(Palette, ClassicIndexes) {
    EXPECT_EQ(sheet::PaletteColor(1), 0x000000);
    EXPECT_EQ(sheet::PaletteColor(2), 0xFFFFFF);
    EXPECT_EQ(sheet::PaletteColor(40), 0xFFCC99);
    EXPECT_EQ(sheet::PaletteColor(56), 0x333333);
    EXPECT_EQ(sheet::PaletteColor(0), -1);
    EXPECT_EQ(sheet::PaletteColor(57), -1);
    EXPECT_EQ(sheet::PaletteColor(-4105), -1);
}

// Ranges of charts and names in the office's notation: the sheet, quoted or
// not, with doubled quotes inside; a range without a sheet part is refused.
TEST(SplitRangeText, SheetAndCells) {
    QString sheetName, cells;
    ASSERT_TRUE(sheet::SplitRangeText(QStringLiteral("$Data.$A$1:$B$5"), &sheetName, &cells));
    EXPECT_EQ(sheetName, QStringLiteral("Data"));
    EXPECT_EQ(cells, QStringLiteral("$A$1:$B$5"));
    ASSERT_TRUE(sheet::SplitRangeText(QStringLiteral("$'O''Brien 表'.B1"), &sheetName, &cells));
    EXPECT_EQ(sheetName, QStringLiteral("O'Brien 表"));
    EXPECT_EQ(cells, QStringLiteral("B1"));
    EXPECT_FALSE(sheet::SplitRangeText(QStringLiteral("$A$1:$B$5"), &sheetName, &cells));
    EXPECT_FALSE(sheet::SplitRangeText(QStringLiteral("''.A1"), &sheetName, &cells));
}

} // namespace
