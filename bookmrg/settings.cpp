#include "bookmrg/settings.h"

#include "common/data_folder.h"
#include "common/record_file.h"

namespace bookmrg {

namespace {

// Widths count characters in memory; the record writer then fits the bytes
// to the field without splitting a double-byte character.
void Field(common::RecordWriter& writer, const QString& text, int width) {
    writer.FixedText(text.left(width), width);
}

} // namespace

QByteArray EncodeSettings(const Settings& settings) {
    common::RecordWriter writer;
    Field(writer, settings.outputBook, kOutputBookWidth);
    Field(writer, settings.exclude1, kExcludeWidth);
    Field(writer, settings.exclude2, kExcludeWidth);
    for (int slot = 0; slot < kBookSlots; ++slot)
        Field(writer, slot < settings.books.size() ? settings.books.at(slot) : QString(),
              kBookWidth);
    Field(writer, settings.matchMode, kMatchModeWidth);
    writer.PadTo(kRecordLength);
    return writer.Data();
}

Settings DecodeSettings(const QByteArray& record) {
    common::RecordReader reader(record);
    Settings settings;
    settings.outputBook = reader.FixedText(kOutputBookWidth);
    settings.exclude1 = reader.FixedText(kExcludeWidth);
    settings.exclude2 = reader.FixedText(kExcludeWidth);
    for (int slot = 0; slot < kBookSlots; ++slot) {
        const QString book = reader.FixedText(kBookWidth);
        if (slot == 0)
            settings.firstSlot = book;
        if (!book.isEmpty())
            settings.books.append(book);
    }
    settings.matchMode = reader.FixedText(kMatchModeWidth);
    return settings;
}

QString SettingsPath() {
    return common::DataFolder() + QStringLiteral("BOOKMRG.PRM");
}

bool ReadSettingsFile(Settings* settings) {
    QByteArray bytes;
    if (!common::ReadRecordFile(SettingsPath(), &bytes, kRecordLength))
        return false;
    *settings = DecodeSettings(bytes);
    return true;
}

bool WriteSettingsFile(const Settings& settings, QString* error) {
    return common::WriteRecordFile(SettingsPath(), EncodeSettings(settings), error);
}

} // namespace bookmrg
