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

// Paths the settings files cannot hold: characters outside cp932 (or given
// back as others) and paths longer than the field, in bytes.
TEST(Cp932, StoredPathProblemNamesTheCharactersOrTheLength) {
    const QString fine = QStringLiteral("/home/山田/資料～①/Ｂｏｏｋ1.xls");
    EXPECT_TRUE(CharsNotInCp932(fine).isEmpty());
    EXPECT_EQ(StoredPathProblem(fine, 255), QString());

    const QString mixed = QStringLiteral("/home/u/café/Müller〜한/é.xls");
    EXPECT_EQ(CharsNotInCp932(mixed), (QStringList{QStringLiteral("é"), QStringLiteral("ü"),
                                                   QStringLiteral("〜"), QStringLiteral("한")}));
    const QString message = StoredPathProblem(mixed, 255);
    EXPECT_TRUE(message.contains(QStringLiteral("「é」(U+00E9)")));
    EXPECT_TRUE(message.contains(QStringLiteral("「〜」(U+301C)")));
    EXPECT_TRUE(message.contains(QStringLiteral("「한」(U+D55C)")));
    EXPECT_TRUE(message.endsWith(QStringLiteral("\r") + mixed));
    // A character outside the basic plane counts once, as itself.
    EXPECT_EQ(CharsNotInCp932(QStringLiteral("a😀b")), QStringList{QStringLiteral("😀")});

    // 154 characters, 255 bytes allowed: 20 ASCII + 134 double-byte = 288.
    const QString longPath = QStringLiteral("/home/user/documents") + QString(134, QChar(0x8CC7));
    ASSERT_EQ(longPath.size(), 154);
    const QString tooLong = StoredPathProblem(longPath, 255);
    EXPECT_TRUE(tooLong.contains(QStringLiteral("288バイト"))) << tooLong.toStdString();
    EXPECT_TRUE(tooLong.contains(QStringLiteral("255バイトまで")));
    EXPECT_EQ(StoredPathProblem(longPath, 288), QString());
}
