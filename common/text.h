#pragma once

#include <QString>

namespace common {

// Blanks are the half-width space, the full-width space and NUL; nothing else
// (no tabs, no line breaks) is trimmed.
bool IsBlank(QChar c);
QString TrimBlanksLeft(const QString& text);
QString TrimBlanksRight(const QString& text);
QString TrimBlanks(const QString& text);

} // namespace common
