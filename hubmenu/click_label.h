#pragma once

#include <QColor>
#include <QLabel>

namespace hubmenu {

// A label that acts as a button: it answers clicks and reports the mouse
// entering it. It never takes the keyboard focus.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    ClickLabel(const QString& name, const QString& caption, QWidget* parent);

    // Text colour, whether the background colour is painted, and weight.
    void SetTextColour(const QColor& colour);
    void SetOpaque(bool opaque);
    void SetBold(bool bold);
    QColor TextColour() const;
    bool IsOpaque() const { return autoFillBackground(); }
    bool IsBold() const { return font().bold(); }

signals:
    void clicked();
    void hovered();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;

private:
    bool pressed_ = false;
};

// The tab position of a control, kept as a property named "TabIndex" (the
// launcher marks its last tool by it). A control without one answers -1.
void SetTabIndex(QWidget* control, int tab);
int TabIndexOf(const QWidget* control);

} // namespace hubmenu
