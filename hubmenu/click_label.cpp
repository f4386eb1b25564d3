#include "hubmenu/click_label.h"

#include <QMouseEvent>

namespace hubmenu {

namespace {
const char kTabProperty[] = "TabIndex";
}

ClickLabel::ClickLabel(const QString& name, const QString& caption, QWidget* parent)
    : QLabel(caption, parent) {
    setObjectName(name);
    setFocusPolicy(Qt::NoFocus);
}

void ClickLabel::SetTextColour(const QColor& colour) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, colour);
    setPalette(p);
}

QColor ClickLabel::TextColour() const {
    return palette().color(QPalette::WindowText);
}

void ClickLabel::SetOpaque(bool opaque) {
    setAutoFillBackground(opaque);
    update();
}

void ClickLabel::SetBold(bool bold) {
    QFont f = font();
    f.setBold(bold);
    setFont(f);
}

void ClickLabel::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    // A click is a press and a release of the left button on the label.
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click && isEnabled())
        emit clicked();
}

void ClickLabel::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    if (isEnabled())
        emit hovered();
}

void SetTabIndex(QWidget* control, int tab) {
    control->setProperty(kTabProperty, tab);
}

int TabIndexOf(const QWidget* control) {
    const QVariant v = control->property(kTabProperty);
    return v.isValid() ? v.toInt() : -1;
}

} // namespace hubmenu
