#pragma once

#include <QString>

namespace common {

// The short words with which the checks of this library answer; callers
// compare them.
inline const QString kOk = QStringLiteral("OK");
inline const QString kNg = QStringLiteral("NG");

} // namespace common
