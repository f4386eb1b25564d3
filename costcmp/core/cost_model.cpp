#include "costcmp/core/cost_model.h"

#include "common/numbers.h"

namespace costcmp {

using common::FormatNumber;
using common::ParseAmount;

namespace {

const Fixed4 kOne = Fixed4::FromInt(1);
const Fixed4 kTwelve = Fixed4::FromInt(12);
const Fixed4 kManYen = Fixed4::FromInt(10000);

Fixed4 PercentToFraction(const QString& text) {
    return Fixed4::FromDouble(ParseAmount(text).ToDouble() / 100.0);
}

// The first candidate whose in-house total does not exceed the SaaS total.
// `set` puts candidate k into the parameters; candidates run from `first`
// towards `last` in steps of `step`.
template <typename Set> CostResult Scan(CostParams p, int first, int last, int step, Set set) {
    for (int k = first; step > 0 ? k <= last : k >= last; k += step) {
        set(p, k);
        const Fixed4 inhouse = InhouseTotal(p);
        const Fixed4 saas = SaasTotal(p);
        if (inhouse.Overflowed() || saas.Overflowed())
            return {Fixed4(), Fixed4(), true};
        if (inhouse <= saas)
            return {Fixed4::FromInt(k), inhouse, false};
    }
    return {};
}

} // namespace

CostParams ConvertParams(const ParamTexts& t) {
    CostParams p;
    p.SA = ParseAmount(t[0]);
    p.SB = ParseAmount(t[1]);
    p.SC = ParseAmount(t[2]);
    p.SD = ParseAmount(t[3]);
    p.JA = ParseAmount(t[4]) * kManYen;
    p.JB = ParseAmount(t[5]) * kManYen;
    p.JC = PercentToFraction(t[6]);
    p.JD = PercentToFraction(t[7]);
    p.JE = ParseAmount(t[8]);
    p.CA = ParseAmount(t[9]);
    p.CB = ParseAmount(t[10]) * kManYen;
    return p;
}

bool HasOverflow(const CostParams& p) {
    for (const Fixed4& v : {p.SA, p.SB, p.SC, p.SD, p.JA, p.JB, p.JC, p.JD, p.JE, p.CA, p.CB})
        if (v.Overflowed())
            return true;
    return false;
}

Fixed4 SaasTotal(const CostParams& p) {
    return p.CB * p.SD + p.SA + kTwelve * ((p.SC * p.SB) * p.CA);
}

Fixed4 InhouseTotal(const CostParams& p) {
    return p.CB * p.JE + p.JA + p.JB + p.JB * p.JC + (p.JB * (p.CA - kOne)) * p.JD;
}

Fixed4 SaasYearCost(const CostParams& p, int year) {
    if (year == 1)
        return p.CB * p.SD + p.SA + kTwelve * (p.SC * p.SB);
    return kTwelve * (p.SB * p.SC);
}

Fixed4 InhouseYearCost(const CostParams& p, int year) {
    if (year == 1)
        return p.CB * p.JE + p.JA + p.JB + p.JB * p.JC;
    return p.JB * p.JD;
}

CostResult SolveUsers(const CostParams& p) {
    return Scan(p, 1, 90000, 1, [](CostParams& q, int i) { q.SC = Fixed4::FromInt(i); });
}

CostResult SolvePeriod(const CostParams& p) {
    Fixed4 inhouseSum;
    Fixed4 saasSum;
    for (int y = 1; y <= 1000; ++y) {
        inhouseSum += InhouseYearCost(p, y);
        saasSum += SaasYearCost(p, y);
        if (inhouseSum.Overflowed() || saasSum.Overflowed())
            return {Fixed4(), Fixed4(), true};
        if (inhouseSum <= saasSum)
            return {Fixed4::FromInt(y), inhouseSum, false};
    }
    return {};
}

CostResult SolveDevCost(const CostParams& p) {
    CostResult r =
        Scan(p, 190000, 1, -1, [](CostParams& q, int n) { q.JB = Fixed4::FromInt(n) * kManYen; });
    r.value = r.value * kManYen; // the candidate counts 万円; the result is in yen
    return r;
}

CostResult SolveMonthlyFee(const CostParams& p) {
    return Scan(p, 500, 90000, 1, [](CostParams& q, int i) { q.SB = Fixed4::FromInt(i); });
}

CostResult SolveMaintRate(const CostParams& p) {
    CostResult r =
        Scan(p, 1, 100, 1, [](CostParams& q, int i) { q.JD = Fixed4::FromDouble(i / 100.0); });
    r.value = Fixed4::FromDouble(r.value.ToDouble() / 100.0);
    return r;
}

CostResult Solve(SolutionKind kind, const CostParams& p) {
    switch (kind) {
    case SolutionKind::Users:
        return SolveUsers(p);
    case SolutionKind::Period:
        return SolvePeriod(p);
    case SolutionKind::DevCost:
        return SolveDevCost(p);
    case SolutionKind::MonthlyFee:
        return SolveMonthlyFee(p);
    case SolutionKind::MaintRate:
        return SolveMaintRate(p);
    default:
        return {};
    }
}

CostParams WithSolution(const CostParams& p, SolutionKind kind, const CostResult& r) {
    CostParams q = p;
    switch (kind) {
    case SolutionKind::Users:
        q.SC = r.value;
        break;
    case SolutionKind::Period:
        q.CA = r.value;
        break;
    case SolutionKind::DevCost:
        q.JB = r.value;
        break;
    case SolutionKind::MonthlyFee:
        q.SB = r.value;
        break;
    case SolutionKind::MaintRate:
        q.JD = r.value;
        break;
    default:
        break;
    }
    return q;
}

QString OverflowMessage() {
    return QStringLiteral(
        "計算中に数値が大きすぎて計算できませんでした。入力値を確認してください。");
}

SolutionKind SolutionKindFromNumber(qint64 number) {
    return number >= 1 && number <= 5 ? static_cast<SolutionKind>(number) : SolutionKind::None;
}

Calculation Calculate(const ParamTexts& texts, SolutionKind kind) {
    Calculation c;
    c.texts = texts;
    c.params = ConvertParams(texts);
    c.solution = kind;
    if (!HasOverflow(c.params))
        c.result = Solve(kind, c.params);
    if (HasOverflow(c.params) || c.result.overflow) {
        c.ok = false;
        c.result = CostResult{Fixed4(), Fixed4(), true};
        c.message = OverflowMessage();
    }
    return c;
}

QString AnswerSentence(SolutionKind kind, const CostResult& r) {
    const QString pattern = QStringLiteral("#,##0");
    switch (kind) {
    case SolutionKind::Users:
        return QStringLiteral("自社開発が安くなるユーザ数は、") + FormatNumber(r.value, pattern) +
               QStringLiteral(" 人です。");
    case SolutionKind::Period:
        return QStringLiteral("自社開発が安くなる使用期間は、") + FormatNumber(r.value, pattern) +
               QStringLiteral(" 年です。");
    case SolutionKind::DevCost:
        return QStringLiteral("自社開発が安くなるシステム開発費用は、") +
               FormatNumber(r.value.ToDouble() / 10000.0, pattern) + QStringLiteral(" 万円です。");
    case SolutionKind::MonthlyFee:
        return QStringLiteral("自社開発が安くなるＳＡＡＳの月額使用料は、") +
               FormatNumber(r.value, pattern) + QStringLiteral(" （１ユーザ／月・円）です。");
    case SolutionKind::MaintRate:
        return QStringLiteral("自社開発が安くなる２年目以降保守料金の％/年額は、") +
               FormatNumber(r.value * Fixed4::FromInt(100), pattern) +
               QStringLiteral("  ％/年です。");
    default:
        return QString();
    }
}

QString InhouseTotalLine(const CostResult& r) {
    return QStringLiteral("この場合の自社系費用総額は、") +
           FormatNumber(r.inhouseCost, QStringLiteral("#,##0")) + QStringLiteral(" 円です。");
}

} // namespace costcmp
