#pragma once

#include <array>

#include <QByteArray>
#include <QString>

#include "costcmp/core/cost_model.h"

namespace costcmp {

// One template file "<name>.SA1": 24 signed 64-bit little-endian fields of
// fixed-point values (the value times 10,000), 192 bytes, no header. Fields
// 1 to 11 are the parameters SA .. CB in the model's units, field 12 is the
// solution number, fields 13 to 24 are reserved and written as they are held.
struct TemplateRecord {
    static constexpr int kFieldCount = 24;
    static constexpr int kByteLength = kFieldCount * 8;
    static constexpr int kKaiNoField = 11; // zero-based index of field 12

    std::array<qint64, kFieldCount> fields{};
};

QByteArray EncodeTemplateRecord(const TemplateRecord& record);
// Bytes past the end of `bytes` read as zeros.
TemplateRecord DecodeTemplateRecord(const QByteArray& bytes);

// Puts the parameters into fields 1 to 11 and the solution number into field
// 12; the reserved fields are left as they are.
void PutParams(TemplateRecord& record, const CostParams& params, SolutionKind kind);
CostParams ParamsOf(const TemplateRecord& record);
// The stored solution number when it is 1 to 5, otherwise 0.
SolutionKind SolutionOf(const TemplateRecord& record);

// The texts the input screen shows for a loaded template: SA, SB, SC, SD, JE
// and CA as they are, JA, JB and CB in units of 10,000 yen, all "###,##0";
// JC and JD in percent, "##0". A value with a fraction keeps its decimals
// (trailing zeros dropped), so that nothing saved is lost on loading.
ParamTexts DisplayTexts(const TemplateRecord& record);

// Reads the first 192 bytes of a template file. A missing, unreadable or
// short file is refused (false, with a Japanese reason in `error`) and no
// file is created.
bool ReadTemplateFile(const QString& path, TemplateRecord* record, QString* error = nullptr);

// Writes the 192 bytes over the start of the file, keeping any bytes after
// them; a missing file is created. The previous content survives a failure
// midway. Answers false, with a Japanese reason in `error`, on failure.
bool WriteTemplateFile(const QString& path, const TemplateRecord& record, QString* error = nullptr);

// Whether a typed template name can be a file name: not empty, none of
// \ / : * ? " < > | or control characters, not "." or "..", and no device
// name (CON, PRN, AUX, NUL, CLOCK$, COM0-COM9, LPT0-LPT9 in any case, also
// before a dot), so that the templates can be copied to a Windows share.
bool IsValidTemplateName(const QString& name);

} // namespace costcmp
