#pragma once

#include <QString>

namespace ui {

// Font family names the screens use. They are mapped at start-up to the
// installed Japanese faces so that the Mincho listing really is a fixed-pitch
// Mincho and not Qt's fallback Gothic.
inline const QString kMincho = QStringLiteral("ＭＳ 明朝");
inline const QString kGothic = QStringLiteral("ＭＳ ゴシック");
inline const QString kPGothic = QStringLiteral("ＭＳ Ｐゴシック");

void InstallFontSubstitutes();

} // namespace ui
