#pragma once

#include <QLabel>

namespace ui {

// The small picture button imgHDCopy of every main screen: a click makes a
// hard copy of the screen it sits on.
class HardCopyIcon : public QLabel {
    Q_OBJECT
public:
    explicit HardCopyIcon(QWidget* parent);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};

// Creates imgHDCopy on the screen, wired to HardCopyScreen; the screen places it.
HardCopyIcon* CreateHardCopyIcon(QWidget* screen);

// The picture of the icon: a small printer with a sheet coming out.
QPixmap HardCopyPixmap(int size);

} // namespace ui
