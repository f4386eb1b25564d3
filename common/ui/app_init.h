#pragma once

#include <QString>

namespace ui {

// First call of every program, right after the QApplication is created:
// installs the Japanese font substitutes, the message boxes, the desktop
// document opener and Qt's Japanese texts for the standard dialogs, and sets
// the program identifier (the title of its message boxes).
void InitApplication(const QString& programId);

} // namespace ui
