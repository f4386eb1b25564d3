#include "common/ui/screen_base.h"

#include "common/ui/fonts.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace ui {

namespace {

qreal LogicalDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return dpi > 0 ? dpi : 96.0;
}

bool IsFunctionKey(int key) {
    return key >= Qt::Key_F1 && key <= Qt::Key_F12;
}

} // namespace

int Twips(int twips) {
    // 1440 twips make an inch.
    return qRound(twips * LogicalDpi() / 1440.0);
}

QSize TwipsSize(int width, int height) {
    return QSize(Twips(width), Twips(height));
}

QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(Twips(left), Twips(top), Twips(width), Twips(height));
}

void CentreOnScreen(QWidget* window) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect display = screen->geometry();
    const QSize size = window->frameGeometry().size();
    // A window larger than the display keeps its title bar reachable.
    const int left = display.x() + qMax(0, (display.width() - size.width()) / 2);
    const int top = display.y() + qMax(0, (display.height() - size.height()) / 2);
    window->move(left, top);
}

bool IsSingleLineBox(const QWidget* widget) {
    if (!widget)
        return false;
    if (const auto* combo = qobject_cast<const QComboBox*>(widget))
        return combo->isEditable();
    if (qobject_cast<const QLineEdit*>(widget)) {
        // The editor inside a spin box keeps its arrows for stepping.
        return !qobject_cast<const QAbstractSpinBox*>(widget->parentWidget());
    }
    return false;
}

void ClearDefaultButtons(QWidget* widget) {
    if (!widget)
        return;
    QList<QPushButton*> buttons = widget->findChildren<QPushButton*>();
    if (auto* self = qobject_cast<QPushButton*>(widget))
        buttons.append(self);
    for (QPushButton* button : buttons) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
}

Screen::Screen(const QString& tag, QWidget* parent) : QDialog(parent) {
    if (parent) {
        setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowCloseButtonHint);
    } else {
        setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    }
    setFont(QFont(kPGothic, 10));
    if (!tag.isEmpty())
        SetTag(tag);
    // Key preview: the application-wide filter sees every key press before
    // the control it is aimed at; HandleKey keeps only those of this window.
    qApp->installEventFilter(this);
}

Screen::~Screen() {
    qApp->removeEventFilter(this);
}

void Screen::SetTag(const QString& tag) {
    tag_ = tag;
    setWindowTitle(QStringLiteral("(") + tag + QStringLiteral(") "));
}

void Screen::SetFunctionButton(int key, QAbstractButton* button) {
    functionButtons_.insert(key, button);
}

QAbstractButton* Screen::FunctionButton(int key) const {
    return functionButtons_.value(key);
}

void Screen::SetCancelButton(QAbstractButton* button) {
    cancel_ = button;
}

bool Screen::PressButton(QAbstractButton* button) {
    if (!button || !button->isEnabled() || !button->isVisible())
        return false;
    button->setFocus(Qt::ShortcutFocusReason);
    button->click();
    return true;
}

bool Screen::PreviewKey(QKeyEvent*) {
    return false;
}

bool Screen::FrameCloseRequested() {
    if (!cancel_)
        return true;
    if (cancel_->isEnabled() && cancel_->isVisible())
        cancel_->click();
    return false;
}

bool Screen::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* receiver = static_cast<QWidget*>(watched);
        if (receiver->window() == this && HandleKey(receiver, static_cast<QKeyEvent*>(event)))
            return true;
    }
    // A button added after the window was first shown is polished before it
    // appears: it loses its auto-default there.
    if (event->type() == QEvent::Polish) {
        auto* button = qobject_cast<QPushButton*>(watched);
        if (button && button->window() == this)
            ClearDefaultButtons(button);
    }
    return QDialog::eventFilter(watched, event);
}

void Screen::setVisible(bool visible) {
    // Before QDialog makes its first auto-default button the default.
    if (visible)
        ClearDefaultButtons(this);
    QDialog::setVisible(visible);
}

bool Screen::HandleKey(QWidget* receiver, QKeyEvent* event) {
    if (PreviewKey(event))
        return true;

    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;

    if (IsFunctionKey(key) && !(mods & (Qt::AltModifier | Qt::ControlModifier))) {
        if (!functionButtons_.contains(key))
            return false;
        // The key is consumed even when its button cannot be pressed now.
        PressButton(functionButtons_.value(key));
        return true;
    }
    if (mods != Qt::NoModifier)
        return false;

    if (key == Qt::Key_Escape) {
        if (cancel_ && cancel_->isEnabled() && cancel_->isVisible())
            cancel_->click();
        return true;
    }

    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (enter) {
        if (auto* button = qobject_cast<QPushButton*>(receiver))
            return PressButton(button);
    }

    const bool next = enter || key == Qt::Key_Down;
    const bool previous = key == Qt::Key_Up;
    if ((next || previous) && IsSingleLineBox(receiver)) {
        focusNextPrevChild(next);
        return true;
    }
    return false;
}

void Screen::showEvent(QShowEvent* event) {
    if (!shownOnce_ && !event->spontaneous()) {
        shownOnce_ = true;
        if (centreOnShow_)
            CentreOnScreen(this);
    }
    QDialog::showEvent(event);
}

void Screen::closeEvent(QCloseEvent* event) {
    if (event->spontaneous() && !FrameCloseRequested()) {
        event->ignore();
        return;
    }
    // A close from code (or one the screen allowed) simply hides the window;
    // QDialog's own closeEvent would reject() and could be refused.
    event->accept();
}

void Screen::keyPressEvent(QKeyEvent* event) {
    // Esc is the cancel button's alone: QDialog would reject() on its own.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace ui
