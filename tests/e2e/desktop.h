#pragma once

#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>

namespace e2e {

// The X display the programs run on, driven with xdotool: windows are found
// by their caption (a regular expression), keys go to the focused window.
namespace desktop {

// True when a display and xdotool are there to drive.
bool Available(QString* why);

// The ids of the visible windows whose caption matches.
QStringList FindWindows(const QString& captionPattern);

// Polls until a visible window with a matching caption exists; its id, or
// empty after `timeoutMs`.
QString WaitForWindow(const QString& captionPattern, int timeoutMs);

// Polls until no visible window with a matching caption is left.
bool WaitForNoWindow(const QString& captionPattern, int timeoutMs);

// Gives the window the keyboard focus and presses a key ("Escape", "F12").
void PressKey(const QString& windowId, const QString& key);

// Clicks the left button at a point of the window's client area.
void Click(const QString& windowId, QPoint at);

// The window as the screen shows it.
QImage Grab(const QString& windowId);

// The window that has the keyboard focus.
QString FocusedWindow();

// The top-level windows from bottom to top of the stack.
QStringList StackingOrder();

} // namespace desktop

} // namespace e2e
