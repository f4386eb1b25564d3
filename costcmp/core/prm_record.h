#pragma once

#include <array>
#include <optional>

#include <QByteArray>
#include <QString>

#include "costcmp/core/cost_model.h"

namespace costcmp {

// The calculator's settings file in the data folder.
inline constexpr char kPrmFileName[] = "COSTCMP.PRM";
// Record 1 of the file; only the fields at its start are significant.
inline constexpr int kPrmRecordLength = 32640;

// The eleven input box texts (SA, SB, SC, SD, JA, JB, JC, JD, JE, CA, CB) as
// the user left them, and the chosen solution "1" to "5" (empty when none was
// ever chosen). Stored as twelve fields of a 2-byte little-endian length
// followed by that many cp932 bytes.
struct PrmRecord {
    static constexpr int kFieldCount = 12;
    std::array<QString, kFieldCount> fields;

    QString& Solution() { return fields[11]; }
    const QString& Solution() const { return fields[11]; }
};

// The solution a stored field 12 selects: "1" to "5"; None for anything else.
SolutionKind SolutionFromText(const QString& text);

// Reads record 1. A missing file is created empty and reads as twelve empty
// texts. Answers nothing when the file cannot be read or a field runs past
// the end of the record (a damaged file); `error` then says why in Japanese.
std::optional<PrmRecord> LoadPrmRecord(const QString& path, QString* error = nullptr);

// Writes record 1 over the start of the file, keeping any bytes after it.
// The previous content survives a failure midway. A record whose texts do
// not fit the record length is refused. Answers false, with a Japanese
// reason in `error`, on failure.
bool SavePrmRecord(const QString& path, const PrmRecord& record, QString* error = nullptr);

// The record's bytes as they are written over the start of `existing`.
QByteArray EncodePrmRecord(const PrmRecord& record, const QByteArray& existing = QByteArray());

} // namespace costcmp
