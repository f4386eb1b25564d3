#include <gtest/gtest.h>

#include "common/cp932.h"
#include "common/text.h"

using namespace common;

TEST(TrimBlanks, TrimsHalfAndFullWidthSpacesAndNulOnly) {
    EXPECT_EQ(TrimBlanks(QStringLiteral("\u3000 abc \u3000")), QStringLiteral("abc"));
    EXPECT_EQ(TrimBlanks(QStringLiteral(" a b ")), QStringLiteral("a b"));
    EXPECT_EQ(TrimBlanks(QString::fromUtf16(u"  \0 \0", 5)), QString());
    EXPECT_EQ(TrimBlanks(QStringLiteral("\tx\t")), QStringLiteral("\tx\t"));
    EXPECT_EQ(TrimBlanksLeft(QStringLiteral("  x ")), QStringLiteral("x "));
    EXPECT_EQ(TrimBlanksRight(QStringLiteral("  x ")), QStringLiteral("  x"));
}

TEST(Cp932, FixedWidthFieldsNeverSplitADoubleByteCharacter) {
    EXPECT_EQ(ToCp932(QStringLiteral("～")), QByteArray("\x81\x60"));
    // "あい" is four bytes; a width of 3 keeps only "あ" and pads one space.
    EXPECT_EQ(ToCp932Fixed(QStringLiteral("あい"), 3), QByteArray("\x82\xA0 "));
    EXPECT_EQ(ToCp932Fixed(QStringLiteral("ab"), 4), QByteArray("ab  "));
    EXPECT_EQ(FromCp932(QByteArray("\x82\xA0")), QStringLiteral("あ"));
}
