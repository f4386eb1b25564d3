#pragma once

// The checks of the book list and the output box before a run.

#include <QString>
#include <QStringList>

#include <functional>

namespace bookmrg {

inline constexpr int kMaxBooks = 64;

struct RunCheck {
    bool ok = false;          // every check passed
    int selectLine = -1;      // the list line to select, -1 for none
    bool focusOutput = false; // move the focus to the output box
};

// Checks in order, stopping at the first failure, whose message is shown with
// an OK button: more than 64 books, no book, a listed file that does not
// exist (its line selected), an empty output text (focus on the box), a
// listed book that is the output workbook (its line selected).
// `beforeMessage` lets the screen select the line (or move the focus) before
// the message is shown, so the user sees what the message is about.
RunCheck ValidateRun(const QStringList& books, const QString& outputText,
                     const std::function<void(const RunCheck&)>& beforeMessage = {});

// The first line naming the output workbook, -1 when none does. A line
// matches when it equals the output file of the text (OutputFileName: ".xls"
// appended unless it ends with ".XLS" or ".XLSX" in any case) without regard
// to letter case, or when it
// names the same file.
int FindOutputAmongBooks(const QStringList& books, const QString& outputText);

// The message of a listed book that is also the output workbook.
QString SameNameMessage();

} // namespace bookmrg
