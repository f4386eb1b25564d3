#include "common/ui/hard_copy_icon.h"

#include "common/ui/hard_copy.h"
#include "common/ui/screen_base.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace ui {

QPixmap HardCopyPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    const QColor ink(40, 40, 48);
    p.setPen(QPen(ink, 1.4));

    // Paper fed in at the back.
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 3, 14, 9));
    // The printer body.
    QPainterPath body;
    body.addRoundedRect(QRectF(3, 11, 26, 12), 3, 3);
    p.setBrush(QColor(120, 140, 170));
    p.drawPath(body);
    p.setBrush(QColor(90, 200, 90));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(24.5, 15), 1.6, 1.6);
    // The printed sheet with a picture on it.
    p.setPen(QPen(ink, 1.4));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8, 18, 16, 11));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 120, 60));
    p.drawRect(QRectF(10.5, 21, 11, 5.5));
    return pixmap;
}

HardCopyIcon::HardCopyIcon(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("imgHDCopy"));
    const int side = Twips(480);
    setPixmap(HardCopyPixmap(side));
    setFixedSize(side, side);
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("画面ハードコピー"));
}

void HardCopyIcon::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void HardCopyIcon::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click)
        emit clicked();
}

HardCopyIcon* CreateHardCopyIcon(QWidget* screen) {
    auto* icon = new HardCopyIcon(screen);
    QObject::connect(icon, &HardCopyIcon::clicked, screen, [icon] { HardCopyScreen(icon); });
    return icon;
}

} // namespace ui
