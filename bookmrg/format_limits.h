#pragma once

// What a classic .xls output can hold: sheets of at most 65,536 rows and 256
// columns, sheet names of at most 31 characters. Sources of today's formats
// are checked before a run, so that nothing is cut without a word.

#include "spreadsheet/spreadsheet.h"

#include <QString>
#include <QStringList>

namespace bookmrg {

// True when the file is a classic workbook: a compound document, whose
// sheets cannot exceed the classic limits. False for a zip package (.xlsx,
// .xlsm, .ods), for a password-protected .xlsx (a compound document too,
// holding the encrypted package) and anything else, which must be looked at.
bool IsClassicWorkbookFile(const QString& path);

// The names of the entries (streams and storages) of a compound document, as
// its directory lists them; empty when the file is not one or is damaged.
QStringList CompoundEntryNames(const QString& path);

// True when content reaching that far fits a classic sheet.
bool FitsClassicFormat(const sheet::CellExtent& extent);

// The message that refuses a run whose .xls output could not hold a sheet:
// which book and sheet, how large, and what to do (name the output .xlsx).
QString ClassicLimitMessage(const QString& bookPath, const QString& sheetName,
                            const sheet::CellExtent& extent);

// A sheet name of at most 31 characters that is not among `taken` (letter
// case ignored): `current` when it is short enough, else `sourceName` cut to
// leave room for "_2", "_3"... (the first free one), never splitting a
// character in two. A source name that is itself too long is first tried
// cut without a number.
QString ShortSheetName(const QString& sourceName, const QString& current, const QStringList& taken);

// Renames `sheet` of `book` to ShortSheetName when its name is longer than
// 31 characters (an output sheet named after a long source name, or a unique
// name the application made by adding "_2"). Answers the name it has then.
QString KeepSheetNameShort(sheet::Workbook& book, sheet::Worksheet& sheet,
                           const QString& sourceName);

} // namespace bookmrg
