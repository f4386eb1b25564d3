#pragma once

// The output-name check shared by the workbook tools: the name typed for the
// workbook to write is checked, and a bare file name is placed in the user's
// documents folder. Widget-free; the screens pass the text of their box.

#include <QString>

namespace bookmrg {

// Shell folder code of the user's documents folder.
inline constexpr int kDocumentsFolderCode = 5;

// The path of a special folder for a shell folder code, without a trailing
// separator; empty when the desktop cannot give one. Only the documents
// folder (code 5) is known here; it is created when it does not exist yet.
QString MyDocumentsFolder(int folderCode = kDocumentsFolderCode);

// Checks the output workbook name of a text box. Answers "OK" or "NG"; on
// "NG" its message has been shown (OK button only) and the caller moves the
// focus to the box. A name without a folder is rewritten in `text` to the
// documents folder, a separator and the name.
QString CheckOutputName(QString& text);

// The leading and trailing half-width spaces removed (and nothing else).
QString TrimSpaces(const QString& text);

} // namespace bookmrg
