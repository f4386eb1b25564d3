#include "costcmp/core/screen_texts.h"

namespace costcmp {

QString KaiCaption(int kaiNo) {
    switch (kaiNo) {
    case 1:
        return QStringLiteral("第１解：自社開発が安くなるユーザ数");
    case 2:
        return QStringLiteral("第２解：自社開発が安くなる使用期間");
    case 3:
        return QStringLiteral("第３解：自社開発が安くなるシステム開発費用");
    case 4:
        return QStringLiteral("第４解：自社開発が安くなるＳＡＡＳの月額使用料");
    case 5:
        return QStringLiteral("第５解：自社開発が安くなる２年目以降保守費用（開発費×％/年額）");
    default:
        return QString();
    }
}

PrmRecord RecordFromInputs(const ParamTexts& texts, int kaiNo, const PrmRecord& previous) {
    PrmRecord record = previous;
    for (int i = 0; i < kParamCount; ++i)
        record.fields[i] = texts[i];
    if (kaiNo >= 1 && kaiNo <= 5)
        record.Solution() = QString::number(kaiNo);
    return record;
}

ParamTexts TextsFromRecord(const PrmRecord& record) {
    ParamTexts texts;
    for (int i = 0; i < kParamCount; ++i)
        texts[i] = record.fields[i];
    return texts;
}

} // namespace costcmp
