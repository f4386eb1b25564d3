#include "spreadsheet/ui/gate_windows.h"
#include "common/seam.h"

#include "common/ui/fonts.h"

#include <QApplication>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace sheet {

void PlaceForm(QWidget* form) {
    QScreen* screen = form->screen() ? form->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize size = form->frameGeometry().size();
    const FormPosition pos =
        CenterForm(area.width() * kTwipsPerPixel, area.height() * kTwipsPerPixel,
                   size.width() * kTwipsPerPixel, size.height() * kTwipsPerPixel);
    form->move(area.left() + pos.left / kTwipsPerPixel, area.top() + pos.top / kTwipsPerPixel);
}

// ---------------------------------------------------------------- RunningOfficeScreen

RunningOfficeScreen::RunningOfficeScreen(QWidget* parent) : ui::Screen(QString(), parent) {
    setObjectName(QStringLiteral("Frm_excel2jyu"));
    setWindowTitle(QStringLiteral("ＥＸＣＥＬ２重起動"));
    SetCentredOnShow(false);
    setModal(true);
    QFont font(ui::kGothic);
    font.setPointSize(11);
    setFont(font);

    auto* layout = new QVBoxLayout(this);
    auto label = [&](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        layout->addWidget(l);
        return l;
    };
    label("Label1", QStringLiteral("Excelが起動しています。"));
    label("Label2", QStringLiteral("この処理はExcelが起動している場合は行えません。"));
    label("Label3", QStringLiteral("Excelを終了させてください。"));
    layout->addSpacing(ui::Twips(120));
    label("Label4", QStringLiteral("処理の選択"));

    auto option = [&](const char* name, const QString& text) {
        auto* o = new QRadioButton(text, this);
        o->setObjectName(QString::fromLatin1(name));
        layout->addWidget(o);
        return o;
    };
    optTyudan = option("optTyudan", QStringLiteral("処理を中断する"));
    optZokkou = option("optZokkou", QStringLiteral("Excelを終了したので、処理を続行する。"));
    optAutoQuit = option("optAutoQuit", QStringLiteral("Excelを自動終了させて、処理を続行する。"));
    auto* group = new QButtonGroup(this);
    group->addButton(optTyudan);
    group->addButton(optZokkou);
    group->addButton(optAutoQuit);
    optAutoQuit->setChecked(true);

    cmdF12 = new QPushButton(QStringLiteral("選択した処理を行う"), this);
    cmdF12->setObjectName(QStringLiteral("cmdF12"));
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(cmdF12);
    layout->addSpacing(ui::Twips(120));
    layout->addLayout(row);
    SetFunctionButton(Qt::Key_F12, cmdF12);
    // Hiding ends the modal show and hands the choice to the gate.
    connect(cmdF12, &QPushButton::clicked, this, [this] { hide(); });
}

GateChoice RunningOfficeScreen::Choice() const {
    if (optTyudan->isChecked())
        return GateChoice::Stop;
    if (optZokkou->isChecked())
        return GateChoice::Continue;
    return GateChoice::AutoQuit;
}

void RunningOfficeScreen::SetChoice(GateChoice choice) {
    (choice == GateChoice::Stop       ? optTyudan
     : choice == GateChoice::Continue ? optZokkou
                                      : optAutoQuit)
        ->setChecked(true);
}

bool RunningOfficeScreen::FrameCloseRequested() {
    // Closed by its frame: as if unloaded, the next reading finds the
    // selection the dialog is designed with.
    optAutoQuit->setChecked(true);
    return true;
}

void RunningOfficeScreen::showEvent(QShowEvent* event) {
    ui::Screen::showEvent(event);
    PlaceForm(this);
}

// ---------------------------------------------------------------- ProgressScreen

MiddleElidedLabel::MiddleElidedLabel(QWidget* parent) : QLabel(parent) {
    setWordWrap(false);
    // The window keeps its width; the text is shortened instead.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void MiddleElidedLabel::SetFullText(const QString& text) {
    fullText_ = text;
    setToolTip(text);
    Elide();
}

QSize MiddleElidedLabel::minimumSizeHint() const {
    return QSize(0, QLabel::minimumSizeHint().height());
}

void MiddleElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Elide();
}

void MiddleElidedLabel::Elide() {
    setText(fontMetrics().elidedText(fullText_, Qt::ElideMiddle, qMax(0, contentsRect().width())));
}

namespace {
// Labels that show only while they have a text.
bool ShownWhileNotEmpty(ProgressLabel label) {
    return label == ProgressLabel::ItemDetail || label == ProgressLabel::SecondCounter ||
           label == ProgressLabel::Note || label == ProgressLabel::Footnote;
}
} // namespace

ProgressScreen::ProgressScreen(QWidget* parent) : ui::Screen(QString(), parent) {
    setObjectName(QStringLiteral("Frm_excelRun"));
    setWindowTitle(QStringLiteral("経過表示"));
    SetCentredOnShow(false);
    setModal(false);
    // Wide enough for a book's path with its folder, shortened in the middle.
    setMinimumWidth(ui::Twips(8100));
    QFont font(ui::kPGothic);
    font.setPointSize(10);

    auto* layout = new QVBoxLayout(this);
    auto label = [&](QLabel*& field, const char* name, const QString& text = QString()) {
        field = new QLabel(text, this);
        field->setObjectName(QString::fromLatin1(name));
        field->setFont(font);
    };
    label(lblKey1, "lblKey1");
    lblKey2 = new MiddleElidedLabel(this);
    lblKey2->setObjectName(QStringLiteral("lblKey2"));
    lblKey2->setFont(font);
    label(lblKey3, "lblKey3");
    label(lblKen1, "lblKen1", QStringLiteral("2/2"));
    label(lblKen2, "lblKen2", QStringLiteral("1/1"));
    label(lblKen4, "lblKen4");
    label(lblD1, "lblD1");
    label(lblKenCaption, "lblKenCaption");
    label(lblStopNote, "lblStopNote");
    for (QLabel* idle : {lblKey3, lblKen4, lblD1, lblKenCaption, lblStopNote})
        idle->hide();
    auto bar = [&](QProgressBar*& field, const char* name) {
        field = new QProgressBar(this);
        field->setObjectName(QString::fromLatin1(name));
        field->setRange(0, 100);
        field->setValue(0);
    };
    bar(proBAR, "proBAR");
    bar(proBAR2, "proBAR2");

    layout->addWidget(lblKey1);
    layout->addWidget(lblKey2);
    layout->addWidget(lblKey3);
    auto* counts = new QHBoxLayout;
    counts->addWidget(lblKenCaption);
    counts->addWidget(lblKen1);
    counts->addStretch();
    counts->addWidget(lblKen2);
    counts->addStretch();
    counts->addWidget(lblKen4);
    layout->addLayout(counts);
    layout->addWidget(proBAR);
    layout->addWidget(proBAR2);
    layout->addWidget(lblD1);

    Command1 = new QPushButton(QStringLiteral("中断"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    auto* row = new QHBoxLayout;
    row->addWidget(lblStopNote);
    row->addStretch();
    row->addWidget(Command1);
    layout->addLayout(row);
    connect(Command1, &QPushButton::clicked, this, [] { ConfirmStop(); });
}

void ProgressScreen::SetLabelText(ProgressLabel label, const QString& text) {
    if (label == ProgressLabel::Item) {
        static_cast<MiddleElidedLabel*>(lblKey2)->SetFullText(text);
        return;
    }
    QLabel* field = Label(label);
    field->setText(text);
    if (ShownWhileNotEmpty(label))
        field->setVisible(!text.isEmpty());
}

QString ProgressScreen::LabelText(ProgressLabel label) const {
    if (label == ProgressLabel::Item)
        return static_cast<MiddleElidedLabel*>(lblKey2)->FullText();
    return Label(label)->text();
}

void ProgressScreen::SetLabelVisible(ProgressLabel label, bool visible) {
    Label(label)->setVisible(visible);
    if (label == ProgressLabel::Counter)
        lblKenCaption->setVisible(visible && !lblKenCaption->text().isEmpty());
}

void ProgressScreen::SetCountCaption(const QString& caption) {
    lblKenCaption->setText(caption);
    lblKenCaption->setVisible(!caption.isEmpty() && lblKen1->isVisibleTo(this));
}

void ProgressScreen::SetStopAllowed(bool allowed, const QString& note) {
    Command1->setEnabled(allowed);
    lblStopNote->setText(note);
    lblStopNote->setVisible(!note.isEmpty());
}

QLabel* ProgressScreen::Label(ProgressLabel label) const {
    switch (label) {
    case ProgressLabel::Task:
        return lblKey1;
    case ProgressLabel::Item:
        return lblKey2;
    case ProgressLabel::ItemDetail:
        return lblKey3;
    case ProgressLabel::Counter:
        return lblKen1;
    case ProgressLabel::SecondCounter:
        return lblKen2;
    case ProgressLabel::Note:
        return lblKen4;
    case ProgressLabel::Footnote:
        return lblD1;
    }
    return lblD1;
}

QProgressBar* ProgressScreen::Bar(ProgressBar bar) const {
    return bar == ProgressBar::Bar ? proBAR : proBAR2;
}

void ProgressScreen::showEvent(QShowEvent* event) {
    ui::Screen::showEvent(event);
    PlaceForm(this);
}

bool ProgressScreen::FrameCloseRequested() {
    ConfirmStop();
    return false;
}

// ---------------------------------------------------------------- adapters

GateChoice GateDialogWindow::ShowModal() {
    if (!form_)
        form_ = new RunningOfficeScreen;
    form_->exec();
    if (!form_) // closed by its frame and gone: loaded afresh
        form_ = new RunningOfficeScreen;
    return form_->Choice();
}

void GateDialogWindow::Unload() {
    delete form_.data();
}

ProgressWindowView::~ProgressWindowView() {
    delete form_.data();
}

ProgressScreen* ProgressWindowView::Load() {
    if (!form_)
        form_ = new ProgressScreen;
    return form_;
}

void ProgressWindowView::Show() {
    ProgressScreen* form = Load();
    form->show();
    form->raise();
    form->activateWindow();
}

void ProgressWindowView::Unload() {
    delete form_.data();
}

void ProgressWindowView::SetLabelText(ProgressLabel label, const QString& text) {
    Load()->SetLabelText(label, text);
}

void ProgressWindowView::SetLabelVisible(ProgressLabel label, bool visible) {
    Load()->SetLabelVisible(label, visible);
}

void ProgressWindowView::SetCountCaption(const QString& caption) {
    Load()->SetCountCaption(caption);
}

void ProgressWindowView::SetStopAllowed(bool allowed, const QString& note) {
    Load()->SetStopAllowed(allowed, note);
}

void ProgressWindowView::SetBarValue(ProgressBar bar, int value) {
    Load()->Bar(bar)->setValue(std::clamp(value, 0, 100));
}

void ProgressWindowView::SetBarVisible(ProgressBar bar, bool visible) {
    Load()->Bar(bar)->setVisible(visible);
}

void ProgressWindowView::ProcessEvents() {
    QApplication::processEvents();
}

void InstallGateWindows() {
    // Alive until the program ends; never destroyed after the application.
    static auto* dialog = new GateDialogWindow;
    static auto* progress = new ProgressWindowView;
    static common::ScopedOverride<GateDialog> dialogInPlace(GateDialogSeam(), dialog);
    static common::ScopedOverride<ProgressView> progressInPlace(ProgressViewSeam(), progress);
}

} // namespace sheet
