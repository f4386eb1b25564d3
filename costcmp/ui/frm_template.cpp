#include "costcmp/ui/frm_template.h"

#include "common/messages.h"
#include "common/ui/fonts.h"
#include "costcmp/templates/template_record.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableWidget>

namespace costcmp {

using common::MsgButtons;
using common::MsgIcon;
using common::ShowMessage;
using ui::TwipsRect;

namespace {

const QString kNoName = QStringLiteral("設定して下さい");
const QString kNotListed = QStringLiteral("テンプレートにありません");

// A border around the controls, whose positions start at the window's edge.
constexpr int kMargin = 120;

template <typename W>
W* Place(W* widget, const QString& name, int left, int top, int width, int height) {
    widget->setObjectName(name);
    widget->setGeometry(TwipsRect(kMargin + left, kMargin + top, width, height));
    return widget;
}

// Whether the user answers OK to a question about the typed template.
bool Confirmed(const QString& question) {
    return ShowMessage(question, MsgIcon::Question, MsgButtons::OkCancel) == common::MsgAnswer::Ok;
}

// Whether `name` (empty after the "no name" message) is a listed template and
// the user agrees to `question`. A name that is not listed is reported and the
// focus goes back to the name box.
bool ListedAndConfirmed(TemplateStore& store, const QString& name, QLineEdit* nameBox,
                        const QString& question) {
    if (name.isEmpty())
        return false;
    if (!store.FindListedTemplate(name)) {
        ShowMessage(kNotListed, MsgIcon::Critical, MsgButtons::Ok);
        nameBox->setFocus(Qt::OtherFocusReason);
        return false;
    }
    return Confirmed(question);
}

} // namespace

TemplateScreen::TemplateScreen(TemplateStore& store, QWidget* parent)
    : ui::Screen(QString(), parent), store_(store) {
    setObjectName(QStringLiteral("FRM_TEMPLATE"));
    setWindowTitle(QStringLiteral("テンプレート"));
    BuildControls();
    setFixedSize(ui::TwipsSize(11550 + 2 * kMargin, 8940 + 2 * kMargin));

    SetFunctionButton(Qt::Key_F1, cmdF1_);
    SetFunctionButton(Qt::Key_F2, cmdF2_);
    SetFunctionButton(Qt::Key_F4, cmdF4_);
    SetFunctionButton(Qt::Key_F6, cmdF6_);
    SetFunctionButton(Qt::Key_F8, cmdF8_);
    SetCancelButton(cmdESC_);

    connect(cmdF1_, &QPushButton::clicked, this, &TemplateScreen::SortByName);
    connect(cmdF2_, &QPushButton::clicked, this, &TemplateScreen::SortByDate);
    connect(cmdF4_, &QPushButton::clicked, this, &TemplateScreen::DeleteFlow);
    connect(cmdF6_, &QPushButton::clicked, this, &TemplateScreen::LoadFlow);
    connect(cmdF8_, &QPushButton::clicked, this, &TemplateScreen::SaveFlow);
    connect(cmdESC_, &QPushButton::clicked, this, &TemplateScreen::CloseScreen);
    connect(cmdGrepOn_, &QPushButton::clicked, this, &TemplateScreen::FilterList);
    connect(cmdGrepOff_, &QPushButton::clicked, this, &TemplateScreen::ClearFilter);
    // A click on a row and a move of the selection by keyboard both copy the
    // row's name; a click on the row already selected does so too. Only a
    // selected row counts: the list taking the focus makes its first row
    // current without selecting it, which must not replace a typed name.
    connect(List1_, &QTableWidget::itemSelectionChanged, this, [this] {
        const QList<QTableWidgetItem*> selected = List1_->selectedItems();
        if (!selected.isEmpty())
            PickListedTemplate(selected.first()->row());
    });
    connect(List1_, &QTableWidget::cellClicked, this,
            [this](int row, int) { PickListedTemplate(row); });
    connect(List1_, &QTableWidget::cellDoubleClicked, this, [this] { LoadFlow(); });
}

void TemplateScreen::BuildControls() {
    // Created in tab order: the name first.
    Place(new QLabel(QStringLiteral("テンプレート名"), this), QStringLiteral("lblSyoMODE"), 0, 150,
          1455, 240);
    txtSyosiki_ = Place(new QLineEdit(this), QStringLiteral("txtSyosiki"), 0, 465, 11520, 390);

    Place(new QLabel(QStringLiteral("保存されているテンプレート"), this), QStringLiteral("Label1"),
          0, 960, 2760, 240);
    lblGrep_ = Place(new QLabel(QStringLiteral("絞り込み中"), this), QStringLiteral("lblGrep"),
                     3720, 960, 1230, 240);
    lblGrep_->setStyleSheet(QStringLiteral("color: #c00000;"));
    lblGrep_->hide();

    List1_ = Place(new QTableWidget(0, 3, this), QStringLiteral("List1"), 0, 1275, 11520, 6780);
    List1_->setHorizontalHeaderLabels(
        {QStringLiteral("番号"), QStringLiteral("更新日時"), QStringLiteral("テンプレート名")});
    List1_->setFont(QFont(ui::kGothic, 10));
    List1_->setSelectionMode(QAbstractItemView::SingleSelection);
    List1_->setSelectionBehavior(QAbstractItemView::SelectRows);
    List1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List1_->setTabKeyNavigation(false);
    List1_->setWordWrap(false);
    List1_->verticalHeader()->hide();
    List1_->verticalHeader()->setDefaultSectionSize(List1_->fontMetrics().height() + 6);
    QHeaderView* header = List1_->horizontalHeader();
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const QFontMetrics metrics(List1_->font());
    header->resizeSection(kNumberColumn, metrics.horizontalAdvance(QStringLiteral("00000")) + 16);
    header->resizeSection(kDateColumn,
                          metrics.horizontalAdvance(QStringLiteral("0000/00/00 00:00:00")) + 24);
    header->setStretchLastSection(true);
    // Said under the list when the folder holds more templates than are read.
    lblOmitted_ = Place(new QLabel(this), QStringLiteral("lblOmitted"), 0, 7815, 11520, 240);
    lblOmitted_->setStyleSheet(QStringLiteral("color: #c00000;"));
    lblOmitted_->hide();

    Place(new QLabel(QStringLiteral("絞り込み"), this), QStringLiteral("Label2"), 60, 8100, 900,
          240);
    txtGrepMoji_ = Place(new QLineEdit(this), QStringLiteral("txtGrepMoji"), 2610, 8130, 5955, 390);
    auto* note = Place(new QLabel(QStringLiteral("注意：全角／半角は区別されます"), this),
                       QStringLiteral("Label3"), 60, 8370, 2535, 180);
    note->setFont(QFont(ui::kPGothic, 8));
    optOr_ = Place(new QRadioButton(QStringLiteral("または"), this), QStringLiteral("optOr"), 2640,
                   8580, 1095, 315);
    optAnd_ = Place(new QRadioButton(QStringLiteral("かつ"), this), QStringLiteral("optAnd"), 3750,
                    8580, 855, 315);
    optNasi_ = Place(new QRadioButton(QStringLiteral("なし"), this), QStringLiteral("optNasi"),
                     4680, 8580, 855, 315);
    optNasi_->setChecked(true);
    txtGrepMoji2_ =
        Place(new QLineEdit(this), QStringLiteral("txtGrepMoji2"), 5640, 8550, 5865, 390);
    cmdGrepOn_ = Place(new QPushButton(QStringLiteral("絞込"), this), QStringLiteral("cmdGrepOn"),
                       8820, 8190, 1365, 330);
    cmdGrepOff_ = Place(new QPushButton(QStringLiteral("絞込解除"), this),
                        QStringLiteral("cmdGrepOff"), 10185, 8190, 1365, 330);

    cmdF6_ = Place(new QPushButton(QStringLiteral("F6:読込"), this), QStringLiteral("cmdF6"), 7050,
                   120, 1500, 330);
    cmdF8_ = Place(new QPushButton(QStringLiteral("F8:保存"), this), QStringLiteral("cmdF8"), 8550,
                   120, 1500, 330);
    cmdESC_ = Place(new QPushButton(QStringLiteral("ESC:閉じる"), this), QStringLiteral("cmdESC"),
                    10050, 120, 1500, 330);
    cmdF1_ = Place(new QPushButton(QStringLiteral("F1:名前順"), this), QStringLiteral("cmdF1"),
                   5835, 930, 1500, 330);
    cmdF2_ = Place(new QPushButton(QStringLiteral("F2:日付時刻順"), this), QStringLiteral("cmdF2"),
                   7335, 930, 1700, 330);
    cmdF4_ = Place(new QPushButton(QStringLiteral("F4:ﾃﾝﾌﾟﾚｰﾄからの削除"), this),
                   QStringLiteral("cmdF4"), 9030, 930, 2500, 330);
}

void TemplateScreen::PrepareOpening(bool saveAndDeleteAllowed) {
    setWindowTitle(store_.ScreenTitle());
    cmdF4_->setEnabled(saveAndDeleteAllowed);
    cmdF8_->setEnabled(saveAndDeleteAllowed);
    result_ = TemplateResult::None;
    lblGrep_->hide();
    // Beyond the templates read, the list makes room for a line saying so.
    const int omitted = store_.Omitted();
    lblOmitted_->setText(QStringLiteral("テンプレートが多いため、新しいものから%1件を表示しています"
                                        "（他の%2件は表示されません）。")
                             .arg(TemplateStore::kMaxFiles)
                             .arg(omitted));
    lblOmitted_->setVisible(omitted > 0);
    List1_->setGeometry(TwipsRect(kMargin, kMargin + 1275, 11520, omitted > 0 ? 6500 : 6780));
    ShowTemplateList(TemplateSortKey::Date);
    txtSyosiki_->setFocus(Qt::OtherFocusReason);
}

void TemplateScreen::ShowTemplateList(TemplateSortKey key) {
    store_.SortListed(key);
    RedrawList();
}

void TemplateScreen::RedrawList() {
    // Filling the list is no click: the name field stays as typed.
    const QSignalBlocker block(List1_);
    List1_->clearContents();
    const QList<TemplateEntry>& listed = store_.Listed();
    List1_->setRowCount(int(listed.size()));
    for (int row = 0; row < int(listed.size()); ++row) {
        // The position as four digits, as FormatTemplateRow numbers rows.
        auto* number = new QTableWidgetItem(FormatTemplateRow(row + 1, listed[row]).left(4));
        // The row's own file, so that deleting takes exactly this one.
        number->setData(Qt::UserRole, listed[row].fileName);
        List1_->setItem(row, kNumberColumn, number);
        List1_->setItem(row, kDateColumn, new QTableWidgetItem(listed[row].date));
        List1_->setItem(row, kNameColumn, new QTableWidgetItem(listed[row].name));
    }
}

void TemplateScreen::SortByName() {
    ShowTemplateList(TemplateSortKey::Name);
}

void TemplateScreen::SortByDate() {
    ShowTemplateList(TemplateSortKey::Date);
}

void TemplateScreen::PickListedTemplate(int row) {
    if (row < 0 || row >= List1_->rowCount() || !List1_->item(row, kNameColumn))
        return;
    txtSyosiki_->setText(List1_->item(row, kNameColumn)->text());
}

void TemplateScreen::FocusName() {
    txtSyosiki_->setFocus(Qt::OtherFocusReason);
}

QString TemplateScreen::TypedNameOrComplain() {
    const QString name = TrimHalfWidthSpaces(txtSyosiki_->text());
    if (name.isEmpty()) {
        ShowMessage(kNoName, MsgIcon::Critical, MsgButtons::Ok);
        FocusName();
    }
    return name;
}

void TemplateScreen::DeleteFlow() {
    if (!cmdF4_->isEnabled())
        return;
    const QString name = TypedNameOrComplain();
    if (!ListedAndConfirmed(store_, name, txtSyosiki_,
                            QStringLiteral("テンプレートから削除します。よろしいですか？")))
        return;
    const int row = RowToDelete(name);
    QString failedPath;
    const bool deleted =
        row >= 0 ? store_.DeleteTemplateFile(
                       List1_->item(row, kNumberColumn)->data(Qt::UserRole).toString(), &failedPath)
                 : store_.DeleteTemplate(name, &failedPath);
    if (!deleted) {
        ShowMessage(
            common::JoinLines({QStringLiteral("テンプレートを削除できませんでした"), failedPath}),
            MsgIcon::Critical, MsgButtons::Ok);
        return;
    }
    // Only the row goes; the others keep their numbers until the next redraw.
    if (row >= 0) {
        const QSignalBlocker block(List1_);
        List1_->removeRow(row);
    }
}

int TemplateScreen::RowToDelete(const QString& name) const {
    const auto shows = [&](int row) {
        const QTableWidgetItem* item = List1_->item(row, kNameColumn);
        return item && TrimHalfWidthSpaces(item->text()) == name;
    };
    const QList<QTableWidgetItem*> selected = List1_->selectedItems();
    if (!selected.isEmpty() && shows(selected.first()->row()))
        return selected.first()->row();
    for (int row = 0; row < List1_->rowCount(); ++row)
        if (shows(row))
            return row;
    return -1;
}

void TemplateScreen::LoadFlow() {
    const QString name = TypedNameOrComplain();
    if (!ListedAndConfirmed(store_, name, txtSyosiki_,
                            QStringLiteral("テンプレートから読み込みます。よろしいですか？")))
        return;
    result_ = TemplateResult::Load;
    chosenName_ = name;
    hide();
}

void TemplateScreen::SaveFlow() {
    if (!cmdF8_->isEnabled())
        return;
    const QString name = TypedNameOrComplain();
    if (name.isEmpty())
        return;
    if (!IsValidTemplateName(name)) {
        ShowMessage(
            common::JoinLines({QStringLiteral("テンプレート名はファイル名として使えません"),
                               QStringLiteral("（\\ / : * ? \" < > | と CON、NUL などの装置名は"
                                              "使えません）")}),
            MsgIcon::Critical, MsgButtons::Ok);
        FocusName();
        return;
    }
    if (!Confirmed(QStringLiteral("テンプレートに保存します。いいですか？")))
        return;
    result_ = TemplateResult::Save;
    chosenName_ = name;
    hide();
}

void TemplateScreen::CloseScreen() {
    result_ = TemplateResult::None;
    hide();
}

SearchMode TemplateScreen::SelectedMode() const {
    if (optAnd_->isChecked())
        return SearchMode::And;
    if (optOr_->isChecked())
        return SearchMode::Or;
    return SearchMode::No;
}

void TemplateScreen::FilterList() {
    if (!store_.FilterTemplates(txtGrepMoji_->text(), txtGrepMoji2_->text(), SelectedMode())) {
        ShowMessage(QStringLiteral("条件を指定してください"), MsgIcon::None, MsgButtons::Ok);
        txtGrepMoji2_->setFocus(Qt::OtherFocusReason);
        return;
    }
    RedrawList();
    lblGrep_->show();
}

void TemplateScreen::ClearFilter() {
    if (!store_.ClearTemplateFilter())
        return;
    RedrawList();
    lblGrep_->hide();
}

} // namespace costcmp
