#include "bookmrg/book_list.h"

#include "bookmrg/output_name.h"
#include "spreadsheet/spreadsheet.h"

namespace bookmrg {

int InsertSorted(QStringList& lines, const QString& line) {
    int at = 0;
    while (at < lines.size() && lines.at(at).compare(line, Qt::CaseInsensitive) <= 0)
        ++at;
    lines.insert(at, line);
    return at;
}

namespace {
bool EndsWithOpenXml(const QString& name) {
    return name.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive) ||
           name.endsWith(QStringLiteral(".xlsm"), Qt::CaseInsensitive);
}
} // namespace

QString OutputFileChoice(const QString& folder, const QString& fileName) {
    QString name = fileName;
    if ((name.size() < 4 || name.at(name.size() - 4) != QLatin1Char('.')) && !EndsWithOpenXml(name))
        name += QStringLiteral(".XLS");
    return folder + name;
}

QString WorkbookOpenFilter(const QString& classicPattern) {
    const QString all = QStringLiteral("*.xls;*.xlsx;*.xlsm;*.ods");
    return QLatin1Char('(') + classicPattern + QStringLiteral(")|") + classicPattern +
           QStringLiteral("|(") + all + QStringLiteral(")|") + all;
}

QString WorkbookSaveFilter(const QString& classicPattern) {
    return QLatin1Char('(') + classicPattern + QStringLiteral(")|") + classicPattern +
           QStringLiteral("|(*.xlsx)|*.xlsx");
}

int OutputFileFormat(const QString& outputText) {
    return TrimSpaces(outputText).endsWith(QStringLiteral(".XLSX"), Qt::CaseInsensitive)
               ? sheet::xlOpenXMLWorkbook
               : sheet::xlNormal;
}

QString OutputBaseName(const QString& outputText) {
    QString base = TrimSpaces(outputText);
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
