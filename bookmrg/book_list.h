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

// The file the engine writes for an output text: the text without a final
// ".XLS" or ".XLSX" (any letter case) is the base name; the file is the base
// name with ".xls", or ".xlsx" when the text ends so, in the format of
// OutputFileFormat.
QString OutputBaseName(const QString& outputText);
QString OutputFileName(const QString& outputText);
// sheet::xlOpenXMLWorkbook for a text ending ".xlsx", else sheet::xlNormal.
int OutputFileFormat(const QString& outputText);

} // namespace bookmrg
