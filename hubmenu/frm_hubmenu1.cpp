#include "hubmenu/frm_hubmenu1.h"
#include "common/events.h"

#include "common/version.h"

#include "common/program_start.h"
#include "common/ui/fonts.h"
#include "common/ui/hard_copy_icon.h"
#include "hubmenu/click_label.h"
#include "hubmenu/settings_file.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRandomGenerator>

namespace hubmenu {

namespace {

// The client area: 11880 x 8700 twips.
constexpr int kWidthTwips = 11880;
constexpr int kHeightTwips = 8700;

constexpr QSize kThumbnailSize(28, 21);

QString PicturePath(const QString& folder, int n, bool thumbnail) {
    return QDir(folder).filePath(
        QStringLiteral("HAIKEI%1%2.PNG").arg(n).arg(thumbnail ? QStringLiteral("S") : QString()));
}

QFont PixelFont(int pixels, bool bold = false) {
    QFont f(ui::kPGothic);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

} // namespace

LauncherScreen::LauncherScreen(const QString& programFolder, QWidget* parent)
    : ui::Screen(QStringLiteral("HUBMENU1"), parent), programFolder_(programFolder) {
    setObjectName(QStringLiteral("FRM_HUBMENU1"));
    setFixedSize(ui::TwipsSize(kWidthTwips, kHeightTwips));
    setMouseTracking(true);

    ClickLabel* title = AddLabel("lblSeiTitle", QStringLiteral("SAAS自社開発と価格比較"),
                                 QRect(600, 30, 4800, 435), 3);
    title->setFont(PixelFont(22, true));

    QLabel* version = AddLabel("Label1", common::kVersionText, QRect(5460, 210, 435, 240), 13);
    version->setFont(PixelFont(13));

    BuildThumbnails();

    guide_ = AddLabel("lblGaide", QStringLiteral("↑クリックすると背景がかわります"),
                      QRect(660, 960, 3120, 195), 5);
    guide_->setFont(PixelFont(12));
    guide_->hide();

    AddButton("cmdCOSTCMP", QStringLiteral("SAAS自社開発と比較"), QRect(8580, 1410, 2865, 315), 2);
    AddButton("cmdLINK", QStringLiteral("リンク集"), QRect(10425, 4590, 1020, 315), 9);
    AddButton("cmdSAISYO", QStringLiteral("はじめにお読みください"), QRect(8325, 5070, 3120, 315),
              8);
    AddButton("cmdToi", QStringLiteral("要望/問い合わせ"), QRect(9105, 5565, 2340, 315), 7);
    AddButton("cmdSAICHK", QStringLiteral("最新版のチェック"), QRect(9180, 6045, 2265, 315), 4);
    QLabel* aux = AddLabel("Label2", QStringLiteral("補助処理"), QRect(10485, 6990, 960, 240), 11);
    aux->setFont(PixelFont(13, true));
    AddButton("cmdBOOKMRG", QStringLiteral("複数ブックシートまとめ"), QRect(8790, 7290, 2655, 285),
              10);
    AddButton("cmdSHTLIST", QStringLiteral("シート一覧の作成"), QRect(9330, 7680, 2115, 285), 14);
    ClickLabel* esc =
        AddButton("cmdESC", QStringLiteral("Esc:終了"), QRect(60, 8235, 1080, 285), 1);

    company_ = new ClickLabel(QStringLiteral("shpEn"), QStringLiteral("タムラシステム"), this);
    company_->setGeometry(ui::TwipsRect(9960, 8370, 1830, 195));
    company_->setFont(PixelFont(12, true));
    company_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    company_->setCursor(Qt::PointingHandCursor);
    SetTabIndex(company_, 6);
    controls_.append(company_);
    company_->hide();

    BuildHardCopy();

    for (ClickLabel* button : buttons_) {
        for (const ToolEntry& tool : kTools) {
            if (button->objectName() == QLatin1String(tool.control))
                connect(button, &ClickLabel::clicked, this, [this, &tool] { StartToolOf(tool); });
        }
        if (button != esc)
            connect(button, &ClickLabel::hovered, this, [this, button] { HoverButton(button); });
    }
    connect(esc, &ClickLabel::clicked, this, &LauncherScreen::End);
    connect(Button(QStringLiteral("cmdLINK")), &ClickLabel::clicked, this,
            [this] { OpenPage(Button(QStringLiteral("cmdLINK")), Page::Links); });
    connect(Button(QStringLiteral("cmdSAISYO")), &ClickLabel::clicked, this,
            [this] { OpenPage(Button(QStringLiteral("cmdSAISYO")), Page::ReadMe); });
    connect(Button(QStringLiteral("cmdToi")), &ClickLabel::clicked, this,
            [this] { OpenPage(Button(QStringLiteral("cmdToi")), Page::Inquiry); });
    connect(Button(QStringLiteral("cmdSAICHK")), &ClickLabel::clicked, this,
            [this] { OpenPage(Button(QStringLiteral("cmdSAICHK")), Page::UpdateCheck); });
    connect(company_, &ClickLabel::clicked, this, [this] { OpenPage(company_, Page::Home); });

    connect(title, &ClickLabel::hovered, this, [this] { guide_->show(); });

    SetBackground(kDefaultBackground);
}

ClickLabel* LauncherScreen::AddButton(const char* name, const QString& caption, QRect r, int tab) {
    auto* button = new ClickLabel(QString::fromLatin1(name), caption, this);
    button->setGeometry(ui::TwipsRect(r.x(), r.y(), r.width(), r.height()));
    button->setFont(PixelFont(14));
    button->setAlignment(Qt::AlignCenter);
    button->setCursor(Qt::PointingHandCursor);
    QPalette p = button->palette();
    p.setColor(QPalette::Window, ButtonBackColour());
    button->setPalette(p);
    button->SetOpaque(true);
    SetTabIndex(button, tab);
    controls_.append(button);
    buttons_.append(button);
    return button;
}

ClickLabel* LauncherScreen::AddLabel(const char* name, const QString& caption, QRect r, int tab) {
    auto* label = new ClickLabel(QString::fromLatin1(name), caption, this);
    label->setGeometry(ui::TwipsRect(r.x(), r.y(), r.width(), r.height()));
    SetTabIndex(label, tab);
    controls_.append(label);
    return label;
}

void LauncherScreen::BuildThumbnails() {
    // The strip is made wide enough for the sixth thumbnail.
    const QRect r = ui::TwipsRect(660, 600, 2670, 345);
    strip_ = new QFrame(this);
    strip_->setObjectName(QStringLiteral("Picture1"));
    strip_->setGeometry(r.x(), r.y(), qMax(r.width(), ThumbnailX(6) + kThumbnailSize.width() + 2),
                        qMax(r.height(), kThumbnailSize.height() + 2));
    strip_->setAutoFillBackground(true);
    QPalette p = strip_->palette();
    p.setColor(QPalette::Window, QColor(255, 255, 255));
    strip_->setPalette(p);
    controls_.append(strip_);

    for (int n = 1; n <= kBackgroundCount; ++n) {
        auto* thumb = new ClickLabel(QStringLiteral("imgN1_%1").arg(n), QString(), strip_);
        thumb->setGeometry(QRect(QPoint(ThumbnailX(n), 1), kThumbnailSize));
        thumb->setScaledContents(true);
        thumb->setPixmap(QPixmap(PicturePath(programFolder_, n, true)));
        thumb->setCursor(Qt::PointingHandCursor);
        thumb->setToolTip(QStringLiteral("背景 %1").arg(n));
        controls_.append(thumb);
        connect(thumb, &ClickLabel::clicked, this, [this, n] { SetBackground(n); });
    }
}

void LauncherScreen::BuildHardCopy() {
    // Top right, in the picture's empty title band.
    ui::HardCopyIcon* icon = ui::CreateHardCopyIcon(this);
    icon->move(width() - icon->width() - 8, 8);
    controls_.append(icon);
}

ClickLabel* LauncherScreen::Button(const QString& name) const {
    for (ClickLabel* button : buttons_) {
        if (button->objectName() == name)
            return button;
    }
    return nullptr;
}

void LauncherScreen::Open(int storedBackground, int lastToolTab) {
    SetBackground(storedBackground);
    show();
    common::LetEventsRun(1);
    MarkLastTool(lastToolTab);
}

void LauncherScreen::SetBackground(int n) {
    background_ = EffectiveBackground(n);
    picture_ = QPixmap(PicturePath(programFolder_, background_, false));
    update();
}

QWidget* LauncherScreen::MarkLastTool(int tab) {
    for (QWidget* control : controls_) {
        if (TabIndexOf(control) != tab || !control->objectName().startsWith(QLatin1String("cmd")))
            continue;
        if (auto* button = qobject_cast<ClickLabel*>(control)) {
            button->SetBold(true);
            button->SetTextColour(MarkColour());
        }
        return control;
    }
    return nullptr;
}

void LauncherScreen::HoverButton(ClickLabel* label) {
    const QColor buttonText = QApplication::palette().color(QPalette::ButtonText);
    for (ClickLabel* button : buttons_) {
        button->SetTextColour(buttonText);
        button->SetOpaque(false);
    }
    label->SetTextColour(MarkColour());
    label->SetOpaque(true);

    // Reseeded from the clock on every mouse-over.
    QRandomGenerator random(quint32(QDateTime::currentMSecsSinceEpoch()));
    company_->show();
    company_->SetTextColour(GuideColour(random));
}

void LauncherScreen::StartToolOf(const ToolEntry& tool) {
    if (leaving_)
        return;
    leaving_ = true;
    setEnabled(false);
    HideAllWindows();
    StartTool(tool, background_, lock_);
}

void LauncherScreen::OpenPage(ClickLabel* label, Page page) {
    const QString kept = label->text();
    label->setText(kOpeningCaption);
    label->repaint();
    common::LetEventsRun(1);
    common::OpenDocument(PageTarget(page, programFolder_));
    label->setText(kept);
}

void LauncherScreen::End() {
    if (leaving_)
        return;
    leaving_ = true;
    HideAllWindows();
    EndLauncher(background_, lock_);
}

void LauncherScreen::HideAllWindows() {
    // The launcher's window and a hard copy window that may be open.
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
}

bool LauncherScreen::PreviewKey(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && !(event->modifiers() & ~Qt::KeypadModifier)) {
        End();
        return true;
    }
    return false;
}

bool LauncherScreen::FrameCloseRequested() {
    // Closing with the window frame ends the launcher as Esc does.
    End();
    return false;
}

void LauncherScreen::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (picture_.isNull())
        painter.fillRect(rect(), QColor(236, 240, 246));
    else
        painter.drawPixmap(rect(), picture_);
    ui::Screen::paintEvent(event);
}

void LauncherScreen::mouseMoveEvent(QMouseEvent* event) {
    // Only the window's free area hides the guide; moves over a control reach
    // here too, passed on by the control.
    if (!childAt(event->position().toPoint()))
        guide_->hide();
    ui::Screen::mouseMoveEvent(event);
}

} // namespace hubmenu
