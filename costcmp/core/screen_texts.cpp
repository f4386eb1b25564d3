#include "costcmp/core/screen_texts.h"

namespace costcmp {

QString SolutionCaption(SolutionKind kind) {
    switch (kind) {
    case SolutionKind::Users:
        return QStringLiteral("第１解：自社開発が安くなるユーザ数");
    case SolutionKind::Period:
        return QStringLiteral("第２解：自社開発が安くなる使用期間");
    case SolutionKind::DevCost:
        return QStringLiteral("第３解：自社開発が安くなるシステム開発費用");
    case SolutionKind::MonthlyFee:
        return QStringLiteral("第４解：自社開発が安くなるＳＡＡＳの月額使用料");
    case SolutionKind::MaintRate:
        return QStringLiteral("第５解：自社開発が安くなる２年目以降保守費用（開発費×％/年額）");
    default:
        return QString();
    }
}

PrmRecord RecordFromInputs(const ParamTexts& texts, SolutionKind kind, const PrmRecord& previous) {
    PrmRecord record = previous;
    for (int i = 0; i < kParamCount; ++i)
        record.fields[i] = texts[i];
    if (kind != SolutionKind::None)
        record.Solution() = QString::number(SolutionNumber(kind));
    return record;
}

ParamTexts TextsFromRecord(const PrmRecord& record) {
    ParamTexts texts;
    for (int i = 0; i < kParamCount; ++i)
        texts[i] = record.fields[i];
    return texts;
}

} // namespace costcmp
