#include <gtest/gtest.h>

#include "common/cp932.h"
#include "costcmp/core/listing.h"
#include "costcmp/sample_params.h"

using namespace costcmp;

namespace {

const QString kRule(51, u'-');

QStringList ParameterLines(const QString& sc, const QString& jb, const QString& ca) {
    return {
        QStringLiteral("SssSパラメータ"),
        QStringLiteral(" 80,000      SA:初期費用（円）"),
        QStringLiteral(" 15,000      SB:月額使用料（１ユーザ／月・円）"),
        sc + QStringLiteral("      SC:ユーザ数"),
        QStringLiteral("      2      SD:自社要員工数（人・月）要件定義用"),
        QStringLiteral("自社開発パラメータ"),
        QStringLiteral("    100      JA:サーバ構築費用(万円)"),
        jb + QStringLiteral("      JB:自社開発システム開発費用(万円)"),
        QStringLiteral("      0      JC:１年目保守費用（開発費×％/年額）"),
        QStringLiteral("      5      JD:２年目以降保守費用（開発費×％/年額）"),
        QStringLiteral("      6      JE:自社要員工数（人・月）要件定義用"),
        QStringLiteral("共通パラメータ"),
        ca + QStringLiteral("      CA:使用期間（年）"),
        QStringLiteral("     60      CB:自社要員費用単価（万円／月）"),
        QStringLiteral("求める解"),
    };
}

} // namespace

TEST(Listing, SampleSetWithSolutionOne) {
    QStringList expected = ParameterLines(QStringLiteral("       "), QStringLiteral("    600"),
                                          QStringLiteral("      5"));
    expected << QStringLiteral("解1:自社開発が安くなるユーザ数") << kRule
             << QStringLiteral("計算結果：0となる場合は解がありません")
             << QStringLiteral("自社開発が安くなるユーザ数は、12 人です。")
             << QStringLiteral("この場合の自社系費用総額は、11,800,000 円です。");
    EXPECT_EQ(BuildListing(SampleTexts(), SolutionKind::Users), expected);
}

TEST(Listing, SampleSetWithSolutionThreeBlanksTheDevelopmentCost) {
    QStringList expected = ParameterLines(QStringLiteral("      5"), QStringLiteral("       "),
                                          QStringLiteral("      5"));
    expected << QStringLiteral("解3:システム開発費用") << kRule
             << QStringLiteral("計算結果：0となる場合は解がありません")
             << QStringLiteral("自社開発が安くなるシステム開発費用は、98 万円です。")
             << QStringLiteral("この場合の自社系費用総額は、5,776,000 円です。");
    EXPECT_EQ(BuildListing(SampleTexts(), SolutionKind::DevCost), expected);
}

TEST(Listing, NoSolutionChosenGivesEighteenLines) {
    QStringList expected = ParameterLines(QStringLiteral("      5"), QStringLiteral("    600"),
                                          QStringLiteral("      5"));
    expected << kRule << QStringLiteral("計算結果：0となる場合は解がありません")
             << QStringLiteral("この場合の自社系費用総額は、0 円です。");
    EXPECT_EQ(BuildListing(SampleTexts(), SolutionKind::None), expected);
}

TEST(Listing, SoughtParametersBlankedAndWideValuesShift) {
    ParamTexts texts = SampleTexts();
    texts[0] = QStringLiteral("1,234,567");
    const QStringList two = BuildListing(texts, SolutionKind::Period);
    EXPECT_EQ(two[1], QStringLiteral("1,234,567      SA:初期費用（円）"));
    EXPECT_EQ(two[12], QStringLiteral("             CA:使用期間（年）"));
    EXPECT_TRUE(BuildListing(texts, SolutionKind::MonthlyFee)[2].startsWith(
        QStringLiteral("             SB:")));
    EXPECT_TRUE(BuildListing(texts, SolutionKind::MaintRate)[9].startsWith(
        QStringLiteral("             JD:")));
}

TEST(Listing, FailedCalculationShowsTheReasonInsteadOfAnAnswer) {
    ParamTexts texts = SampleTexts();
    texts[5] = QStringLiteral("900,000,000,000"); // JB in 万円, too large in yen
    const QStringList lines = BuildListing(texts, SolutionKind::Users);
    ASSERT_EQ(lines.size(), 19);
    EXPECT_EQ(lines[7], QStringLiteral("900,000,000,000      JB:自社開発システム開発費用(万円)"));
    EXPECT_EQ(lines[18], OverflowMessage());
}

TEST(Listing, ExportIsCp932WithCrLfPerEntry) {
    const QStringList lines = BuildListing(SampleTexts(), SolutionKind::Users);
    const QByteArray bytes = ListingExportBytes(lines);
    EXPECT_EQ(bytes.count("\r\n"), 20);
    EXPECT_TRUE(bytes.startsWith(QByteArray("SssS") +
                                 common::ToCp932(QStringLiteral("パラメータ")) + "\r\n"));
    EXPECT_EQ(bytes.count('\n'), 20); // no bare line feeds elsewhere
    EXPECT_EQ(ListingExportBytes(BuildListing(SampleTexts(), SolutionKind::None)).count("\r\n"),
              18);
}
