#include <gtest/gtest.h>

#include "costcmp/core/cost_model.h"
#include "costcmp/sample_params.h"

using namespace costcmp;

TEST(CostModel, SampleSetConvertsAndTotals) {
    const CostParams p = ConvertParams(SampleTexts());
    EXPECT_EQ(p.SA, Yen(80000));
    EXPECT_EQ(p.JB, Yen(6'000'000));
    EXPECT_EQ(p.CB, Yen(600'000));
    EXPECT_EQ(p.JD.Raw(), 500); // 5 % as the fraction 0.05
    EXPECT_EQ(p.JC.Raw(), 0);
    EXPECT_EQ(SaasTotal(p), Yen(5'780'000));
    EXPECT_EQ(InhouseTotal(p), Yen(11'800'000));
    EXPECT_EQ(SaasYearCost(p, 1), Yen(2'180'000));
    EXPECT_EQ(SaasYearCost(p, 7), Yen(900'000));
    EXPECT_EQ(InhouseYearCost(p, 1), Yen(10'600'000));
    EXPECT_EQ(InhouseYearCost(p, 3), Yen(300'000));
}

TEST(CostModel, SolversOnTheSampleSet) {
    const CostParams p = ConvertParams(SampleTexts());
    const CostParams before = p;

    CostResult r = SolveUsers(p);
    EXPECT_EQ(r.value, Yen(12));
    EXPECT_EQ(r.inhouseCost, Yen(11'800'000));

    r = SolvePeriod(p);
    EXPECT_EQ(r.value, Yen(16));
    EXPECT_EQ(r.inhouseCost, Yen(15'100'000));

    r = SolveDevCost(p);
    EXPECT_EQ(r.value, Yen(980'000));
    EXPECT_EQ(r.inhouseCost, Yen(5'776'000));

    r = SolveMonthlyFee(p);
    EXPECT_EQ(r.value, Yen(35'067));
    EXPECT_EQ(r.inhouseCost, Yen(11'800'000));

    r = SolveMaintRate(p);
    EXPECT_EQ(r.value, Yen(0));
    EXPECT_EQ(r.inhouseCost, Yen(0));
    EXPECT_FALSE(r.overflow);

    // The solvers search on a copy: the caller's parameters stay as they were.
    EXPECT_EQ(p.SC, before.SC);
    EXPECT_EQ(p.JB, before.JB);
    EXPECT_EQ(p.JD, before.JD);
}

TEST(CostModel, SolversWithTwentyUsers) {
    const CostParams p = ConvertParams(SampleTexts(QStringLiteral("20")));
    EXPECT_EQ(SaasTotal(p), Yen(19'280'000));

    CostResult r = SolveMaintRate(p);
    EXPECT_EQ(r.value.Raw(), 100); // 1 %
    EXPECT_EQ(r.inhouseCost, Yen(10'840'000));

    r = SolveDevCost(p);
    EXPECT_EQ(r.value, Yen(12'230'000));

    r = SolvePeriod(p);
    EXPECT_EQ(r.value, Yen(3));
    EXPECT_EQ(r.inhouseCost, Yen(11'200'000));
}

TEST(CostModel, EqualityAtACandidateCountsAsBreakEven) {
    // In-house: JB 1,000,000 over one year; SaaS: 12 x SB per user.
    CostParams p;
    p.JB = Yen(1'200'000);
    p.CA = Yen(1);
    p.SB = Yen(10'000);
    CostResult r = SolveUsers(p);
    EXPECT_EQ(r.value, Yen(10)); // 12 x 10,000 x 10 = 1,200,000 exactly
    EXPECT_EQ(r.inhouseCost, Yen(1'200'000));

    p.SC = Yen(2);
    r = SolveMonthlyFee(p); // 12 x 2 x 50,000 = 1,200,000 exactly
    EXPECT_EQ(r.value, Yen(50'000));
}

TEST(CostModel, PeriodOfOneOrZeroYears) {
    CostParams p = ConvertParams(SampleTexts());
    p.CA = Yen(1);
    const Fixed4 atOne = InhouseTotal(p);
    p.JD = Fixed4::FromDouble(0.9);
    EXPECT_EQ(InhouseTotal(p), atOne); // JD plays no part in a single year
    EXPECT_EQ(atOne, Yen(10'600'000));

    // CA 0 is used as it is: CA - 1 becomes -1 and the maintenance is taken off.
    p = ConvertParams(SampleTexts());
    p.CA = Yen(0);
    EXPECT_EQ(InhouseTotal(p), Yen(10'600'000 - 300'000));
    EXPECT_EQ(SaasTotal(p), Yen(1'280'000));
}

TEST(CostModel, OverflowIsReportedAsAFailedCalculation) {
    ParamTexts texts = SampleTexts();
    texts[1] = QStringLiteral("900,000,000,000,000"); // SB: 12 x SC x SB x CA overflows
    Calculation c = Calculate(texts, SolutionKind::Users);
    EXPECT_FALSE(c.ok);
    EXPECT_TRUE(c.result.overflow);
    EXPECT_EQ(c.message, OverflowMessage());
    EXPECT_EQ(c.result.value, Yen(0));

    // JB in 万円 overflows already when converted to yen.
    texts = SampleTexts();
    texts[5] = QStringLiteral("900,000,000,000");
    c = Calculate(texts, SolutionKind::Period);
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.message, OverflowMessage());

    // The same figures without a solution chosen still fail: they cannot be
    // held at all. A sane set succeeds.
    EXPECT_FALSE(Calculate(texts, SolutionKind::None).ok);
    c = Calculate(SampleTexts(), SolutionKind::None);
    EXPECT_TRUE(c.ok);
    EXPECT_TRUE(c.message.isEmpty());
    EXPECT_EQ(c.result.value, Yen(0));
}

TEST(CostModel, AnswerSentencesKeepTheirBlanks) {
    // Solutions 1 and 3 and the total line are checked with the listing.
    auto result = [](Fixed4 v) { return CostResult{v, Fixed4(), false}; };
    EXPECT_EQ(AnswerSentence(SolutionKind::Period, result(Yen(16))),
              QStringLiteral("自社開発が安くなる使用期間は、16 年です。"));
    EXPECT_EQ(AnswerSentence(SolutionKind::MonthlyFee, result(Yen(35'067))),
              QStringLiteral(
                  "自社開発が安くなるＳＡＡＳの月額使用料は、35,067 （１ユーザ／月・円）です。"));
    EXPECT_EQ(AnswerSentence(SolutionKind::MaintRate, result(Fixed4::FromRaw(100))),
              QStringLiteral("自社開発が安くなる２年目以降保守料金の％/年額は、1  ％/年です。"));
    EXPECT_EQ(AnswerSentence(SolutionKind::None, CostResult{}), QString());
}

TEST(CostModel, SolutionReplacesTheSoughtParameter) {
    const CostParams p = ConvertParams(SampleTexts());
    const CostResult r{Yen(16), Yen(1), false};
    EXPECT_EQ(WithSolution(p, SolutionKind::Period, r).CA, Yen(16));
    EXPECT_EQ(WithSolution(p, SolutionKind::Period, r).SC, p.SC);
    EXPECT_EQ(WithSolution(p, SolutionKind::MaintRate, r).JD, Yen(16));
    EXPECT_EQ(WithSolution(p, SolutionKind::None, r).CA, p.CA);
}

// The solution kinds keep the numbers the parameter file and the templates
// store; any other stored number chooses none.
TEST(CostModel, SolutionKindsKeepTheirStoredNumbers) {
    const SolutionKind kinds[] = {SolutionKind::Users, SolutionKind::Period, SolutionKind::DevCost,
                                  SolutionKind::MonthlyFee, SolutionKind::MaintRate};
    for (int number = 1; number <= 5; ++number) {
        EXPECT_EQ(SolutionKindFromNumber(number), kinds[number - 1]) << number;
        EXPECT_EQ(SolutionNumber(kinds[number - 1]), number);
    }
    for (const qint64 other : {qint64(0), qint64(6), qint64(-1), qint64(1) << 40})
        EXPECT_EQ(SolutionKindFromNumber(other), SolutionKind::None) << other;
    EXPECT_EQ(SolutionNumber(SolutionKind::None), 0);
}
