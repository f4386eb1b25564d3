#pragma once

// Opening the user's workbooks, asking for the password of a protected one.
// A seam: the program installs its dialog, tests a scripted answer.

#include "common/seam.h"
#include "spreadsheet/spreadsheet.h"
#include "workbook_tools/office_errors.h"

#include <QString>

#include <memory>

namespace tools {

enum class OpenResult { Opened, Cancelled, Failed };

class PasswordPrompt {
public:
    virtual ~PasswordPrompt() = default;
    // Asks for the password of `bookPath`; `retry` says that the previous
    // password was wrong. False when the user cancelled.
    virtual bool Ask(const QString& bookPath, bool retry, QString* password) = 0;
};

// The prompt the runs ask. The default answers every question as cancelled;
// the programs put their dialog in place for their whole run.
common::Seam<PasswordPrompt>& PasswordPrompts();

// Opens a workbook; while it is refused for want of its password, asks the
// prompt (naming it `shownPath`) and tries again with the answer. Cancelled
// when the user gives up; Failed for any other refusal, with "number text"
// in `*error`. A lost office throws. `password`, when given, receives the
// password the workbook was opened with (empty for one without), so that it
// can be saved with it.
OpenResult OpenAskingPassword(sheet::Workbooks& books, const QString& path,
                              const QString& shownPath, sheet::OpenOptions options,
                              std::shared_ptr<sheet::Workbook>* book, QString* error,
                              QString* password = nullptr);

} // namespace tools
