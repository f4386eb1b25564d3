#include "workbook_tools/password_prompt.h"

namespace tools {

namespace {

// Nobody to ask: the question counts as cancelled.
class NoPrompt : public PasswordPrompt {
public:
    bool Ask(const QString&, bool, QString*) override { return false; }
};

} // namespace

common::Seam<PasswordPrompt>& PasswordPrompts() {
    static NoPrompt none;
    static common::Seam<PasswordPrompt> prompts(none);
    return prompts;
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
            if (!sheet::IsPasswordRequired(refusal)) {
                *error = refusal.Text();
                return OpenResult::Failed;
            }
        }
        QString answer;
        if (!PasswordPrompts()->Ask(shownPath, retry, &answer))
            return OpenResult::Cancelled;
        options.password = answer;
        retry = true;
    }
}

} // namespace tools
