#pragma once

// Small builders for the controls that several screens share: named widgets,
// push buttons, the title band, the run and exit row and the status bar.

#include <QMargins>
#include <QString>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QStatusBar;
class QVBoxLayout;
class QWidget;

namespace ui {

// Gives `widget` its object name (the control's name, by which tests and the
// hard copy find it) and answers it.
template <typename T> T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A named push button. Inside a ui::Screen it never becomes the default
// button; Enter presses it only while it has the focus.
QPushButton* Button(const QString& caption, const char* name, QWidget* parent);

// The frame of a tool's main screen, laid out on `screen` top to bottom: the
// dark blue title band "Picture4" with the title "Label6" in white bold, the
// body that holds the screen's own controls, and the status bar "stb_Guaid".
struct ToolFrame {
    QLabel* title = nullptr;
    QVBoxLayout* body = nullptr;
    QStatusBar* statusBar = nullptr;
};
ToolFrame BuildToolFrame(QWidget* screen, const QString& title, const QMargins& bodyMargins,
                         int bodySpacing);

// The bottom row of a tool's main screen: the hard copy icon on the left, the
// run button "cmdF12" in its panel "picRUN" and the exit button "cmdEsc" in
// its panel "picExit" on the right.
struct RunExitRow {
    QHBoxLayout* layout = nullptr;
    QPushButton* run = nullptr;
    QPushButton* exit = nullptr;
};
RunExitRow BuildRunExitRow(QWidget* screen, const QString& runCaption, const QString& exitCaption);

} // namespace ui
