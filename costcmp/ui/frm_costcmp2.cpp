#include "costcmp/ui/frm_costcmp2.h"

#include "common/ui/fonts.h"
#include "common/ui/hard_copy_icon.h"
#include "costcmp/ui/screen_parts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace costcmp {

namespace {

// Character columns and lines the listing shows without scrolling: the
// longest parameter line is 57 columns, a normal run has 20 lines.
constexpr int kListColumns = 64;
constexpr int kListLines = 21;

} // namespace

CostResultScreen::CostResultScreen(QWidget* parent)
    : ui::Screen(QStringLiteral("COSTCMP2"), parent) {
    setObjectName(QStringLiteral("FRM_COSTCMP2"));

    list1_ = new QListWidget(this);
    list1_->setObjectName(QStringLiteral("List1"));
    QFont mincho(ui::kMincho, 11);
    mincho.setStyleHint(QFont::TypeWriter);
    mincho.setFixedPitch(true);
    list1_->setFont(mincho);
    list1_->setSelectionMode(QAbstractItemView::SingleSelection);
    const QFontMetrics metrics(mincho);
    const int frame = 2 * list1_->frameWidth() + 8;
    list1_->setMinimumSize(metrics.horizontalAdvance(QString(kListColumns, u'0')) + frame,
                           metrics.lineSpacing() * kListLines + frame);

    cmdOut_ = MakeButton(QStringLiteral("cmdOut"), QStringLiteral("↓外部に取りだし"), this);
    cmdEXCEL_ = MakeButton(QStringLiteral("cmdEXCEL"), QStringLiteral("Excel出力"), this);
    cmdEsc_ = MakeButton(QStringLiteral("cmdEsc"), QStringLiteral("ESC:前画面"), this);
    connect(cmdOut_, &QPushButton::clicked, this, &CostResultScreen::ExportRequested);
    connect(cmdEXCEL_, &QPushButton::clicked, this, &CostResultScreen::ReportRequested);
    connect(cmdEsc_, &QPushButton::clicked, this, &CostResultScreen::BackRequested);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdOut_);
    buttons->addWidget(cmdEXCEL_);
    buttons->addStretch(1);
    buttons->addWidget(cmdEsc_);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(12, 10, 12, 10);
    body->setSpacing(8);
    body->addWidget(list1_, 1);
    body->addLayout(buttons);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(MakeTitleBanner(this, ui::CreateHardCopyIcon(this)));
    outer->addLayout(body, 1);
    outer->addWidget(MakeGuideBar(this, DefaultGuide()));

    // Tab order: the listing, then the buttons from left to right, so that
    // Tab and Space from the opened screen export the listing.
    setTabOrder(list1_, cmdOut_);
    setTabOrder(cmdOut_, cmdEXCEL_);
    setTabOrder(cmdEXCEL_, cmdEsc_);

    SetCancelButton(cmdEsc_);
}

void CostResultScreen::SetListing(const QStringList& lines) {
    list1_->clear();
    list1_->addItems(lines);
}

QStringList CostResultScreen::Listing() const {
    QStringList lines;
    for (int i = 0; i < list1_->count(); ++i)
        lines.append(list1_->item(i)->text());
    return lines;
}

QString CostResultScreen::DefaultGuide() {
    return QStringLiteral("↓外部に取りだし：計算結果をテキストファイルにして開きます");
}

void CostResultScreen::SetGuide(const QString& text) {
    if (auto* guide = findChild<QLabel*>(QStringLiteral("stb_Guaid_Panel1")))
        guide->setText(text);
}

QString CostResultScreen::Guide() const {
    const auto* guide = findChild<QLabel*>(QStringLiteral("stb_Guaid_Panel1"));
    return guide ? guide->text() : QString();
}

void CostResultScreen::ShowWithListFocus() {
    show();
    raise();
    activateWindow();
    list1_->setFocus(Qt::OtherFocusReason);
}

} // namespace costcmp
