#pragma once

// Asking the user for the password of a protected workbook. A seam: the
// program installs its dialog, tests a scripted answer.

#include <QString>

namespace bookmrg {

class PasswordPrompt {
public:
    virtual ~PasswordPrompt() = default;
    // Asks for the password of `bookPath`; `retry` says that the previous
    // password was wrong. False when the user cancelled.
    virtual bool Ask(const QString& bookPath, bool retry, QString* password) = 0;
};

// Installs the prompt; the caller keeps ownership. Without one every
// question counts as cancelled.
void SetPasswordPrompt(PasswordPrompt* prompt);
PasswordPrompt* CurrentPasswordPrompt();

} // namespace bookmrg
