#pragma once

// The workbook names of the tool screens: the name typed for a workbook is
// checked, and a bare file name is placed in the user's documents folder;
// the names chosen in the workbook dialogs and their filters. Widget-free;
// the screens pass the text of their box.

#include <QString>
#include <QStringList>

namespace tools {

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

// Checks the workbook name of a text box. False when it is refused: its
// message has been shown (OK button only) and the caller moves the focus to
// the box. A name without a folder is rewritten in `text` to the documents
// folder, a separator and the name. A name may end with one of `extensions`
// or have none.
bool CheckOutputName(QString& text, const QStringList& extensions = kOutputExtensions);

// The leading and trailing half-width spaces removed (and nothing else).
QString TrimSpaces(const QString& text);

// The path for a file chosen in a workbook dialog: ".XLS" is appended to a
// file name whose fourth character from the end is not ".", unless it ends
// with ".xlsx" or ".xlsm" (any letter case).
QString OutputFileChoice(const QString& folder, const QString& fileName);

// The filter of a dialog that opens workbooks: the classic pattern first (as
// "(p)|p", what the dialog shows at first), then the workbooks of every format
// the tools read.
QString WorkbookOpenFilter(const QString& classicPattern);
// The filter of the dialog that names the output: the classic pattern first,
// then today's format.
QString WorkbookSaveFilter(const QString& classicPattern);

} // namespace tools
