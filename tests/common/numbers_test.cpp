#include <gtest/gtest.h>

#include <limits>

#include "common/fixed4.h"
#include "common/numbers.h"

using common::Fixed4;
using common::FormatNumber;
using common::FormatRightAligned;
using common::ParseAmount;

namespace {

Fixed4 F(double v) {
    return Fixed4::FromDouble(v);
}

const Fixed4 kMax = Fixed4::FromRaw(std::numeric_limits<std::int64_t>::max());

} // namespace

TEST(Fixed4, ProductsRoundHalfAwayFromZeroWithoutIntermediateOverflow) {
    EXPECT_EQ((F(0.0001) * F(0.5)).Raw(), 1);
    EXPECT_EQ((F(-0.0001) * F(0.5)).Raw(), -1);
    EXPECT_EQ((F(0.0001) * F(0.4999)).Raw(), 0);
    EXPECT_EQ(F(-1.23456).Raw(), -12346);
    EXPECT_EQ(F(-2.5).RoundToWhole(), -3);
    // The raw product exceeds 64 bits; the rounded result fits.
    const Fixed4 half = Fixed4::FromInt(900'000'000'000) * F(0.5);
    EXPECT_FALSE(half.Overflowed());
    EXPECT_EQ(half, Fixed4::FromInt(450'000'000'000));
}

TEST(Fixed4, OverflowIsDetectedAndSticky) {
    EXPECT_TRUE((kMax + Fixed4::FromRaw(1)).Overflowed());
    EXPECT_TRUE((-kMax - Fixed4::FromRaw(2)).Overflowed());
    EXPECT_TRUE((kMax * Fixed4::FromInt(2)).Overflowed());
    EXPECT_TRUE(Fixed4::FromInt(1'000'000'000'000'000).Overflowed());
    EXPECT_TRUE(F(1e300).Overflowed());
    EXPECT_TRUE(F(std::numeric_limits<double>::quiet_NaN()).Overflowed());
    EXPECT_TRUE(((kMax * kMax) - kMax + Fixed4::FromInt(1)).Overflowed());
    EXPECT_FALSE((kMax - Fixed4::FromInt(1)).Overflowed());
}

TEST(ParseAmount, AcceptsWhatUsersType) {
    EXPECT_EQ(ParseAmount("80,000"), Fixed4::FromInt(80000));
    EXPECT_EQ(ParseAmount("  -1,234.5 "), F(-1234.5));
    EXPECT_EQ(ParseAmount(".25"), F(0.25));
    EXPECT_EQ(ParseAmount("\t+12\r\n"), Fixed4::FromInt(12));
    EXPECT_EQ(ParseAmount(QString::fromUtf16(u"\u3000"
                                             u"12\0",
                                             4)),
              Fixed4::FromInt(12));
    EXPECT_EQ(ParseAmount("¥1,000"), Fixed4::FromInt(1000));
    EXPECT_EQ(ParseAmount("-1.23455"), F(-1.2346));
    EXPECT_EQ(ParseAmount("922,337,203,685,477.5807"), kMax);
    // Full-width forms from a Japanese input method.
    EXPECT_EQ(ParseAmount("８０，０００"), Fixed4::FromInt(80000));
    EXPECT_EQ(ParseAmount("－１２．５"), F(-12.5));
    EXPECT_EQ(ParseAmount("\u22123"), Fixed4::FromInt(-3));
}

TEST(ParseAmount, TextsThatDoNotConvertGiveZero) {
    for (const char* bad : {"", "   ", "abc", "12a", "1.2.3", "--1", ",5", "-", ".", "1 2",
                            "922,337,203,685,478", "99999999999999999999"}) {
        const Fixed4 v = ParseAmount(QString::fromUtf8(bad));
        EXPECT_EQ(v.Raw(), 0) << bad;
        EXPECT_FALSE(v.Overflowed()) << bad;
    }
}

TEST(FormatNumber, PatternsGroupPadAndRoundHalfAwayFromZero) {
    EXPECT_EQ(FormatNumber(Fixed4::FromInt(1234567), "#,##0"), "1,234,567");
    EXPECT_EQ(FormatNumber(Fixed4(), "#,##0"), "0");
    EXPECT_EQ(FormatNumber(Fixed4(), "##,###"), "");
    EXPECT_EQ(FormatNumber(1000.0, "##,##0"), "1,000");
    EXPECT_EQ(FormatNumber(0.0, "#0"), "0");
    EXPECT_EQ(FormatNumber(Fixed4::FromInt(-1234), "#,##0"), "-1,234");
    EXPECT_EQ(FormatNumber(Fixed4::FromRaw(std::numeric_limits<std::int64_t>::min()), "#,##0"),
              "-922,337,203,685,478");
    EXPECT_EQ(FormatNumber(0.5, "#,##0"), "1");
    EXPECT_EQ(FormatNumber(2.5, "#,##0"), "3");
    EXPECT_EQ(FormatNumber(-2.5, "#,##0"), "-3");
    EXPECT_EQ(FormatNumber(-0.4, "#,##0"), "0");
    EXPECT_EQ(FormatNumber(F(12.5), "##0"), "13");
    EXPECT_EQ(FormatNumber(F(0.4999), "##0"), "0");
}

TEST(FormatRightAligned, PadsToThePatternButNeverCuts) {
    EXPECT_EQ(FormatRightAligned(5.0, "0000"), "0005");
    EXPECT_EQ(FormatRightAligned(Fixed4::FromInt(12), "###,##0"), "     12");
    EXPECT_EQ(FormatRightAligned(Fixed4::FromInt(12345678), "###,##0"), "12,345,678");
    EXPECT_EQ(FormatRightAligned(Fixed4(), "##,###"), "      ");
}
