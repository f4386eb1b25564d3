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

// A button of the calculator's screens. None of them is ever the window's
// default button: Enter presses only the button that has the focus (see
// PressFocusedButton), never one elsewhere on the screen.
QPushButton* MakeButton(const QString& name, const QString& caption, QWidget* parent);

// Enter or Return while a push button of `window` has the focus presses that
// button. Answers true when the key was used.
bool PressFocusedButton(QWidget* window, QKeyEvent* event);

// The status bar `stb_Guaid` holding a fixed guide text.
QStatusBar* MakeGuideBar(QWidget* parent, const QString& guide);

} // namespace costcmp
