#pragma once

// BOOKMRG.PRM: the consolidation program's settings, one fixed record in the
// data folder. Fields in order, cp932, left-aligned and padded with spaces:
//   OutputBook 255, ExcludeName1 128, ExcludeName2 128, Books 64 x 255,
//   MatchMode 1 ("1" = whole name, "2" = part of the name).
// The record is declared 32640 bytes long; the bytes after the fields are
// written as zero bytes.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace bookmrg {

inline constexpr int kOutputBookWidth = 255;
inline constexpr int kExcludeWidth = 128;
inline constexpr int kBookWidth = 255;
inline constexpr int kBookSlots = 64;
inline constexpr int kMatchModeWidth = 1;
inline constexpr int kFieldsLength =
    kOutputBookWidth + 2 * kExcludeWidth + kBookSlots * kBookWidth + kMatchModeWidth;
inline constexpr int kRecordLength = 32640;

inline const QString kMatchWhole = QStringLiteral("1");
inline const QString kMatchPart = QStringLiteral("2");

struct Settings {
    QString outputBook;
    QString exclude1;
    QString exclude2;
    // Non-empty slots in slot order (blank slots in between are skipped).
    QStringList books;
    QString matchMode;
    // Slot 1 as read (possibly blank): its folder is where the add dialog
    // opens. Not written back.
    QString firstSlot;
};

// The record as stored: every field cut to its width, at most 64 books (the
// further ones are not stored).
QByteArray EncodeSettings(const Settings& settings);
// Reads a record; every field passes through the blank trim, so an empty or
// short record gives empty fields.
Settings DecodeSettings(const QByteArray& record);

QString SettingsPath();

// Reads BOOKMRG.PRM (an absent file is created empty). False when the file
// can neither be read nor created; `settings` is then left as it was.
bool ReadSettingsFile(Settings* settings);
// Replaces BOOKMRG.PRM atomically. False with a Japanese reason in `error`.
bool WriteSettingsFile(const Settings& settings, QString* error = nullptr);

} // namespace bookmrg
