#include "shtlist/ui/frm_shtlist1.h"
#include "common/events.h"

#include "common/messages.h"
#include "common/paths.h"
#include "common/program_start.h"
#include "common/result_words.h"
#include "common/return_table.h"
#include "common/ui/file_dialogs.h"
#include "common/ui/fonts.h"
#include "common/ui/hard_copy_icon.h"
#include "shtlist/settings.h"
#include "shtlist/target_check.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace shtlist {

namespace {

const QString kProgramId = QStringLiteral("SHTLIST");

template <typename T> T* Named(T* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

using common::LetEventsRun;

QPushButton* Button(const QString& caption, const char* name, QWidget* parent) {
    auto* button = Named(new QPushButton(caption, parent), name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

FrmShtlist1::FrmShtlist1() : ui::Screen(QStringLiteral("SHTLIST1")) {
    setObjectName(QStringLiteral("FRM_SHTLIST1"));
    runner_ = [](const QString& target, ProgramHost& host) { BuildSheetList(target, host); };
    BuildControls();
}

void FrmShtlist1::BuildControls() {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    // Title band.
    auto* Picture4 = Named(new QWidget(this), "Picture4");
    Picture4->setAutoFillBackground(true);
    QPalette band = Picture4->palette();
    band.setColor(QPalette::Window, QColor(0, 51, 128));
    band.setColor(QPalette::WindowText, Qt::white);
    Picture4->setPalette(band);
    auto* bandLayout = new QHBoxLayout(Picture4);
    bandLayout->setContentsMargins(12, 8, 12, 8);
    Label6 = Named(new QLabel(QStringLiteral("補助処理(ブックにシート名一覧を追加する)"), Picture4),
                   "Label6");
    QFont titleFont(ui::kPGothic, 14);
    titleFont.setBold(true);
    Label6->setFont(titleFont);
    bandLayout->addWidget(Label6);
    bandLayout->addStretch();
    root->addWidget(Picture4);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(12, 12, 12, 6);
    body->setSpacing(10);
    root->addLayout(body, 1);

    auto* Label1 = Named(
        new QLabel(QStringLiteral("指定したブックにシート名一覧のシートを追加します。"), this),
        "Label1");
    body->addWidget(Label1);

    auto* Frame1 = Named(new QGroupBox(QStringLiteral("Excelブック名"), this), "Frame1");
    auto* bookLayout = new QHBoxLayout(Frame1);
    txtOtFname = Named(new QLineEdit(Frame1), "txtOtFname");
    txtOtFname->setMaxLength(kMaxTextBytes);
    cmdF9 = Button(QStringLiteral("F9:参照"), "cmdF9", Frame1);
    bookLayout->addWidget(txtOtFname, 1);
    bookLayout->addWidget(cmdF9);
    body->addWidget(Frame1);
    body->addStretch();

    // Bottom row: hard copy on the left, run and exit on the right.
    auto* bottom = new QHBoxLayout;
    auto* imgHDCopy = ui::CreateHardCopyIcon(this);
    auto* picRUN = Named(new QWidget(this), "picRUN");
    auto* runLayout = new QHBoxLayout(picRUN);
    runLayout->setContentsMargins(0, 0, 0, 0);
    cmdF12 = Button(QStringLiteral("F12:Excel出力"), "cmdF12", picRUN);
    runLayout->addWidget(cmdF12);
    auto* picExit = Named(new QWidget(this), "picExit");
    auto* exitLayout = new QHBoxLayout(picExit);
    exitLayout->setContentsMargins(0, 0, 0, 0);
    cmdEsc = Button(QStringLiteral("ESC:前画面"), "cmdEsc", picExit);
    exitLayout->addWidget(cmdEsc);
    for (QPushButton* b : {cmdF12, cmdEsc})
        b->setMinimumSize(ui::Twips(1800), ui::Twips(480));
    bottom->addWidget(imgHDCopy);
    bottom->addStretch();
    bottom->addWidget(picRUN);
    bottom->addWidget(picExit);
    body->addLayout(bottom);

    stb_Guaid = Named(new QStatusBar(this), "stb_Guaid");
    stb_Guaid->setSizeGripEnabled(false);
    root->addWidget(stb_Guaid);

    setTabOrder(txtOtFname, cmdF9);
    setTabOrder(cmdF9, cmdF12);
    setTabOrder(cmdF12, cmdEsc);

    SetFunctionButton(Qt::Key_F9, cmdF9);
    SetFunctionButton(Qt::Key_F12, cmdF12);
    SetCancelButton(cmdEsc);

    connect(cmdF9, &QPushButton::clicked, this, &FrmShtlist1::ChooseWorkbook);
    connect(cmdF12, &QPushButton::clicked, this, &FrmShtlist1::Run);
    connect(cmdEsc, &QPushButton::clicked, this, &FrmShtlist1::EndProgram);

    resize(ui::Twips(9000), ui::Twips(3600));
}

void FrmShtlist1::SetRunEnabled(bool enabled) {
    cmdF12->setEnabled(enabled);
}

void FrmShtlist1::LoadSettings() {
    QString text;
    if (!ReadSettingsFile(&text))
        return;
    txtOtFname->setText(text);
    const common::PathParts parts = common::SplitPath(text);
    dialogFolder_ = parts.folder;
    dialogFile_ = parts.name;
}

void FrmShtlist1::SaveSettings() {
    QString error;
    if (!WriteSettingsFile(txtOtFname->text(), &error))
        common::ShowMessage(QStringLiteral("設定を保存できませんでした。") + QLatin1Char('\r') +
                                error,
                            common::MsgIcon::Exclamation, common::MsgButtons::Ok);
}

void FrmShtlist1::ChooseWorkbook() {
    QString folder;
    QString fileName;
    const QString result = ui::OpenFileDialog(this, dialogFolder_, QString(),
                                              QStringLiteral("*.XLS"), QString(), folder, fileName);
    if (result != common::kOk)
        return;
    const QString path = ChosenWorkbook(folder, fileName);
    txtOtFname->setText(path);
    const common::PathParts parts = common::SplitPath(path);
    dialogFolder_ = parts.folder;
    dialogFile_ = parts.name;
}

void FrmShtlist1::Run() {
    const TargetCheck check = CheckTarget(txtOtFname->text());
    if (check.boxText != txtOtFname->text())
        txtOtFname->setText(check.boxText);
    if (check.result != common::kOk) {
        txtOtFname->setFocus();
        return;
    }

    // The screen stays in sight, but nothing on it answers while the run
    // works.
    setEnabled(false);
    LetEventsRun(1);
    runner_(TargetPath(txtOtFname->text()), *this);
    if (!ended_)
        common::EndProgram(0);
}

QString FrmShtlist1::LeaveScreen() {
    SaveSettings();
    const QString command = common::ReadReturnTarget(kProgramId);
    close();
    LetEventsRun(2);
    return command;
}

void FrmShtlist1::EndProgram() {
    if (left_)
        return;
    left_ = true;
    const QString command = LeaveScreen();
    ended_ = true;
    common::StartAndEnd(command);
    // An empty return command starts nothing; the program ends all the same.
    common::EndProgram(0);
}

void FrmShtlist1::ReturnToCaller() {
    if (left_)
        return;
    left_ = true;
    const QString command = LeaveScreen();
    common::StartProgram(command);
}

} // namespace shtlist
