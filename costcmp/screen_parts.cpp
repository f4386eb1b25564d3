#include "costcmp/screen_parts.h"

#include "common/ui/fonts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QStatusBar>
#include <QToolButton>

namespace costcmp {

namespace {

// A small printer: paper sheet above a grey body with a paper slot.
QPixmap PrinterPicture(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 32.0;
    p.scale(s, s);
    p.setPen(QPen(QColor(60, 60, 60), 1.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 3, 14, 11)); // sheet going in
    p.setBrush(QColor(150, 155, 165));
    p.drawRoundedRect(QRectF(3, 12, 26, 12), 2, 2); // body
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 20, 14, 9)); // sheet coming out
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.drawLine(QPointF(11, 23.5), QPointF(21, 23.5));
    p.drawLine(QPointF(11, 26), QPointF(19, 26));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 180, 60));
    p.drawEllipse(QPointF(25, 16), 1.5, 1.5); // power lamp
    return pixmap;
}

} // namespace

QToolButton* MakeHardCopyIcon(QWidget* parent) {
    auto* icon = new QToolButton(parent);
    icon->setObjectName(QStringLiteral("imgHDCopy"));
    icon->setIcon(QIcon(PrinterPicture(64)));
    icon->setIconSize(QSize(32, 32));
    icon->setAutoRaise(true);
    icon->setFocusPolicy(Qt::NoFocus);
    icon->setCursor(Qt::PointingHandCursor);
    icon->setToolTip(QStringLiteral("画面ハードコピー"));
    return icon;
}

QWidget* MakeTitleBanner(QWidget* parent, QToolButton* hardCopyIcon) {
    auto* banner = new QWidget(parent);
    banner->setObjectName(QStringLiteral("picTitle"));
    banner->setAutoFillBackground(true);
    QPalette palette = banner->palette();
    palette.setColor(QPalette::Window, QColor(0, 70, 140));
    palette.setColor(QPalette::WindowText, Qt::white);
    banner->setPalette(palette);

    auto* title = new QLabel(QStringLiteral("自社開発と比較"), banner);
    title->setObjectName(QStringLiteral("Label6"));
    title->setFont(QFont(ui::kGothic, 16, QFont::Bold));

    auto* layout = new QHBoxLayout(banner);
    layout->setContentsMargins(14, 6, 6, 6);
    layout->addWidget(title);
    layout->addStretch(1);
    layout->addWidget(hardCopyIcon);
    return banner;
}

QStatusBar* MakeGuideBar(QWidget* parent, const QString& guide) {
    auto* bar = new QStatusBar(parent);
    bar->setObjectName(QStringLiteral("stb_Guaid"));
    bar->setSizeGripEnabled(false);
    auto* text = new QLabel(guide, bar);
    text->setObjectName(QStringLiteral("stb_Guaid_Panel1"));
    bar->addWidget(text, 1);
    return bar;
}

} // namespace costcmp
