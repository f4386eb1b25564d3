#pragma once

#include <QString>

namespace common {

// The suite's version as every program and page shows it ("V1.1"), made by
// the build from the project's version.
inline const QString kVersionText = QStringLiteral(SUITE_VERSION_TEXT);

} // namespace common
