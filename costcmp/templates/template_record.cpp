#include "costcmp/templates/template_record.h"

#include "common/error_text.h"

#include "common/record_file.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace costcmp {

using common::Fixed4;

namespace {

// Groups the digits of a whole number by three with commas.
QString GroupDigits(const QString& digits) {
    QString out;
    const int n = int(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += QLatin1Char(',');
        out += digits[i];
    }
    return out;
}

// The value raw / 10^shift as text: whole part with or without grouping,
// then the fraction without trailing zeros, when there is one. Exact, with no
// rounding, for every raw value.
QString FormatScaled(qint64 raw, int shift, bool grouping) {
    quint64 divisor = 1;
    for (int i = 0; i < shift; ++i)
        divisor *= 10;
    const bool negative = raw < 0;
    // Magnitude without overflow for the most negative value.
    const quint64 magnitude = negative ? quint64(0) - quint64(raw) : quint64(raw);
    const QString whole = QString::number(magnitude / divisor);
    QString text = grouping ? GroupDigits(whole) : whole;
    if (const quint64 fraction = magnitude % divisor; fraction != 0) {
        QString digits = QString::number(fraction).rightJustified(shift, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        text += QLatin1Char('.') + digits;
    }
    return negative ? QLatin1Char('-') + text : text;
}

void SetError(QString* error, const QString& text) {
    if (error)
        *error = text;
}

} // namespace

QByteArray EncodeTemplateRecord(const TemplateRecord& record) {
    common::RecordWriter writer;
    for (qint64 field : record.fields)
        writer.Int64(field);
    return writer.Data();
}

TemplateRecord DecodeTemplateRecord(const QByteArray& bytes) {
    TemplateRecord record;
    common::RecordReader reader(bytes);
    for (qint64& field : record.fields)
        field = reader.Int64();
    return record;
}

void PutParams(TemplateRecord& record, const CostParams& p, SolutionKind kind) {
    const Fixed4 values[kParamCount] = {p.SA, p.SB, p.SC, p.SD, p.JA, p.JB,
                                        p.JC, p.JD, p.JE, p.CA, p.CB};
    for (int i = 0; i < kParamCount; ++i)
        record.fields[i] = values[i].Raw();
    record.fields[TemplateRecord::kKaiNoField] = Fixed4::FromInt(SolutionNumber(kind)).Raw();
}

CostParams ParamsOf(const TemplateRecord& r) {
    const auto at = [&r](int i) { return Fixed4::FromRaw(r.fields[i]); };
    CostParams p;
    p.SA = at(0);
    p.SB = at(1);
    p.SC = at(2);
    p.SD = at(3);
    p.JA = at(4);
    p.JB = at(5);
    p.JC = at(6);
    p.JD = at(7);
    p.JE = at(8);
    p.CA = at(9);
    p.CB = at(10);
    return p;
}

SolutionKind SolutionOf(const TemplateRecord& record) {
    const qint64 raw = record.fields[TemplateRecord::kKaiNoField];
    for (int number = 1; number <= 5; ++number)
        if (raw == Fixed4::FromInt(number).Raw())
            return SolutionKindFromNumber(number);
    return SolutionKind::None;
}

ParamTexts DisplayTexts(const TemplateRecord& record) {
    // Digits after the decimal point of the stored integer, as the screen
    // shows each field: the value itself (4), in units of 10,000 yen (8), in
    // percent (2).
    constexpr int kShift[kParamCount] = {4, 4, 4, 4, 8, 8, 2, 2, 4, 4, 8};
    ParamTexts texts;
    for (int i = 0; i < kParamCount; ++i) {
        const bool percent = i == 6 || i == 7; // JC and JD: "##0", no grouping
        texts[i] = FormatScaled(record.fields[i], kShift[i], !percent);
    }
    return texts;
}

bool ReadTemplateFile(const QString& path, TemplateRecord* record, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        SetError(error, QStringLiteral("ファイル %1 を開けません（%2）")
                            .arg(path, common::FileErrorText(file)));
        return false;
    }
    const QByteArray bytes = file.read(TemplateRecord::kByteLength);
    if (bytes.size() < TemplateRecord::kByteLength) {
        SetError(error, QStringLiteral("ファイル %1 はテンプレートとして短すぎます（%2 バイト）。"
                                       "壊れている可能性があります")
                            .arg(path)
                            .arg(bytes.size()));
        return false;
    }
    *record = DecodeTemplateRecord(bytes);
    return true;
}

bool WriteTemplateFile(const QString& path, const TemplateRecord& record, QString* error) {
    QByteArray existing;
    if (QFileInfo::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            SetError(error, QStringLiteral("ファイル %1 を開けません（%2）")
                                .arg(path, common::FileErrorText(file)));
            return false;
        }
        existing = file.readAll();
    }
    common::RecordWriter writer(existing);
    writer.Bytes(EncodeTemplateRecord(record));
    return common::WriteRecordFile(path, writer.Data(), error);
}

bool IsValidTemplateName(const QString& name) {
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || QStringLiteral("\\/:*?\"<>|").contains(c))
            return false;
    }
    static const QRegularExpression device(
        QStringLiteral("^(CON|PRN|AUX|NUL|CLOCK\\$|COM[0-9]|LPT[0-9])(\\..*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    return !device.match(name).hasMatch();
}

} // namespace costcmp
