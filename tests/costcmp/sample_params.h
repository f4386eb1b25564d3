#pragma once

#include "costcmp/core/cost_model.h"
#include "costcmp/core/input_values.h"

// The sample set of the input screen, optionally with another user count.
inline costcmp::ParamTexts SampleTexts(const QString& users = QStringLiteral("5")) {
    costcmp::ParamTexts texts = costcmp::SampleParamTexts();
    texts[2] = users;
    return texts;
}

inline common::Fixed4 Yen(std::int64_t whole) {
    return common::Fixed4::FromInt(whole);
}
