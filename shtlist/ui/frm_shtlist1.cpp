#include "shtlist/ui/frm_shtlist1.h"

#include "common/messages.h"
#include "common/paths.h"
#include "common/result_words.h"
#include "common/ui/file_dialogs.h"
#include "common/ui/widgets.h"
#include "shtlist/engine.h"
#include "shtlist/settings.h"
#include "shtlist/target_check.h"
#include "workbook_tools/output_name.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace shtlist {

using ui::Button;
using ui::Named;

SheetListScreen::SheetListScreen()
    : ToolScreen(QStringLiteral("SHTLIST1"), QStringLiteral("SHTLIST")) {
    setObjectName(QStringLiteral("FRM_SHTLIST1"));
    runner_ = [](const QString& target) { return BuildSheetList(target); };
    BuildControls();
}

void SheetListScreen::BuildControls() {
    const ui::ToolFrame frame =
        ui::BuildToolFrame(this, QStringLiteral("補助処理(ブックにシート名一覧を追加する)"),
                           QMargins(12, 12, 12, 6), 10);
    Label6 = frame.title;
    stb_Guaid = frame.statusBar;
    QVBoxLayout* body = frame.body;

    auto* Label1 = Named(
        new QLabel(QStringLiteral("指定したブックにシート名一覧のシートを追加します。"), this),
        "Label1");
    body->addWidget(Label1);

    auto* Frame1 = Named(new QGroupBox(QStringLiteral("Excelブック名"), this), "Frame1");
    auto* bookLayout = new QHBoxLayout(Frame1);
    txtOtFname = Named(new QLineEdit(Frame1), "txtOtFname");
    txtOtFname->setMaxLength(kMaxTextBytes);
    GuardStoredPath(txtOtFname, kMaxTextBytes);
    cmdF9 = Button(QStringLiteral("F9:参照"), "cmdF9", Frame1);
    bookLayout->addWidget(txtOtFname, 1);
    bookLayout->addWidget(cmdF9);
    body->addWidget(Frame1);
    body->addStretch();

    const ui::RunExitRow bottom =
        ui::BuildRunExitRow(this, QStringLiteral("F12:Excel出力"), QStringLiteral("ESC:前画面"));
    cmdF12 = bottom.run;
    cmdEsc = bottom.exit;
    body->addLayout(bottom.layout);

    setTabOrder(txtOtFname, cmdF9);
    setTabOrder(cmdF9, cmdF12);
    setTabOrder(cmdF12, cmdEsc);

    SetFunctionButton(Qt::Key_F9, cmdF9);
    SetFunctionButton(Qt::Key_F12, cmdF12);
    SetCancelButton(cmdEsc);

    connect(cmdF9, &QPushButton::clicked, this, &SheetListScreen::ChooseWorkbook);
    connect(cmdF12, &QPushButton::clicked, this, &SheetListScreen::Run);
    connect(cmdEsc, &QPushButton::clicked, this, &SheetListScreen::EndProgram);

    resize(ui::Twips(9000), ui::Twips(3600));
}

void SheetListScreen::SetRunEnabled(bool enabled) {
    cmdF12->setEnabled(enabled);
}

void SheetListScreen::LoadSettings() {
    QString text;
    if (!ReadSettingsFile(&text))
        return;
    txtOtFname->setText(text);
    dialog_ = common::SplitPath(text);
}

void SheetListScreen::SaveSettings() {
    QString error;
    if (!WriteSettingsFile(txtOtFname->text(), &error))
        ReportUnsavedSettings(error);
}

void SheetListScreen::ChooseWorkbook() {
    QString folder;
    QString fileName;
    const QString result = ui::OpenFileDialog(this, dialog_.folder, QString(),
                                              tools::WorkbookOpenFilter(QStringLiteral("*.XLS")),
                                              QString(), folder, fileName);
    if (result != common::kOk)
        return;
    const QString path = ChosenWorkbook(folder, fileName);
    if (!AcceptStoredPath(path, kMaxTextBytes))
        return;
    txtOtFname->setText(path);
    dialog_ = common::SplitPath(path);
}

void SheetListScreen::Run() {
    const QString typed = txtOtFname->text();
    const TargetCheck check = CheckTarget(typed);
    if (check.boxText != typed)
        txtOtFname->setText(check.boxText);
    if (!check.ok) {
        txtOtFname->setFocus();
        return;
    }
    // The documents folder put in front of a bare name may hold characters
    // that SHTLIST.PRM cannot keep: the box goes back to what was typed.
    if (!AcceptStoredPath(check.boxText, kMaxTextBytes)) {
        txtOtFname->setText(typed);
        txtOtFname->setFocus();
        return;
    }

    // The screen stays in sight, but nothing on it answers while the run
    // works.
    setEnabled(false);
    RunAndEnd([this] { return runner_(TargetPath(txtOtFname->text())); });
}

} // namespace shtlist
