#pragma once

#include <QByteArray>
#include <QString>

namespace hubmenu {

// HUBMENU.PRM in the data folder: record 1 of a file with 256-byte records,
// of which only the first 4 bytes carry data:
//   bytes 0-2  tab position of the tool started last, three digits ("002")
//   byte  3    number of the chosen background picture, one digit
inline constexpr char kSettingsFileName[] = "HUBMENU.PRM";
inline constexpr int kSettingsRecordLength = 256;
inline constexpr int kTabFieldWidth = 3;
inline constexpr int kBackgroundOffset = 3;

// The picture shown when none, or no valid one, is stored.
inline constexpr int kDefaultBackground = 3;
inline constexpr int kBackgroundCount = 6;

struct LauncherSettings {
    int lastToolTab = 0; // 0: no tool started yet
    int background = 0;  // as stored: 0 when no digit is there
};

QString SettingsPath();

// Reads the fields from the bytes of record 1: the leading digits of bytes
// 0-2 (after trimming blanks) and the digit in byte 3; missing or non-digit
// content reads as 0.
LauncherSettings DecodeSettings(const QByteArray& record);

// The record after a tool start: the tab position as three digits and the
// background as one digit over the start of `existing`; later bytes are kept.
QByteArray EncodeToolStart(const QByteArray& existing, int tab, int background);

// The record after ending with Esc: only the background digit is replaced;
// a record too short to hold the tab field gets blanks there.
QByteArray EncodeBackground(const QByteArray& existing, int background);

// The picture to show for a stored number: 1 to 6 as it is, anything else
// (0 for a new file, or a damaged digit) picture 3.
int EffectiveBackground(int stored);

// Reads record 1 of the file, creating it empty when it is missing. A file
// that cannot be read gives the settings of a first start.
LauncherSettings LoadSettings(const QString& path);

// Read-modify-write of record 1; the previous content survives a failed
// write. Answer false with a Japanese reason in `error` on failure.
bool SaveToolStart(const QString& path, int tab, int background, QString* error = nullptr);
bool SaveBackground(const QString& path, int background, QString* error = nullptr);

} // namespace hubmenu
