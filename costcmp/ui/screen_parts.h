#pragma once

#include <QString>

class QKeyEvent;
class QPushButton;
class QStatusBar;
class QWidget;

namespace costcmp {

// The pieces both calculator screens share: the title banner with the screen
// title and the hard-copy icon, and the guide line at the bottom.

// The title banner: `Label6` with "自社開発と比較" on a coloured strip, the
// hard-copy icon `imgHDCopy` at its right end.
QWidget* MakeTitleBanner(QWidget* parent, QWidget* hardCopyIcon);

// A button of the calculator's screens, in their common size. As on every
// screen, Enter presses only the button that has the focus.
QPushButton* MakeButton(const QString& name, const QString& caption, QWidget* parent);

// The status bar `stb_Guaid` holding a fixed guide text.
QStatusBar* MakeGuideBar(QWidget* parent, const QString& guide);

} // namespace costcmp
