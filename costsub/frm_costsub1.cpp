#include "costsub/frm_costsub1.h"
#include "common/events.h"

#include "common/program_start.h"
#include "common/ui/fonts.h"
#include "common/ui/hard_copy_icon.h"
#include "common/ui/window_order.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>

namespace costsub {

namespace {

// The client area in twips.
constexpr int kWidthTwips = 11880;
constexpr int kHeightTwips = 9060;

QFrame* Panel(const char* name, QRect twips, QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setGeometry(ui::TwipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    return panel;
}

using common::LetEventsRun;

} // namespace

CompanionScreen::CompanionScreen(QWidget* parent) : ui::Screen(QStringLiteral("COSTSUB1"), parent) {
    setObjectName(QStringLiteral("FRM_COSTSUB1"));
    setFixedSize(ui::TwipsSize(kWidthTwips, kHeightTwips));

    const QColor teal(0, 128, 128);
    QFrame* titlePanel = Panel("Picture4", QRect(1710, 120, 8310, 512), this);
    titlePanel->setAutoFillBackground(true);
    QPalette tp = titlePanel->palette();
    tp.setColor(QPalette::Window, teal);
    titlePanel->setPalette(tp);

    auto* title = new QLabel(QStringLiteral("自社開発で比較"), titlePanel);
    title->setObjectName(QStringLiteral("Label6"));
    title->setGeometry(ui::TwipsRect(3000, 90, 1980, 285));
    title->setAlignment(Qt::AlignCenter);
    title->setAutoFillBackground(true);
    QPalette lp = title->palette();
    lp.setColor(QPalette::Window, teal);
    lp.setColor(QPalette::WindowText, Qt::white);
    title->setPalette(lp);
    QFont titleFont(ui::kPGothic);
    titleFont.setPixelSize(16);
    titleFont.setBold(true);
    title->setFont(titleFont);

    auto* message = new QLabel(QStringLiteral("処理は終了しました"), this);
    message->setObjectName(QStringLiteral("Label1"));
    message->setGeometry(ui::TwipsRect(4230, 2820, 3330, 405));
    message->setAlignment(Qt::AlignCenter);
    QFont messageFont(ui::kPGothic);
    messageFont.setPixelSize(20);
    message->setFont(messageFont);

    // What has happened and what the two keys do, under the message.
    auto* guide = new QLabel(QStringLiteral("比較表を表計算ソフトで開きました。"
                                            "　F12：もう一度比較する　ESC：メニューへ戻る"),
                             this);
    guide->setObjectName(QStringLiteral("lblGuide"));
    guide->setGeometry(ui::TwipsRect(240, 3480, kWidthTwips - 480, 360));
    guide->setAlignment(Qt::AlignCenter);
    QFont guideFont(ui::kPGothic);
    guideFont.setPixelSize(14);
    guide->setFont(guideFont);

    QFrame* exitPanel = Panel("picExit", QRect(90, 8220, 1995, 470), this);
    QFrame* runPanel = Panel("picRUN", QRect(9690, 8250, 2070, 465), this);

    cmdF12_ = new QPushButton(QStringLiteral("F12もう一度"), runPanel);
    cmdF12_->setObjectName(QStringLiteral("cmdF12"));
    cmdF12_->setGeometry(ui::TwipsRect(30, 30, 1935, 365));

    cmdEsc_ = new QPushButton(QStringLiteral("ESC:メニューへ"), exitPanel);
    cmdEsc_->setObjectName(QStringLiteral("cmdEsc"));
    cmdEsc_->setGeometry(ui::TwipsRect(30, 30, 1875, 365));
    setTabOrder(cmdF12_, cmdEsc_);

    status_ = new QStatusBar(this);
    status_->setObjectName(QStringLiteral("stb_Guaid"));
    status_->setSizeGripEnabled(false);
    const int barHeight = status_->sizeHint().height();
    status_->setGeometry(0, height() - barHeight, width(), barHeight);

    ui::HardCopyIcon* hardCopy = ui::CreateHardCopyIcon(this);
    hardCopy->move(width() - hardCopy->width() - 8, 8);

    SetFunctionButton(Qt::Key_F12, cmdF12_);
    SetCancelButton(cmdEsc_);
    connect(cmdF12_, &QPushButton::clicked, this, [this] { HandOver(kCalculatorId); });
    connect(cmdEsc_, &QPushButton::clicked, this, [this] { HandOver(kMenuId); });
}

void CompanionScreen::Open() {
    cmdF12_->setEnabled(false);
    show();
    cmdF12_->setEnabled(true);
    common::LetEventsRun(1);
    ui::SendToBottom(this);
}

void CompanionScreen::HandOver(const QString& program) {
    hide();
    LetEventsRun(2);
    common::StartAndEnd(program);
    // Any other start failure comes back here: COSTSUB ends all the same.
    common::EndProgram();
}

bool CompanionScreen::FrameCloseRequested() {
    // Closing with the frame ends COSTSUB without starting anything.
    return true;
}

} // namespace costsub
