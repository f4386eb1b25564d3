#include "costcmp/core/listing.h"

#include "common/cp932.h"
#include "common/numbers.h"

namespace costcmp {

namespace {

// The number column: the value right-aligned to seven characters, or seven
// blanks where the parameter is the one being sought.
QString Column(Fixed4 value, bool sought) {
    const QString pattern = QStringLiteral("###,##0");
    if (sought)
        return QString(pattern.size(), u' ');
    return common::FormatRightAligned(value, pattern);
}

QString SolutionLine(SolutionKind kind) {
    switch (kind) {
    case SolutionKind::Users:
        return QStringLiteral("解1:自社開発が安くなるユーザ数");
    case SolutionKind::Period:
        return QStringLiteral("解2:使用期間");
    case SolutionKind::DevCost:
        return QStringLiteral("解3:システム開発費用");
    case SolutionKind::MonthlyFee:
        return QStringLiteral("解4:ＳＡＡＳの月額使用料");
    case SolutionKind::MaintRate:
        return QStringLiteral("解5:２年目以降保守費用");
    default:
        return QString();
    }
}

} // namespace

QStringList BuildListing(const Calculation& calc) {
    const CostParams& p = calc.params;
    const SolutionKind k = calc.solution;
    const Fixed4 hundred = Fixed4::FromInt(100);
    // Amounts held in yen are listed in 万円: the internal value divided by
    // 10,000 is exactly the converted entry, which is also shown when the
    // amount in yen was too large to hold.
    auto manYen = [&calc](int index) { return common::ParseAmount(calc.texts[index]); };

    QStringList lines;
    lines << QStringLiteral("SssSパラメータ");
    lines << Column(p.SA, false) + QStringLiteral("      SA:初期費用（円）");
    lines << Column(p.SB, k == SolutionKind::MonthlyFee) +
                 QStringLiteral("      SB:月額使用料（１ユーザ／月・円）");
    lines << Column(p.SC, k == SolutionKind::Users) + QStringLiteral("      SC:ユーザ数");
    lines << Column(p.SD, false) + QStringLiteral("      SD:自社要員工数（人・月）要件定義用");
    lines << QStringLiteral("自社開発パラメータ");
    lines << Column(manYen(4), false) + QStringLiteral("      JA:サーバ構築費用(万円)");
    lines << Column(manYen(5), k == SolutionKind::DevCost) +
                 QStringLiteral("      JB:自社開発システム開発費用(万円)");
    lines << Column(p.JC * hundred, false) +
                 QStringLiteral("      JC:１年目保守費用（開発費×％/年額）");
    lines << Column(p.JD * hundred, k == SolutionKind::MaintRate) +
                 QStringLiteral("      JD:２年目以降保守費用（開発費×％/年額）");
    lines << Column(p.JE, false) + QStringLiteral("      JE:自社要員工数（人・月）要件定義用");
    lines << QStringLiteral("共通パラメータ");
    lines << Column(p.CA, k == SolutionKind::Period) + QStringLiteral("      CA:使用期間（年）");
    lines << Column(manYen(10), false) + QStringLiteral("      CB:自社要員費用単価（万円／月）");
    lines << QStringLiteral("求める解");
    const QString solution = SolutionLine(k);
    if (!solution.isEmpty())
        lines << solution;
    lines << QString(51, u'-');
    lines << QStringLiteral("計算結果：0となる場合は解がありません");
    if (!calc.ok) {
        lines << calc.message;
        return lines;
    }
    const QString answer = AnswerSentence(k, calc.result);
    if (!answer.isEmpty())
        lines << answer;
    lines << InhouseTotalLine(calc.result);
    return lines;
}

QStringList BuildListing(const ParamTexts& texts, SolutionKind kind) {
    return BuildListing(Calculate(texts, kind));
}

QByteArray ListingExportBytes(const QStringList& lines) {
    QByteArray out;
    for (const QString& line : lines) {
        out += common::ToCp932(line);
        out += "\r\n";
    }
    return out;
}

} // namespace costcmp
