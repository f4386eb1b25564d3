#include "workbook_tools/ui/password_dialog.h"

#include "common/ui/screen_base.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tools {

namespace {

// Enter in the password box answers OK at once.
class PasswordScreen : public ui::Screen {
public:
    PasswordScreen() : ui::Screen(QStringLiteral("PASSWORD"), QApplication::activeWindow()) {}
    QLineEdit* box = nullptr;
    QPushButton* ok = nullptr;

protected:
    bool PreviewKey(QKeyEvent* event) override {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && box && box->hasFocus()) {
            ok->click();
            return true;
        }
        return false;
    }
};

} // namespace

QString PasswordQuestion(const QString& bookPath, bool retry) {
    QString text;
    if (retry)
        text = QStringLiteral("パスワードが違います。\n");
    return text + QStringLiteral("このブックはパスワードで保護されています。\n%1\n"
                                 "パスワードを入力してください。")
                      .arg(bookPath);
}

bool PasswordDialogPrompt::Ask(const QString& bookPath, bool retry, QString* password) {
    PasswordScreen dialog;
    dialog.setObjectName(QStringLiteral("FRM_PASSWORD"));
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
    auto* layout = new QVBoxLayout(&dialog);
    auto* question = new QLabel(PasswordQuestion(bookPath, retry), &dialog);
    question->setObjectName(QStringLiteral("lblQuestion"));
    auto* box = new QLineEdit(&dialog);
    box->setObjectName(QStringLiteral("txtPassword"));
    box->setEchoMode(QLineEdit::Password);
    auto* buttons = new QDialogButtonBox(&dialog);
    auto* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    auto* cancel = buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    ok->setObjectName(QStringLiteral("cmdOK"));
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    layout->addWidget(question);
    layout->addWidget(box);
    layout->addWidget(buttons);
    dialog.SetCancelButton(cancel);

    bool accepted = false;
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&] {
        accepted = true;
        dialog.hide();
    });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QWidget::hide);
    dialog.box = box;
    dialog.ok = ok;
    dialog.exec();
    if (accepted)
        *password = box->text();
    return accepted;
}

} // namespace tools
