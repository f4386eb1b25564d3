#include "costcmp/ui/frm_costcmp1.h"

#include "common/ui/hard_copy_icon.h"
#include "costcmp/core/input_values.h"
#include "costcmp/core/screen_texts.h"
#include "costcmp/ui/screen_parts.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace costcmp {

namespace {

const QString kMarkerText = QStringLiteral("入力不要(求める解)");

// The label beside each box, in box order SA ... CB.
const QString kParamLabels[kParamCount] = {
    QStringLiteral("初期費用（円）"),
    QStringLiteral("月額使用料（１ユーザ／月・円）"),
    QStringLiteral("ユーザ数"),
    QStringLiteral("自社要員工数（人・月）要件定義用"),
    QStringLiteral("サーバ構築費用(万円)"),
    QStringLiteral("自社開発システム開発費用(万円)"),
    QStringLiteral("１年目保守費用（開発費×％/年額）"),
    QStringLiteral("２年目以降保守費用（開発費×％/年額）"),
    QStringLiteral("自社要員工数（人・月）要件定義用"),
    QStringLiteral("使用期間（年）"),
    QStringLiteral("自社要員費用単価（万円／月）"),
};

// The solution whose sought parameter is box `index`, 0 for none.
int SoughtBy(int index) {
    switch (index) {
    case 1: // SB
        return 4;
    case 2: // SC
        return 1;
    case 5: // JB
        return 3;
    case 7: // JD
        return 5;
    case 9: // CA
        return 2;
    default:
        return 0;
    }
}

} // namespace

CostInputScreen::CostInputScreen(QWidget* parent) : ui::Screen(QStringLiteral("COSTCMP1"), parent) {
    setObjectName(QStringLiteral("FRM_COSTCMP1"));

    auto* body = new QVBoxLayout;
    body->setContentsMargins(12, 10, 12, 10);
    body->setSpacing(8);
    body->addWidget(BuildParameterFrame(QStringLiteral("ＳＡＡＳパラメータ"), {0, 1, 2, 3}));
    body->addWidget(BuildParameterFrame(QStringLiteral("自社開発パラメータ"), {4, 5, 6, 7, 8}));
    body->addWidget(BuildParameterFrame(QStringLiteral("共通パラメータ"), {9, 10}));
    body->addWidget(BuildSolutionFrame());
    body->addSpacing(4);
    body->addWidget(BuildButtonRow());

    // The label column lines up across the three parameter frames.
    int labelWidth = 0;
    const QList<QLabel*> labels = findChildren<QLabel*>(QStringLiteral("lblParam"));
    for (const QLabel* label : labels)
        labelWidth = qMax(labelWidth, label->sizeHint().width());
    for (QLabel* label : labels)
        label->setMinimumWidth(labelWidth);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(MakeTitleBanner(this, ui::CreateHardCopyIcon(this)));
    outer->addLayout(body);
    outer->addWidget(
        MakeGuideBar(this, QStringLiteral("値を選ぶか入力し、求める解を選んで F12 で計算します")));
    outer->setSizeConstraint(QLayout::SetFixedSize);

    SetFunctionButton(Qt::Key_F12, cmdF12_);
    SetCancelButton(cmdEsc_);
    ShowSelectedSolution();
}

QWidget* CostInputScreen::BuildParameterFrame(const QString& caption,
                                              std::initializer_list<int> params) {
    auto* frame = new QGroupBox(caption, this);
    auto* grid = new QGridLayout(frame);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(4);
    grid->setColumnStretch(3, 1);
    int row = 0;
    for (int index : params) {
        const QString code = QString::fromLatin1(kParamCodes[index]);
        auto* label = new QLabel(kParamLabels[index], frame);
        label->setObjectName(QStringLiteral("lblParam"));

        auto* box = new QComboBox(frame);
        box->setObjectName(QStringLiteral("cmb") + code);
        box->setEditable(true);
        // The box keeps what the user typed: no completion, nothing added
        // to the list.
        box->setCompleter(nullptr);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setMaxVisibleItems(20);
        box->setMinimumWidth(ui::Twips(1900));
        label->setBuddy(box);
        boxes_[index] = box;

        grid->addWidget(label, row, 0);
        grid->addWidget(box, row, 1);
        if (const int kai = SoughtBy(index)) {
            auto* marker = new QLabel(kMarkerText, frame);
            marker->setObjectName(QStringLiteral("lblKAI") + QString::number(kai));
            QPalette palette = marker->palette();
            palette.setColor(QPalette::WindowText, QColor(200, 0, 0));
            marker->setPalette(palette);
            // A hidden marker keeps its place, so nothing moves when the
            // solution changes.
            QSizePolicy policy = marker->sizePolicy();
            policy.setRetainSizeWhenHidden(true);
            marker->setSizePolicy(policy);
            markers_[kai - 1] = marker;
            grid->addWidget(marker, row, 2);
        }
        ++row;
    }
    return frame;
}

QWidget* CostInputScreen::BuildSolutionFrame() {
    auto* frame = new QGroupBox(QStringLiteral("求める解の選択"), this);
    auto* column = new QVBoxLayout(frame);
    column->setSpacing(2);
    kaiGroup_ = new QButtonGroup(this);
    for (int kai = 1; kai <= 5; ++kai) {
        auto* option = new QRadioButton(SolutionCaption(SolutionKindFromNumber(kai)), frame);
        option->setObjectName(QStringLiteral("optKai") + QString::number(kai));
        kaiGroup_->addButton(option, kai);
        options_[kai - 1] = option;
        column->addWidget(option);
        connect(option, &QRadioButton::toggled, this, [this] { ShowSelectedSolution(); });
    }
    return frame;
}

QWidget* CostInputScreen::BuildButtonRow() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* command1 = MakeButton(QStringLiteral("Command1"), QStringLiteral("テンプレート"), row);
    auto* command2 = MakeButton(QStringLiteral("Command2"), QStringLiteral("サンプル設定"), row);
    cmdF12_ = MakeButton(QStringLiteral("cmdF12"), QStringLiteral("F12:実　行"), row);
    cmdEsc_ = MakeButton(QStringLiteral("cmdEsc"), QStringLiteral("ESC:メニューへ"), row);
    layout->addWidget(command1);
    layout->addWidget(command2);
    layout->addStretch(1);
    layout->addWidget(cmdF12_);
    layout->addWidget(cmdEsc_);

    connect(command1, &QPushButton::clicked, this, &CostInputScreen::TemplateRequested);
    connect(command2, &QPushButton::clicked, this, &CostInputScreen::LoadSampleValues);
    connect(cmdF12_, &QPushButton::clicked, this, &CostInputScreen::CalculateRequested);
    connect(cmdEsc_, &QPushButton::clicked, this, &CostInputScreen::ExitRequested);
    return row;
}

bool CostInputScreen::eventFilter(QObject* watched, QEvent* event) {
    // F12 while a box's list is open: the list is a window of its own, which
    // the key preview does not see. The list closes and the calculation runs.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F12) {
        for (QComboBox* box : boxes_) {
            QWidget* list = box->view()->window();
            if (list != this && list->isVisible()) {
                box->hidePopup();
                PressButton(cmdF12_);
                return true;
            }
        }
    }
    return ui::Screen::eventFilter(watched, event);
}

ParamTexts CostInputScreen::Texts() const {
    ParamTexts texts;
    for (int i = 0; i < kParamCount; ++i)
        texts[i] = boxes_[i]->currentText();
    return texts;
}

void CostInputScreen::SetTexts(const ParamTexts& texts) {
    for (int i = 0; i < kParamCount; ++i)
        boxes_[i]->setEditText(texts[i]);
}

SolutionKind CostInputScreen::SelectedSolution() const {
    return SolutionKindFromNumber(kaiGroup_->checkedId());
}

void CostInputScreen::SelectSolution(SolutionKind kind) {
    if (kind != SolutionKind::None) {
        options_[SolutionNumber(kind) - 1]->setChecked(true);
    } else if (QAbstractButton* checked = kaiGroup_->checkedButton()) {
        // An exclusive group refuses to uncheck its last button.
        kaiGroup_->setExclusive(false);
        checked->setChecked(false);
        kaiGroup_->setExclusive(true);
    }
    ShowSelectedSolution();
}

void CostInputScreen::FillValueLists() {
    for (int i = 0; i < kParamCount; ++i) {
        QComboBox* box = boxes_[i];
        const QString text = box->currentText();
        box->clear();
        box->addItems(DropDownEntries(i));
        box->setEditText(text);
    }
}

void CostInputScreen::ShowSelectedSolution() {
    const int chosen = SolutionNumber(SelectedSolution());
    for (int kai = 1; kai <= 5; ++kai)
        markers_[kai - 1]->setVisible(kai == chosen);
}

void CostInputScreen::LoadSampleValues() {
    SetTexts(SampleParamTexts());
    SelectSolution(kSampleSolution);
}

} // namespace costcmp
