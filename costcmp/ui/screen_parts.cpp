#include "costcmp/ui/screen_parts.h"

#include "common/ui/fonts.h"
#include "common/ui/screen_base.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>

namespace costcmp {

QWidget* MakeTitleBanner(QWidget* parent, QWidget* hardCopyIcon) {
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

QPushButton* MakeButton(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setMinimumSize(ui::Twips(1800), ui::Twips(450));
    return button;
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
