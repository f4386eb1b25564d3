#pragma once

// The small dialog that asks for the password of a protected workbook.

#include "workbook_tools/password_prompt.h"

class QWidget;

namespace tools {

class PasswordDialogPrompt : public PasswordPrompt {
public:
    bool Ask(const QString& bookPath, bool retry, QString* password) override;
};

// Makes this dialog the one that asks for passwords in the program's runs.
void InstallPasswordDialog();

// The dialog's question for a book (and after a wrong password).
QString PasswordQuestion(const QString& bookPath, bool retry);

} // namespace tools
