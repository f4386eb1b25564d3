#pragma once

#include "costcmp/cost_model.h"

// The sample parameter set of the input screen, as its boxes show it.
inline costcmp::ParamTexts SampleTexts(const QString& users = QStringLiteral("5")) {
    return {QStringLiteral("80,000"), QStringLiteral("15,000"), users,
            QStringLiteral("2"),      QStringLiteral("100"),    QStringLiteral("600"),
            QStringLiteral("0"),      QStringLiteral("5"),      QStringLiteral("6"),
            QStringLiteral("5"),      QStringLiteral("60")};
}

inline common::Fixed4 Yen(std::int64_t whole) {
    return common::Fixed4::FromInt(whole);
}
