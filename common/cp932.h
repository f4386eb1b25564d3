#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace common {

// Text in stored files is the Japanese Windows code page (cp932). The
// "windows-31j" converter maps U+FF5E to 81 60 as Windows does.
QByteArray ToCp932(const QString& text);
QString FromCp932(const QByteArray& bytes);

// Encodes `text` and cuts the result to at most `width` bytes without splitting
// a double-byte character, then pads it with spaces to exactly `width` bytes.
QByteArray ToCp932Fixed(const QString& text, int width);

// The characters of `text` that cp932 cannot hold or would give back as a
// different character (é, ü, Hangul, "〜" U+301C, ...), each once, in order
// of appearance. Empty when the text comes back unchanged.
QStringList CharsNotInCp932(const QString& text);

// Checks that a path survives a cp932 field of at most `maxBytes` bytes
// unchanged. Empty when it does; otherwise a Japanese message naming the
// problem (the characters that cannot be kept, or the length in bytes against
// the limit) and the path, for the user to see before anything is saved.
QString StoredPathProblem(const QString& path, int maxBytes);
// The same for a sheet name kept in a settings file.
QString StoredNameProblem(const QString& name, int maxBytes);

} // namespace common
