#pragma once

#include <QByteArray>
#include <QString>

namespace common {

// Text in stored files is the Japanese Windows code page (cp932). The
// "windows-31j" converter maps U+FF5E to 81 60 as Windows does.
QByteArray ToCp932(const QString& text);
QString FromCp932(const QByteArray& bytes);

// Encodes `text` and cuts the result to at most `width` bytes without splitting
// a double-byte character, then pads it with spaces to exactly `width` bytes.
QByteArray ToCp932Fixed(const QString& text, int width);

} // namespace common
