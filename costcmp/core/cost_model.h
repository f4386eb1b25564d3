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

// The break-even question to answer: which parameter is sought. The numbers
// are those the parameter file and the templates store.
enum class SolutionKind {
    None = 0,       // no solution chosen
    Users = 1,      // SC
    Period = 2,     // CA
    DevCost = 3,    // JB
    MonthlyFee = 4, // SB
    MaintRate = 5,  // JD
};
// The kind for a stored number: 1 to 5, None for any other number.
SolutionKind SolutionKindFromNumber(qint64 number);
inline int SolutionNumber(SolutionKind kind) {
    return static_cast<int>(kind);
}

// The five break-even searches. Each leaves the caller's parameters as they
// were.
CostResult SolveUsers(const CostParams& p);      // 1: SC = 1 .. 90,000
CostResult SolvePeriod(const CostParams& p);     // 2: CA = 1 .. 1,000, running sums
CostResult SolveDevCost(const CostParams& p);    // 3: JB = 190,000 .. 1 万円
CostResult SolveMonthlyFee(const CostParams& p); // 4: SB = 500 .. 90,000 yen
CostResult SolveMaintRate(const CostParams& p);  // 5: JD = 1 .. 100 %

// Runs the solver of `kind`; None solves nothing and gives a zero result.
CostResult Solve(SolutionKind kind, const CostParams& p);

// The parameters with the solution put in place of the sought one, as the
// spreadsheet report writes them.
CostParams WithSolution(const CostParams& p, SolutionKind kind, const CostResult& r);

// A whole calculation run from the entered texts.
struct Calculation {
    ParamTexts texts;
    CostParams params;
    SolutionKind solution = SolutionKind::None;
    CostResult result;
    bool ok = true;
    QString message; // why the calculation failed, empty when ok
};

// Shown instead of a result when the figures exceed the arithmetic's range.
QString OverflowMessage();

Calculation Calculate(const ParamTexts& texts, SolutionKind kind);

// "自社開発が安くなる…" for a chosen solution; empty for None.
QString AnswerSentence(SolutionKind kind, const CostResult& r);
// "この場合の自社系費用総額は、" + in-house cost + " 円です。"
QString InhouseTotalLine(const CostResult& r);

} // namespace costcmp
