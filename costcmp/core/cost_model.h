#pragma once

#include <array>

#include <QString>

#include "common/fixed4.h"

namespace costcmp {

using common::Fixed4;

// The eleven cost parameters in the units the model computes with: money in
// yen, rates as fractions (5 % is 0.05), counts, man-months and years as is.
struct CostParams {
    Fixed4 SA; // SaaS initial cost
    Fixed4 SB; // SaaS monthly fee per user
    Fixed4 SC; // number of users
    Fixed4 SD; // own staff effort for requirements definition, SaaS side
    Fixed4 JA; // server construction cost
    Fixed4 JB; // system development cost
    Fixed4 JC; // first-year maintenance, fraction of JB
    Fixed4 JD; // maintenance per year from year 2, fraction of JB
    Fixed4 JE; // own staff effort for requirements definition, in-house side
    Fixed4 CA; // period of use in years
    Fixed4 CB; // own staff unit cost per man-month
};

// The texts of the eleven input boxes, in the order SA, SB, SC, SD, JA, JB,
// JC, JD, JE, CA, CB.
inline constexpr int kParamCount = 11;
using ParamTexts = std::array<QString, kParamCount>;

// Converts the entered texts: each through ParseAmount, JA, JB and CB from
// 万円 to yen, JC and JD from percent to fractions (divided in double
// precision). A value too large for the model's arithmetic is marked as
// overflowed (see HasOverflow).
CostParams ConvertParams(const ParamTexts& texts);
bool HasOverflow(const CostParams& p);

// Totals over CA years and the cost of one year (year 1 differs from all
// later years). An overflowed result means the figures are too large.
Fixed4 SaasTotal(const CostParams& p);
Fixed4 InhouseTotal(const CostParams& p);
Fixed4 SaasYearCost(const CostParams& p, int year);
Fixed4 InhouseYearCost(const CostParams& p, int year);

// Output of a solver: the value of the sought parameter in its internal unit
// and the in-house cost at that value, both 0 when no candidate qualifies.
// `overflow` is set when a candidate could not be evaluated because a figure
// grew beyond the arithmetic's range; value and cost are then 0.
struct CostResult {
    Fixed4 value;
    Fixed4 inhouseCost;
    bool overflow = false;
};

// The five break-even searches. Each leaves the caller's parameters as they
// were.
CostResult SolveUsers(const CostParams& p);      // 1: SC = 1 .. 90,000
CostResult SolvePeriod(const CostParams& p);     // 2: CA = 1 .. 1,000, running sums
CostResult SolveDevCost(const CostParams& p);    // 3: JB = 190,000 .. 1 万円
CostResult SolveMonthlyFee(const CostParams& p); // 4: SB = 500 .. 90,000 yen
CostResult SolveMaintRate(const CostParams& p);  // 5: JD = 1 .. 100 %

// Runs the solver of `kaiNo` (1 to 5); any other number solves nothing and
// gives a zero result.
CostResult Solve(int kaiNo, const CostParams& p);

// The parameters with the solution put in place of the sought one (kaiNo 1:
// SC, 2: CA, 3: JB, 4: SB, 5: JD), as the spreadsheet report writes them.
CostParams WithSolution(const CostParams& p, int kaiNo, const CostResult& r);

// A whole calculation run from the entered texts.
struct Calculation {
    ParamTexts texts;
    CostParams params;
    int kaiNo = 0;
    CostResult result;
    bool ok = true;
    QString message; // why the calculation failed, empty when ok
};

// Shown instead of a result when the figures exceed the arithmetic's range.
QString OverflowMessage();

Calculation Calculate(const ParamTexts& texts, int kaiNo);

// "自社開発が安くなる…" for kaiNo 1 to 5; empty for any other number.
QString AnswerSentence(int kaiNo, const CostResult& r);
// "この場合の自社系費用総額は、" + in-house cost + " 円です。"
QString InhouseTotalLine(const CostResult& r);

} // namespace costcmp
