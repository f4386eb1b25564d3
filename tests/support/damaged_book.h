#pragma once

// A classic workbook made unreadable in a way that still passes the office's
// type detection: the workbook record at the start of its stream is wiped,
// so the load fails as a damaged file, not as a protected one.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace test_support {

// Wipes the first workbook record of the .xls file at `path` in place; false
// when the file cannot be read or written or holds no such record.
inline bool WipeWorkbookRecord(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.readAll();
    file.close();
    const qsizetype start = bytes.indexOf(QByteArray("\x09\x08\x10\x00\x00\x06", 6));
    if (start <= 0)
        return false;
    bytes.replace(start, 8, QByteArray(8, '\0'));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

} // namespace test_support
