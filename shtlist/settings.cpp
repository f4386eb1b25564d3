#include "shtlist/settings.h"

#include "common/cp932.h"
#include "common/data_folder.h"
#include "common/record_file.h"

namespace shtlist {

namespace {

// The text cut, at a character boundary, to what the record can hold.
QString FitToRecord(const QString& text) {
    const QByteArray bytes = common::ToCp932(text);
    if (bytes.size() <= kMaxTextBytes)
        return text;
    int end = 0;
    while (end < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[end]);
        const int length = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC) ? 2 : 1;
        if (end + length > kMaxTextBytes)
            break;
        end += length;
    }
    return common::FromCp932(bytes.left(end));
}

} // namespace

QByteArray EncodeSettings(const QString& workbookText) {
    common::RecordWriter writer;
    writer.LenText(FitToRecord(workbookText));
    writer.PadTo(kRecordLength);
    return writer.Data();
}

QString DecodeSettings(const QByteArray& record) {
    common::RecordReader reader(record);
    return reader.LenText();
}

QString SettingsPath() {
    return common::DataFolder() + QStringLiteral("SHTLIST.PRM");
}

bool ReadSettingsFile(QString* workbookText) {
    QByteArray bytes;
    if (!common::ReadRecordFile(SettingsPath(), &bytes, kRecordLength))
        return false;
    *workbookText = DecodeSettings(bytes);
    return true;
}

bool WriteSettingsFile(const QString& workbookText, QString* error) {
    return common::WriteRecordFile(SettingsPath(), EncodeSettings(workbookText), error);
}

} // namespace shtlist
