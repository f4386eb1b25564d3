#pragma once

#include "common/seam.h"

#include <QDateTime>
#include <QImage>
#include <QRect>
#include <QString>
#include <functional>

class QPrinter;
class QWidget;

namespace ui {

// Screen hard copy: the entry point behind every imgHDCopy. Takes a picture of
// the window of `form` as the screen shows it, shows it in FRM_HDCOPY and, when
// the user chooses to print, prints it on one landscape page with the date and
// time of printing. Failures are reported in message boxes.
void HardCopyScreen(QWidget* form);

// Prints the picture held in the clipboard instead, after the same preview
// (FRM_HDCOPY's clipboard button). Without a picture in the clipboard it says
// so and prints nothing.
void HardCopyClipboard(QWidget* owner = nullptr);

// The message when the clipboard holds no picture (each line followed by a
// carriage return).
inline const QString kNoClipboardPicture =
    QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞに画面がありません\r印刷したい画面を指定するのは、\rAlt "
                   "を押しながら print を押します\r");

// A picture of a rectangle of the window (pixels, relative to its client area
// or to its frame), taken from the screen: whatever lies over the window is in
// it too. Where the screen cannot be read (offscreen or a compositor that does
// not allow it) the window paints itself instead.
QImage SnapWindow(QWidget* window, bool clientArea, const QRect& rect);
// The whole window of the form, frame and title bar included.
QImage SnapForm(QWidget* form);
// The snapshot of the last hard copy, kept until the next one replaces it.
QImage StoredSnapshot();

// "YYYY/MM/DD HH:MM:SS", 24-hour clock.
QString HardCopyDateText(const QDateTime& when);

// Prints the picture at its size on the screen from the top-left corner of a
// landscape page (shrunk to the page only where it would not fit), with the
// date text in the top right corner. False with a Japanese description of the
// failure in `error`.
bool PrintSnapshot(QPrinter& printer, const QImage& picture, const QString& dateText,
                   QString* error);

// The clock of the date labels; the default is the system clock.
using HardCopyClock = std::function<QDateTime()>;
common::Seam<HardCopyClock>& HardCopyClockSeam();

} // namespace ui
