#pragma once

// SHTLIST.PRM: the sheet list program's settings, one record in the data
// folder. The record holds the text of the workbook box as a 2-byte
// little-endian length followed by that many cp932 bytes; the record is
// declared 32640 bytes long and the bytes after the text are zero bytes.

#include <QByteArray>
#include <QString>

namespace shtlist {

inline constexpr int kRecordLength = 32640;
// The longest text the record can hold after its length prefix.
inline constexpr int kMaxTextBytes = kRecordLength - 2;

// The record as stored. A text longer than the record allows is cut at a
// character boundary.
QByteArray EncodeSettings(const QString& workbookText);
// The stored text through the blank trim; an empty or short record gives an
// empty text.
QString DecodeSettings(const QByteArray& record);

QString SettingsPath();

// Reads SHTLIST.PRM (an absent file is created empty). False when the file
// can neither be read nor created; `workbookText` is then left as it was.
bool ReadSettingsFile(QString* workbookText);
// Replaces SHTLIST.PRM atomically. False with a Japanese reason in `error`.
bool WriteSettingsFile(const QString& workbookText, QString* error = nullptr);

} // namespace shtlist
