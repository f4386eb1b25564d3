#include "costcmp/core/input_values.h"

#include "common/numbers.h"

namespace costcmp {

ParamTexts SampleParamTexts() {
    return {QStringLiteral("80,000"), QStringLiteral("15,000"), QStringLiteral("5"),
            QStringLiteral("2"),      QStringLiteral("100"),    QStringLiteral("600"),
            QStringLiteral("0"),      QStringLiteral("5"),      QStringLiteral("6"),
            QStringLiteral("5"),      QStringLiteral("60")};
}

QStringList DropDownEntries(int index) {
    struct Range {
        int first, last, step;
    };
    static constexpr Range kRanges[kParamCount] = {
        {0, 90000, 1000}, {1000, 30000, 100}, {1, 2000, 1},  {1, 20, 1},
        {0, 2000, 100},   {0, 12000, 100},    {0, 30, 1},    {0, 30, 1},
        {0, 30, 1},       {3, 20, 1},         {30, 120, 10},
    };
    QStringList entries;
    if (index < 0 || index >= kParamCount)
        return entries;
    const Range r = kRanges[index];
    for (int v = r.first; v <= r.last; v += r.step)
        entries << common::FormatNumber(common::Fixed4::FromInt(v), QStringLiteral("##,##0"));
    return entries;
}

} // namespace costcmp
