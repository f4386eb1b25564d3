#include "common/ui/frm_hdcopy.h"

#include "common/messages.h"
#include "common/ui/fonts.h"
#include "common/ui/printers.h"

#include <QClipboard>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace ui {

namespace {

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setMinimumHeight(Twips(450));
    return button;
}

} // namespace

HardCopyPreview::HardCopyPreview(QWidget* parent) : Screen(QString(), parent) {
    setObjectName(QStringLiteral("FRM_HDCOPY"));
    setWindowTitle(QStringLiteral("ハードコピー"));
    setFont(QFont(kMincho, 10));
    // The preview opens in the top-left corner of the display.
    SetCentredOnShow(false);
    move(0, 0);
    resize(TwipsSize(11880, 8970));

    cmdExit_ = MakeButton(this, QStringLiteral("cmdExit"), QStringLiteral("キャンセル"));
    cmdPrint_ = MakeButton(this, QStringLiteral("cmdPrint"), QStringLiteral("この画面を印刷する"));
    cmdCopy_ =
        MakeButton(this, QStringLiteral("cmdCopy"), QStringLiteral("この画面をコピー(Ctrl+C)"));
    cmdClip_ = MakeButton(this, QStringLiteral("cmdClip"), QStringLiteral("クリップボード内容"));
    lblCopied_ = new QLabel(this);
    lblCopied_->setObjectName(QStringLiteral("lblCopied"));
    lblCopied_->setStyleSheet(QStringLiteral("color: #006000;"));
    cmdPrnSel_ = MakeButton(this, QStringLiteral("cmdPrnSel"), QStringLiteral("プリンタ選択"));
    lblDate_ = new QLabel(this);
    lblDate_->setObjectName(QStringLiteral("lblDate"));
    lblDate_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    imgPRE_ = new QLabel(this);
    imgPRE_->setObjectName(QStringLiteral("imgPRE"));
    imgPRE_->setAlignment(Qt::AlignCenter);
    imgPRE_->setFrameShape(QFrame::StyledPanel);
    imgPRE_->setMinimumSize(1, 1);
    imgPRE_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(Twips(120), Twips(120), Twips(120), Twips(120));
    auto* row = new QHBoxLayout;
    for (QPushButton* button : {cmdExit_, cmdPrint_, cmdCopy_, cmdClip_, cmdPrnSel_})
        row->addWidget(button);
    row->addWidget(lblCopied_);
    row->addStretch(1);
    row->addWidget(lblDate_);
    layout->addLayout(row);
    layout->addWidget(imgPRE_, 1);

    // The printer choice: a panel over the middle of the form.
    picPrnSel_ = new QFrame(this);
    picPrnSel_->setObjectName(QStringLiteral("picPrnSel"));
    picPrnSel_->setFrameShape(QFrame::Panel);
    picPrnSel_->setFrameShadow(QFrame::Raised);
    picPrnSel_->setLineWidth(2);
    picPrnSel_->setAutoFillBackground(true);
    lblPrnSel_ = new QLabel(picPrnSel_);
    lstPrnSel_ = new QListWidget(picPrnSel_);
    lstPrnSel_->setObjectName(QStringLiteral("lstPrnSel"));
    command2_ = MakeButton(picPrnSel_, QStringLiteral("Command2"), QStringLiteral("設定"));
    command1_ = MakeButton(picPrnSel_, QStringLiteral("Command1"), QStringLiteral("ｷｬﾝｾﾙ"));
    auto* panelLayout = new QVBoxLayout(picPrnSel_);
    panelLayout->addWidget(lblPrnSel_);
    panelLayout->addWidget(lstPrnSel_, 1);
    auto* panelButtons = new QHBoxLayout;
    panelButtons->addStretch(1);
    panelButtons->addWidget(command2_);
    panelButtons->addWidget(command1_);
    panelLayout->addLayout(panelButtons);
    picPrnSel_->resize(TwipsSize(6000, 4200));
    picPrnSel_->hide();

    SetCancelButton(cmdExit_);

    connect(cmdExit_, &QPushButton::clicked, this, [this] {
        choice_ = HardCopyChoice::Cancel;
        hide();
    });
    connect(cmdPrint_, &QPushButton::clicked, this, [this] {
        choice_ = HardCopyChoice::Print;
        hide();
    });
    connect(cmdClip_, &QPushButton::clicked, this, [this] {
        choice_ = HardCopyChoice::NotPrinted;
        hide();
        emit ClipboardRequested();
    });
    connect(cmdCopy_, &QPushButton::clicked, this, &HardCopyPreview::CopyPicture);
    connect(cmdPrnSel_, &QPushButton::clicked, this, &HardCopyPreview::ListPrinters);
    connect(command2_, &QPushButton::clicked, this, &HardCopyPreview::ChoosePrinter);
    connect(command1_, &QPushButton::clicked, picPrnSel_, &QWidget::hide);
    connect(lstPrnSel_, &QListWidget::itemDoubleClicked, this, &HardCopyPreview::ChoosePrinter);
}

void HardCopyPreview::SetDateText(const QString& text) {
    lblDate_->setText(text);
}

QString HardCopyPreview::DateText() const {
    return lblDate_->text();
}

void HardCopyPreview::SetPreview(const QImage& picture) {
    picture_ = picture;
    lblCopied_->clear();
    UpdatePreview();
}

void HardCopyPreview::CopyPicture() {
    if (picture_.isNull() || !QGuiApplication::clipboard())
        return;
    QGuiApplication::clipboard()->setImage(picture_);
    lblCopied_->setText(QStringLiteral("クリップボードにコピーしました"));
}

bool HardCopyPreview::PreviewKey(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        CopyPicture();
        return true;
    }
    return Screen::PreviewKey(event);
}

void HardCopyPreview::ShowPreviewAndButtons() {
    for (QWidget* w :
         std::initializer_list<QWidget*>{imgPRE_, cmdExit_, cmdPrint_, cmdCopy_, cmdPrnSel_})
        w->setVisible(true);
}

void HardCopyPreview::ListPrinters() {
    lstPrnSel_->clear();
    lstPrnSel_->addItems(Printers().PrinterNames());
    lblPrnSel_->setText(lstPrnSel_->count() > 0 ? QStringLiteral("印刷するプリンタを選んでください")
                                                : QStringLiteral("プリンタがありません"));
    picPrnSel_->move((width() - picPrnSel_->width()) / 2, (height() - picPrnSel_->height()) / 2);
    picPrnSel_->show();
    picPrnSel_->raise();
    lstPrnSel_->setFocus();
}

void HardCopyPreview::ChoosePrinter() {
    const QListWidgetItem* item = lstPrnSel_->currentItem();
    if (!item || !item->isSelected())
        return;
    const QString name = item->text();
    // The first printer of that exact device name; none: the printer stays.
    if (Printers().PrinterNames().contains(name, Qt::CaseSensitive))
        SetProgramPrinterName(name);
    picPrnSel_->hide();
    common::ShowMessage(name + QStringLiteral("に設定しました"));
}

void HardCopyPreview::resizeEvent(QResizeEvent* event) {
    Screen::resizeEvent(event);
    UpdatePreview();
    if (picPrnSel_->isVisible())
        picPrnSel_->move((width() - picPrnSel_->width()) / 2,
                         (height() - picPrnSel_->height()) / 2);
}

void HardCopyPreview::UpdatePreview() {
    if (picture_.isNull()) {
        imgPRE_->clear();
        return;
    }
    // The whole picture in view: shrunk to the preview, never enlarged.
    const QSize room = imgPRE_->contentsRect().size();
    QImage shown = picture_;
    if (shown.width() > room.width() || shown.height() > room.height())
        shown = shown.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    imgPRE_->setPixmap(QPixmap::fromImage(shown));
}

} // namespace ui
