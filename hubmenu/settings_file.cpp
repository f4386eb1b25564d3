#include "hubmenu/settings_file.h"

#include "common/data_folder.h"
#include "common/record_file.h"

namespace hubmenu {

namespace {

char DigitOf(int value) {
    return static_cast<char>('0' + qBound(0, value, 9));
}

QByteArray ReadExisting(const QString& path) {
    QByteArray existing;
    // An unreadable file only means there is nothing to keep beyond our
    // bytes; the write that follows reports a real failure.
    common::ReadRecordFile(path, &existing);
    return existing;
}

} // namespace

QString SettingsPath() {
    return common::DataFolder() + QLatin1String(kSettingsFileName);
}

LauncherSettings DecodeSettings(const QByteArray& record) {
    common::RecordReader reader(record);
    LauncherSettings settings;

    const QString tab = reader.FixedText(kTabFieldWidth);
    int digits = 0;
    while (digits < tab.size() && tab.at(digits).isDigit() && tab.at(digits).unicode() < 128)
        ++digits;
    settings.lastToolTab = digits == 0 ? 0 : tab.left(digits).toInt();

    const QByteArray bg = reader.Bytes(1);
    settings.background = (bg[0] >= '0' && bg[0] <= '9') ? bg[0] - '0' : 0;
    return settings;
}

QByteArray EncodeToolStart(const QByteArray& existing, int tab, int background) {
    common::RecordWriter writer(existing);
    writer.Bytes(QByteArray::number(qBound(0, tab, 999)).rightJustified(kTabFieldWidth, '0'));
    writer.Bytes(QByteArray(1, DigitOf(background)));
    return writer.Data();
}

QByteArray EncodeBackground(const QByteArray& existing, int background) {
    common::RecordWriter writer(existing);
    writer.PadTo(kTabFieldWidth, ' ');
    writer.Seek(kBackgroundOffset);
    writer.Bytes(QByteArray(1, DigitOf(background)));
    return writer.Data();
}

int EffectiveBackground(int stored) {
    return stored >= 1 && stored <= kBackgroundCount ? stored : kDefaultBackground;
}

LauncherSettings LoadSettings(const QString& path) {
    QByteArray bytes;
    if (!common::ReadRecordFile(path, &bytes, kSettingsRecordLength))
        return LauncherSettings{};
    return DecodeSettings(bytes);
}

bool SaveToolStart(const QString& path, int tab, int background, QString* error) {
    return common::WriteRecordFile(path, EncodeToolStart(ReadExisting(path), tab, background),
                                   error);
}

bool SaveBackground(const QString& path, int background, QString* error) {
    return common::WriteRecordFile(path, EncodeBackground(ReadExisting(path), background), error);
}

} // namespace hubmenu
