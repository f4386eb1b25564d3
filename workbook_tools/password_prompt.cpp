#include "workbook_tools/password_prompt.h"

namespace tools {

namespace {

PasswordPrompt* g_prompt = nullptr;

} // namespace

void SetPasswordPrompt(PasswordPrompt* prompt) {
    g_prompt = prompt;
}

PasswordPrompt* CurrentPasswordPrompt() {
    return g_prompt;
}

OpenResult OpenAskingPassword(sheet::Workbooks& books, const QString& path,
                              const QString& shownPath, sheet::OpenOptions options,
                              std::shared_ptr<sheet::Workbook>* book, QString* error,
                              QString* password) {
    bool retry = false;
    for (;;) {
        try {
            *book = books.Open(path, options);
            if (password)
                *password = options.password;
            return OpenResult::Opened;
        } catch (const sheet::SheetError& refusal) {
            RethrowIfOfficeLost(refusal);
            if (!NeedsPassword(refusal)) {
                *error = refusal.Text();
                return OpenResult::Failed;
            }
        }
        QString answer;
        if (!g_prompt || !g_prompt->Ask(shownPath, retry, &answer))
            return OpenResult::Cancelled;
        options.password = answer;
        retry = true;
    }
}

} // namespace tools
