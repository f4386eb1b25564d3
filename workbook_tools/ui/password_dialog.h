#pragma once

// The small dialog that asks for the password of a protected workbook.

#include "workbook_tools/password_prompt.h"

class QWidget;

namespace tools {

class PasswordDialogPrompt : public PasswordPrompt {
public:
    bool Ask(const QString& bookPath, bool retry, QString* password) override;
};

// The dialog in place of the password prompt for as long as this object
// lives (a program's whole run).
class PasswordDialogInPlace {
public:
    PasswordDialogInPlace() : override_(PasswordPrompts(), &dialog_) {}

private:
    PasswordDialogPrompt dialog_;
    common::ScopedOverride<PasswordPrompt> override_;
};

// The dialog's question for a book (and after a wrong password).
QString PasswordQuestion(const QString& bookPath, bool retry);

} // namespace tools
