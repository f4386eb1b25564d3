#pragma once

class QWidget;

namespace ui {

// Shows the window above all ordinary windows and keeps it there, without
// taking the focus from the active window.
void KeepOnTop(QWidget* form);

// Shows the window beneath all others without activating it (the companion
// program sits behind the spreadsheet window).
void SendToBottom(QWidget* form);

} // namespace ui
