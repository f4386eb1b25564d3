#pragma once

#include <QString>

class QStatusBar;
class QWidget;

namespace costcmp {

// The pieces both calculator screens share: the title banner with the screen
// title and the hard-copy icon, and the guide line at the bottom.

// The title banner: `Label6` with "自社開発と比較" on a coloured strip, the
// hard-copy icon `imgHDCopy` at its right end.
QWidget* MakeTitleBanner(QWidget* parent, QWidget* hardCopyIcon);

// The status bar `stb_Guaid` holding a fixed guide text.
QStatusBar* MakeGuideBar(QWidget* parent, const QString& guide);

} // namespace costcmp
