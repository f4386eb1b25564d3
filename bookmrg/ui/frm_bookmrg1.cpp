#include "bookmrg/ui/frm_bookmrg1.h"

#include "bookmrg/book_list.h"
#include "bookmrg/engine.h"
#include "bookmrg/run_check.h"
#include "bookmrg/settings.h"
#include "bookmrg/ui/frm_bookmrg1_help.h"
#include "common/cp932.h"
#include "common/messages.h"
#include "common/paths.h"
#include "common/result_words.h"
#include "common/ui/file_dialogs.h"
#include "common/ui/widgets.h"
#include "workbook_tools/output_name.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace bookmrg {

using ui::Button;
using ui::Named;

ConsolidationScreen::ConsolidationScreen()
    : ToolScreen(QStringLiteral("BOOKMRG1"), QStringLiteral("BOOKMRG")) {
    setObjectName(QStringLiteral("FRM_BOOKMRG1"));
    runner_ = &ConsolidateBooks;
    BuildControls();
}

ConsolidationScreen::~ConsolidationScreen() {
    delete help_;
}

void ConsolidationScreen::BuildControls() {
    const ui::ToolFrame frame =
        ui::BuildToolFrame(this, QStringLiteral("補助処理(複数ブックのシートを１つにまとめる)"),
                           QMargins(10, 8, 10, 6), 8);
    Label6 = frame.title;
    stb_Guaid = frame.statusBar;
    QVBoxLayout* body = frame.body;

    // Output workbook.
    auto* Frame1 =
        Named(new QGroupBox(QStringLiteral("出力するExcelブック名(フォルダを指定しない場合は"
                                           "マイドキュメントに作成されます）"),
                            this),
              "Frame1");
    auto* outLayout = new QHBoxLayout(Frame1);
    txtOtFname = Named(new QLineEdit(Frame1), "txtOtFname");
    // No length limit of the box's own: it would cut a pasted path silently;
    // the guard refuses it by its length in bytes instead.
    GuardStoredPath(txtOtFname, kOutputBookWidth);
    cmdF9 = Button(QStringLiteral("F9:参照"), "cmdF9", Frame1);
    outLayout->addWidget(txtOtFname, 1);
    outLayout->addWidget(cmdF9);
    body->addWidget(Frame1);

    // Books.
    auto* Frame3 = Named(new QGroupBox(QStringLiteral("対象ブック"), this), "Frame3");
    auto* booksLayout = new QHBoxLayout(Frame3);
    List1 = Named(new QListWidget(Frame3), "List1");
    List1->setMinimumHeight(200);
    List1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    auto* listButtons = new QVBoxLayout;
    cmdF6 = Button(QStringLiteral("F6:参照"), "cmdF6", Frame3);
    Command2 = Button(QStringLiteral("対象から外す"), "Command2", Frame3);
    Command1 = Button(QStringLiteral("全クリア"), "Command1", Frame3);
    listButtons->addWidget(cmdF6);
    listButtons->addWidget(Command2);
    listButtons->addWidget(Command1);
    listButtons->addStretch();
    booksLayout->addWidget(List1, 1);
    booksLayout->addLayout(listButtons);
    body->addWidget(Frame3, 1);

    // Sheets to leave out, and the limits.
    auto* lower = new QHBoxLayout;
    auto* Frame2 = Named(new QGroupBox(QStringLiteral("対象から除外するシート名"), this), "Frame2");
    auto* exclLayout = new QGridLayout(Frame2);
    auto* Label1 =
        Named(new QLabel(QStringLiteral("下記で指定したシート名は対象から除外します。"), Frame2),
              "Label1");
    auto* Label3 =
        Named(new QLabel(QStringLiteral("（２つまで指定が可能です。）"), Frame2), "Label3");
    txtJgy_1 = Named(new QLineEdit(Frame2), "txtJgy_1");
    txtJgy_2 = Named(new QLineEdit(Frame2), "txtJgy_2");
    // Sheet names BOOKMRG.PRM could not keep unchanged are refused as typed.
    for (QLineEdit* box : {txtJgy_1, txtJgy_2}) {
        GuardStoredText(box, [](const QString& text) {
            return common::StoredNameProblem(text, kExcludeWidth);
        });
    }
    optStIti1 =
        Named(new QRadioButton(QStringLiteral("完全一致のシート名を除外"), Frame2), "optStIti1");
    optStIti2 = Named(new QRadioButton(QStringLiteral("一部が一致するシート名を除外"), Frame2),
                      "optStIti2");
    optStIti1->setChecked(true);
    Command4 = Button(QStringLiteral("全クリア"), "Command4", Frame2);
    exclLayout->addWidget(Label1, 0, 0, 1, 2);
    exclLayout->addWidget(Label3, 1, 0, 1, 2);
    exclLayout->addWidget(txtJgy_1, 2, 0);
    exclLayout->addWidget(txtJgy_2, 3, 0);
    exclLayout->addWidget(Command4, 2, 1, 2, 1, Qt::AlignTop);
    exclLayout->addWidget(optStIti1, 4, 0, 1, 2);
    exclLayout->addWidget(optStIti2, 5, 0, 1, 2);
    lower->addWidget(Frame2, 3);

    auto* Frame4 = Named(new QGroupBox(QStringLiteral("制限事項"), this), "Frame4");
    auto* limitsLayout = new QVBoxLayout(Frame4);
    auto* Label5 = Named(
        new QLabel(
            QStringLiteral("この処理でまとめられるシート数はexcelの制限よりかなり少なくなります。"),
            Frame4),
        "Label5");
    Label5->setWordWrap(true);
    Command3 = Button(QStringLiteral("説明"), "Command3", Frame4);
    limitsLayout->addWidget(Label5);
    limitsLayout->addStretch();
    limitsLayout->addWidget(Command3, 0, Qt::AlignRight);
    lower->addWidget(Frame4, 2);
    body->addLayout(lower);

    const ui::RunExitRow bottom =
        ui::BuildRunExitRow(this, QStringLiteral("F12:Excel出力"), QStringLiteral("ESC:前画面"));
    cmdF12 = bottom.run;
    cmdEsc = bottom.exit;
    body->addLayout(bottom.layout);

    // Panels without a role in this program, kept hidden.
    auto* pnlDEBUG = Named(new QWidget(this), "pnlDEBUG");
    Named(new QLabel(QStringLiteral("デバッグモード"), pnlDEBUG), "Label4");
    auto* pnlOUT = Named(new QWidget(this), "pnlOUT");
    Named(new QLabel(QStringLiteral("ﾌﾟﾘﾝﾀｰ出力先"), pnlOUT), "Label2");
    Named(new QLabel(QStringLiteral("ＳＣＲ"), pnlOUT), "lblOUT");
    pnlDEBUG->hide();
    pnlOUT->hide();

    setTabOrder(txtOtFname, cmdF9);
    setTabOrder(cmdF9, List1);
    setTabOrder(List1, cmdF6);
    setTabOrder(cmdF6, Command2);
    setTabOrder(Command2, Command1);
    setTabOrder(Command1, txtJgy_1);
    setTabOrder(txtJgy_1, txtJgy_2);
    setTabOrder(txtJgy_2, Command4);
    setTabOrder(Command4, optStIti1);
    setTabOrder(optStIti1, optStIti2);
    setTabOrder(optStIti2, Command3);
    setTabOrder(Command3, cmdF12);
    setTabOrder(cmdF12, cmdEsc);

    SetFunctionButton(Qt::Key_F6, cmdF6);
    SetFunctionButton(Qt::Key_F9, cmdF9);
    SetFunctionButton(Qt::Key_F12, cmdF12);
    SetCancelButton(cmdEsc);

    connect(cmdF6, &QPushButton::clicked, this, &ConsolidationScreen::AddBooks);
    connect(cmdF9, &QPushButton::clicked, this, &ConsolidationScreen::ChooseOutput);
    connect(Command2, &QPushButton::clicked, this, &ConsolidationScreen::RemoveSelected);
    connect(Command1, &QPushButton::clicked, this, &ConsolidationScreen::ClearBooks);
    connect(Command4, &QPushButton::clicked, this, &ConsolidationScreen::ClearExclusions);
    connect(Command3, &QPushButton::clicked, this, &ConsolidationScreen::ShowHelp);
    connect(cmdF12, &QPushButton::clicked, this, &ConsolidationScreen::Run);
    connect(cmdEsc, &QPushButton::clicked, this, &ConsolidationScreen::EndProgram);
    connect(List1, &QListWidget::itemDoubleClicked, this, &ConsolidationScreen::RemoveLine);

    resize(ui::Twips(10800), ui::Twips(8700));
}

void ConsolidationScreen::SetRunEnabled(bool enabled) {
    cmdF12->setEnabled(enabled);
}

QStringList ConsolidationScreen::BookLines() const {
    QStringList lines;
    for (int i = 0; i < List1->count(); ++i)
        lines.append(List1->item(i)->text());
    return lines;
}

void ConsolidationScreen::AddBookLine(const QString& path) {
    QStringList lines = BookLines();
    const int at = InsertSorted(lines, path);
    List1->insertItem(at, path);
}

void ConsolidationScreen::LoadSettings() {
    Settings settings;
    if (!ReadSettingsFile(&settings)) {
        // No settings file, and none could be made (no data folder yet):
        // the first start, as a new empty record would give it.
        if (!QFileInfo::exists(SettingsPath()))
            optStIti2->setChecked(true);
        return;
    }
    txtOtFname->setText(settings.outputBook);
    output_ = common::SplitPath(settings.outputBook);
    txtJgy_1->setText(settings.exclude1);
    txtJgy_2->setText(settings.exclude2);
    if (settings.matchMode == kMatchWhole)
        optStIti1->setChecked(true);
    else
        optStIti2->setChecked(true);
    List1->clear();
    for (const QString& book : settings.books)
        AddBookLine(book);
    add_ = common::SplitPath(settings.firstSlot);
}

void ConsolidationScreen::SaveSettings() {
    Settings settings;
    settings.outputBook = txtOtFname->text();
    settings.exclude1 = txtJgy_1->text();
    settings.exclude2 = txtJgy_2->text();
    settings.matchMode = optStIti1->isChecked() ? kMatchWhole : kMatchPart;
    settings.books = BookLines();
    QString error;
    if (!WriteSettingsFile(settings, &error)) {
        ReportUnsavedSettings(error);
        return;
    }
    // The record holds 64 books; the user hears which are not kept.
    if (settings.books.size() > kBookSlots)
        common::ShowMessage(UnsavedBooksMessage(settings.books.mid(kBookSlots)),
                            common::MsgIcon::Exclamation, common::MsgButtons::Ok);
}

QString UnsavedBooksMessage(const QStringList& unsaved) {
    constexpr int kShown = 5;
    QStringList lines = {QStringLiteral("対象ブックは６４ブックまでしか保存できません。"),
                         QStringLiteral("一覧の先頭から６４ブックを保存しました。"
                                        "次の%1ブックは保存されていません：")
                             .arg(unsaved.size())};
    for (qsizetype i = 0; i < unsaved.size() && i < kShown; ++i)
        lines.append(QStringLiteral("　") + unsaved.at(i));
    if (unsaved.size() > kShown)
        lines.append(QStringLiteral("　ほか%1ブック").arg(unsaved.size() - kShown));
    return lines.join(QLatin1Char('\r'));
}

RunParams ConsolidationScreen::RunParameters() const {
    RunParams params;
    params.outputBook = tools::TrimSpaces(txtOtFname->text());
    params.exclude1 = tools::TrimSpaces(txtJgy_1->text());
    params.exclude2 = tools::TrimSpaces(txtJgy_2->text());
    params.matchMode = optStIti1->isChecked() ? kMatchWhole : kMatchPart;
    params.books = BookLines();
    return params;
}

void ConsolidationScreen::AddBooks() {
    QStringList chosen;
    QString folder;
    QString fileName;
    const QString result = ui::OpenFilesDialog(this, chosen, add_.folder, QString(),
                                               tools::WorkbookOpenFilter(QStringLiteral("*.xls")),
                                               QStringLiteral("xls"), folder, fileName);
    if (result != common::kOk)
        return;
    // A book whose path BOOKMRG.PRM cannot keep is not listed: the next start
    // would list a book that does not exist.
    QStringList refused;
    for (const QString& path : chosen) {
        const QString problem = common::StoredPathProblem(path, kBookWidth);
        if (problem.isEmpty())
            AddBookLine(path);
        else
            refused.append(problem);
    }
    add_ = {folder, fileName};
    if (!refused.isEmpty()) {
        common::ShowMessage(QStringLiteral("次のブックは対象に加えませんでした。\r") +
                                refused.join(QLatin1Char('\r')),
                            common::MsgIcon::Exclamation, common::MsgButtons::Ok);
    }
}

void ConsolidationScreen::ChooseOutput() {
    QString folder;
    QString fileName;
    const QString result = ui::SaveFileDialog(this, output_.folder, QString(),
                                              tools::WorkbookSaveFilter(QStringLiteral("*.XLS")),
                                              QString(), folder, fileName);
    if (result != common::kOk)
        return;
    const QString path = tools::OutputFileChoice(folder, fileName);
    if (!AcceptStoredPath(path, kOutputBookWidth))
        return;
    txtOtFname->setText(path);
    output_ = common::SplitPath(path);
}

void ConsolidationScreen::RemoveSelected() {
    QListWidgetItem* item = List1->currentItem();
    if (!item || !item->isSelected()) {
        common::ShowMessage(QStringLiteral("選択されていません"), common::MsgIcon::None,
                            common::MsgButtons::Ok);
        return;
    }
    RemoveLine(item);
}

void ConsolidationScreen::RemoveLine(QListWidgetItem* item) {
    delete List1->takeItem(List1->row(item));
}

void ConsolidationScreen::ClearBooks() {
    List1->clear();
}

void ConsolidationScreen::ClearExclusions() {
    txtJgy_1->clear();
    txtJgy_2->clear();
}

void ConsolidationScreen::ShowHelp() {
    if (!help_)
        help_ = new ConsolidationHelpScreen;
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void ConsolidationScreen::Run() {
    const RunCheck check = ValidateRun(BookLines(), txtOtFname->text(), [this](const RunCheck& c) {
        if (c.selectLine >= 0)
            List1->setCurrentRow(c.selectLine);
        if (c.focusOutput)
            txtOtFname->setFocus();
    });
    if (!check.ok)
        return;
    const QString typed = txtOtFname->text();
    QString output = typed;
    const bool named = tools::CheckOutputName(output);
    txtOtFname->setText(output);
    if (!named) {
        txtOtFname->setFocus();
        return;
    }
    // The documents folder put in front of a bare name may make the path one
    // that BOOKMRG.PRM cannot keep: the box goes back to what was typed.
    if (!AcceptStoredPath(output, kOutputBookWidth)) {
        txtOtFname->setText(typed);
        txtOtFname->setFocus();
        return;
    }
    // A bare name has just been placed in the documents folder: the book list
    // must not hold that file either, or the run would overwrite a listed book.
    const int same = FindOutputAmongBooks(BookLines(), output);
    if (same >= 0) {
        List1->setCurrentRow(same);
        common::ShowMessage(SameNameMessage(), common::MsgIcon::None, common::MsgButtons::Ok);
        return;
    }

    hide();
    RunAndEnd([this] { return runner_(RunParameters()); });
}

void ConsolidationScreen::CloseOwnWindows() {
    if (help_)
        help_->close();
}

} // namespace bookmrg
