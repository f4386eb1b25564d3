#include "bookmrg/book_list.h"

#include "spreadsheet/spreadsheet.h"
#include "workbook_tools/output_name.h"

namespace bookmrg {

int InsertSorted(QStringList& lines, const QString& line) {
    int at = 0;
    while (at < lines.size() && lines.at(at).compare(line, Qt::CaseInsensitive) <= 0)
        ++at;
    lines.insert(at, line);
    return at;
}

int OutputFileFormat(const QString& outputText) {
    return tools::TrimSpaces(outputText).endsWith(QStringLiteral(".XLSX"), Qt::CaseInsensitive)
               ? sheet::xlOpenXMLWorkbook
               : sheet::xlNormal;
}

QString OutputBaseName(const QString& outputText) {
    QString base = tools::TrimSpaces(outputText);
    if (base.endsWith(QStringLiteral(".XLS"), Qt::CaseInsensitive))
        base.chop(4);
    else if (base.endsWith(QStringLiteral(".XLSX"), Qt::CaseInsensitive))
        base.chop(5);
    return base;
}

QString OutputFileName(const QString& outputText) {
    return OutputBaseName(outputText) + QLatin1Char('.') +
           sheet::FileFormatExtension(OutputFileFormat(outputText));
}

} // namespace bookmrg
