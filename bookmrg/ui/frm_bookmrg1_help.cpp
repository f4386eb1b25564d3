#include "bookmrg/ui/frm_bookmrg1_help.h"

#include "common/ui/hard_copy_icon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace bookmrg {

ConsolidationHelpScreen::ConsolidationHelpScreen() : ui::Screen(QStringLiteral("BOOKMRG1_HELP")) {
    setObjectName(QStringLiteral("FRM_BOOKMRG1_HELP"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    auto* Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(QPixmap(QStringLiteral(":/bookmrg/BOOKMRG_HELP.png")));
    Image1->setAlignment(Qt::AlignCenter);
    layout->addWidget(Image1, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(ui::CreateHardCopyIcon(this));
    bottom->addStretch();
    auto* Command1 = new QPushButton(QStringLiteral("閉じる"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setMinimumSize(ui::Twips(1500), ui::Twips(450));
    bottom->addWidget(Command1);
    layout->addLayout(bottom);

    // Esc and the window frame close the help as its button does.
    SetCancelButton(Command1);
    connect(Command1, &QPushButton::clicked, this, &QWidget::close);
}

} // namespace bookmrg
