#pragma once

// Rules of the book list and the output box of the main screen, without
// widgets.

#include <QString>
#include <QStringList>

namespace bookmrg {

// The list keeps its lines in alphabetical order without regard to letter
// case; a new line goes after the lines that compare equal to it. Answers
// the index at which `line` was inserted.
int InsertSorted(QStringList& lines, const QString& line);

// The path for a file chosen in a workbook dialog: ".XLS" is appended to a
// file name whose fourth character from the end is not ".", unless it ends
// with ".xlsx" or ".xlsm" (any letter case).
QString OutputFileChoice(const QString& folder, const QString& fileName);
// The file the engine writes for an output text: the text without a final
// ".XLS" or ".XLSX" (any letter case) is the base name; the file is the base
// name with ".xls", or ".xlsx" when the text ends so, in the format of
// OutputFileFormat.
QString OutputBaseName(const QString& outputText);
QString OutputFileName(const QString& outputText);
// sheet::xlOpenXMLWorkbook for a text ending ".xlsx", else sheet::xlNormal.
int OutputFileFormat(const QString& outputText);

// The filter of a dialog that opens workbooks: the classic pattern first (as
// "(p)|p", what the dialog shows at first), then the workbooks of every format
// the tools read.
QString WorkbookOpenFilter(const QString& classicPattern);
// The filter of the dialog that names the output: the classic pattern first,
// then today's format.
QString WorkbookSaveFilter(const QString& classicPattern);

} // namespace bookmrg
