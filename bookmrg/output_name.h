#pragma once

// The output-name check shared by the workbook tools: the name typed for the
// workbook to write is checked, and a bare file name is placed in the user's
// documents folder. Widget-free; the screens pass the text of their box.

#include <QString>
#include <QStringList>

namespace bookmrg {

// Shell folder code of the user's documents folder.
inline constexpr int kDocumentsFolderCode = 5;

// The path of a special folder for a shell folder code, without a trailing
// separator; empty when the desktop cannot give one. Only the documents
// folder (code 5) is known here; it is created when it does not exist yet.
QString MyDocumentsFolder(int folderCode = kDocumentsFolderCode);

// The extensions a workbook name may end with (letter case ignored): the
// consolidated output is written as .xls or .xlsx; a workbook given its
// sheet list keeps whichever of these formats it has.
inline const QStringList kOutputExtensions = {QStringLiteral("XLS"), QStringLiteral("XLSX")};
inline const QStringList kWorkbookExtensions = {QStringLiteral("XLS"), QStringLiteral("XLSX"),
                                                QStringLiteral("XLSM"), QStringLiteral("ODS")};

// Checks the output workbook name of a text box. Answers "OK" or "NG"; on
// "NG" its message has been shown (OK button only) and the caller moves the
// focus to the box. A name without a folder is rewritten in `text` to the
// documents folder, a separator and the name. A name may end with one of
// `extensions` or have none.
QString CheckOutputName(QString& text, const QStringList& extensions = kOutputExtensions);

// The leading and trailing half-width spaces removed (and nothing else).
QString TrimSpaces(const QString& text);

} // namespace bookmrg
