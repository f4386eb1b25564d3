#pragma once

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QWidget>

namespace testing_support {

// Types text that has no key of its own, as a keyboard layout (a key event
// carrying the character) or an input method (a committed string) enters it.
inline void TypeCharacters(QWidget* box, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(box, &press);
}
inline void CommitFromInputMethod(QWidget* box, const QString& text) {
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(box, &commit);
}

} // namespace testing_support
