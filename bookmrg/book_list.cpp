#include "bookmrg/book_list.h"

#include "bookmrg/output_name.h"

namespace bookmrg {

int InsertSorted(QStringList& lines, const QString& line) {
    int at = 0;
    while (at < lines.size() && lines.at(at).compare(line, Qt::CaseInsensitive) <= 0)
        ++at;
    lines.insert(at, line);
    return at;
}

QString OutputFileChoice(const QString& folder, const QString& fileName) {
    QString name = fileName;
    if (name.size() < 4 || name.at(name.size() - 4) != QLatin1Char('.'))
        name += QStringLiteral(".XLS");
    return folder + name;
}

QString OutputBaseName(const QString& outputText) {
    QString base = TrimSpaces(outputText);
    if (base.endsWith(QStringLiteral(".XLS"), Qt::CaseInsensitive))
        base.chop(4);
    return base;
}

QString OutputFileName(const QString& outputText) {
    return OutputBaseName(outputText) + QStringLiteral(".xls");
}

} // namespace bookmrg
