#pragma once

// What the main screen hands to the consolidation engine, all trimmed.

#include <QString>
#include <QStringList>

namespace bookmrg {

struct RunParams {
    QString outputBook; // the output workbook path, with or without ".xls"
    QString exclude1;
    QString exclude2;
    QString matchMode; // "1" whole name, "2" part of the name
    QStringList books; // in the order of the list, at most 64
    // The template workbook; empty for the one next to the program.
    QString templatePath;
};

// True when a sheet of that name is left out. Mode "1": the trimmed
// name equals exclusion text 1 or 2. Mode "2": it contains a non-empty
// exclusion text. Comparisons are exact and case-sensitive.
bool IsExcludedSheet(const QString& sheetName, const RunParams& params);

// True when at least one exclusion text is given.
bool HasExclusions(const RunParams& params);

} // namespace bookmrg
