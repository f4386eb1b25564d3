#pragma once

#include <QAbstractButton>
#include <QDialog>
#include <QHash>
#include <QPointer>
#include <QString>

class QKeyEvent;

namespace ui {

// Sizes and positions of the screens are designed in twips: 15 twips make one
// pixel at 96 dpi. The result is scaled with the primary screen's logical DPI.
int Twips(int twips);
QSize TwipsSize(int width, int height);
QRect TwipsRect(int left, int top, int width, int height);

// Moves a top-level window so that it sits in the middle of its display.
void CentreOnScreen(QWidget* window);

// The base of every window of the suite, main screens and modal dialogs alike.
//
// - Caption "(TAG) " from the screen tag.
// - Centred on the display the first time it is shown (can be switched off).
// - Sees key presses before its controls:
//   * a registered function key (F1..F12) moves the focus to its button and
//     presses it, when that button is enabled and visible; the key is consumed
//     either way;
//   * Esc presses the cancel button;
//   * in single-line boxes (line edits, editable drop-downs) Enter and the down
//     arrow move to the next control in tab order, the up arrow to the
//     previous one;
//   * Enter on a push button that has the focus presses that button.
// - No push button of the window is ever its default: auto-default is turned
//   off for every one of them, also for those added later, so that Enter never
//   presses a button the focus is not on.
// - Closing the window with its frame behaves like the cancel button
//   (FrameCloseRequested, overridable). A close() from code closes.
//
// A main screen is created without parent and shown with show(); a dialog is
// created with its owner as parent and shown with exec(). Hiding a dialog ends
// its exec(), as a modal form's Show returns when the form is hidden.
class Screen : public QDialog {
    Q_OBJECT
public:
    explicit Screen(const QString& tag = QString(), QWidget* parent = nullptr);
    ~Screen() override;

    // Sets the caption to "(" + tag + ") ".
    void SetTag(const QString& tag);
    QString Tag() const { return tag_; }

    // Registers the button pressed by a function key (Qt::Key_F1 .. Qt::Key_F12).
    void SetFunctionButton(int key, QAbstractButton* button);
    QAbstractButton* FunctionButton(int key) const;

    // The button pressed by Esc and by closing the window with its frame.
    void SetCancelButton(QAbstractButton* button);
    QAbstractButton* CancelButton() const { return cancel_; }

    // Whether the window is centred on its first show (default: yes).
    void SetCentredOnShow(bool centred) { centreOnShow_ = centred; }

    // Moves the focus to the button and clicks it, when it is enabled and
    // visible. Answers whether it was pressed.
    static bool PressButton(QAbstractButton* button);

protected:
    // Called for every key press aimed at this window before anything else;
    // answer true to consume the key. The default consumes nothing.
    virtual bool PreviewKey(QKeyEvent* event);
    // The user closed the window with its frame (a close event from the window
    // system). Answer true to let the window close. The default presses the
    // cancel button and keeps the window (its handler decides what happens);
    // without a cancel button the window closes.
    virtual bool FrameCloseRequested();

    bool eventFilter(QObject* watched, QEvent* event) override;
    void setVisible(bool visible) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool HandleKey(QWidget* receiver, QKeyEvent* event);

    QString tag_;
    QHash<int, QPointer<QAbstractButton>> functionButtons_;
    QPointer<QAbstractButton> cancel_;
    bool centreOnShow_ = true;
    bool shownOnce_ = false;
};

// True for a control in which Enter and the arrows move between controls:
// a line edit (not the editor of a spin box) or an editable drop-down.
bool IsSingleLineBox(const QWidget* widget);

// Turns auto-default off for `button` and for every push button inside
// `widget`, and takes the default role from any that has it.
void ClearDefaultButtons(QWidget* widget);

} // namespace ui
