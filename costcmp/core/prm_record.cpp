#include "costcmp/core/prm_record.h"

#include "common/record_file.h"

namespace costcmp {

SolutionKind SolutionFromText(const QString& text) {
    if (text.size() == 1 && text.at(0) >= u'1' && text.at(0) <= u'5')
        return SolutionKindFromNumber(text.at(0).unicode() - u'0');
    return SolutionKind::None;
}

std::optional<PrmRecord> LoadPrmRecord(const QString& path, QString* error) {
    QByteArray bytes;
    if (!common::ReadRecordFile(path, &bytes, kPrmRecordLength, error))
        return std::nullopt;
    common::RecordReader reader(bytes);
    PrmRecord record;
    for (QString& field : record.fields) {
        field = reader.LenText();
        if (reader.Pos() > kPrmRecordLength) {
            if (error)
                *error = QStringLiteral("設定ファイル %1 が壊れています。").arg(path);
            return std::nullopt;
        }
    }
    return record;
}

QByteArray EncodePrmRecord(const PrmRecord& record, const QByteArray& existing) {
    common::RecordWriter writer(existing);
    for (const QString& field : record.fields)
        writer.LenText(field);
    return writer.Data();
}

bool SavePrmRecord(const QString& path, const PrmRecord& record, QString* error) {
    if (EncodePrmRecord(record).size() > kPrmRecordLength) {
        if (error)
            *error =
                QStringLiteral("入力値が長すぎるため設定ファイル %1 に保存できません。").arg(path);
        return false;
    }
    QByteArray existing;
    // An unreadable previous file only means there is nothing to keep after
    // the record; the write below reports a real failure.
    common::ReadRecordFile(path, &existing);
    return common::WriteRecordFile(path, EncodePrmRecord(record, existing), error);
}

} // namespace costcmp
