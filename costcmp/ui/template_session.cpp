#include "costcmp/ui/template_session.h"

#include "common/data_folder.h"
#include "common/messages.h"
#include "costcmp/ui/frm_template.h"

#include <QCoreApplication>

namespace costcmp {

TemplateSession::~TemplateSession() {
    // A screen without owner is this session's own; after the application
    // has gone there is nothing left to delete.
    if (screen_ && !screen_->parent() && QCoreApplication::instance())
        delete screen_;
}

TemplateScreen* TemplateSession::Screen() const {
    return screen_;
}

TemplateChoice TemplateSession::OpenTemplateScreen(const QString& argument, QWidget* owner) {
    const bool editable = store_.SetExtensionArgument(argument);
    store_.SetFolder(folder_.isEmpty() ? common::DataFolder() : folder_);
    store_.ReadTemplateFolder();

    if (!screen_)
        screen_ = new TemplateScreen(store_, owner);
    screen_->PrepareOpening(editable);
    screen_->exec();

    TemplateChoice choice;
    choice.result = screen_->Result();
    if (choice.result != TemplateResult::None) {
        choice.name = screen_->ChosenName();
        choice.path = store_.TemplatePath(choice.name);
    }
    return choice;
}

void TemplateSession::ExchangeTemplate(InputScreenAccess& input, QWidget* owner) {
    const TemplateChoice choice = OpenTemplateScreen(kTemplateExtension, owner);
    QString error;
    if (choice.result == TemplateResult::Save) {
        if (!exchanger_.Save(choice.path, input, &error))
            common::ShowMessage(
                common::JoinLines({QStringLiteral("テンプレートに保存できませんでした"), error}),
                common::MsgIcon::Critical);
    } else if (choice.result == TemplateResult::Load) {
        if (!exchanger_.Load(choice.path, input, &error))
            common::ShowMessage(
                common::JoinLines({QStringLiteral("テンプレートを読み込めませんでした"), error}),
                common::MsgIcon::Critical);
    }
}

TemplateSession& ProgramTemplates() {
    static TemplateSession session;
    return session;
}

} // namespace costcmp
