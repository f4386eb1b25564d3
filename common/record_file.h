#pragma once

#include <QByteArray>
#include <QString>

namespace common {

// Reads the fields of one fixed-layout record in order. Bytes past the end of
// the buffer read as zero bytes, so a short or empty record gives empty texts
// and zeros; text fields pass through TrimBlanks.
class RecordReader {
public:
    explicit RecordReader(QByteArray bytes) : bytes_(std::move(bytes)) {}

    // A text of `width` bytes, padded with spaces when written.
    QString FixedText(int width);
    // The raw bytes of a field of `width` bytes (zero bytes past the end).
    QByteArray Bytes(int width);
    // A 2-byte little-endian length followed by that many bytes.
    QString LenText();
    // A signed 64-bit little-endian integer.
    qint64 Int64();

    void Seek(int offset) { pos_ = offset < 0 ? 0 : offset; }
    void Skip(int count) { Seek(pos_ + count); }
    int Pos() const { return pos_; }

private:
    QByteArray bytes_;
    int pos_ = 0;
};

// Builds a record field by field. It can start from an existing record, so
// that a program that owns only some fields rewrites those and keeps the rest.
class RecordWriter {
public:
    RecordWriter() = default;
    explicit RecordWriter(QByteArray existing) : bytes_(std::move(existing)) {}

    // The text in cp932, cut to `width` bytes at a character boundary and
    // padded with spaces.
    void FixedText(const QString& text, int width);
    // Length-prefixed text; a text longer than 65535 bytes is cut there.
    void LenText(const QString& text);
    void Int64(qint64 value);
    void Bytes(const QByteArray& bytes);
    // Fills with `fill` up to `length` bytes (nothing when already longer).
    void PadTo(int length, char fill = '\0');

    void Seek(int offset) { pos_ = offset < 0 ? 0 : offset; }
    int Pos() const { return pos_; }
    const QByteArray& Data() const { return bytes_; }

private:
    QByteArray bytes_;
    int pos_ = 0;
};

// Reads the whole file into `bytes` (at most `maxLength` bytes when it is not
// negative). A missing file is created empty and reads as no bytes. Answers
// false, with `bytes` empty and a Japanese reason in `error`, when the file can
// neither be read nor created (for example when its folder is missing).
bool ReadRecordFile(const QString& path, QByteArray* bytes, int maxLength = -1,
                    QString* error = nullptr);

// Replaces the file's content with `bytes` atomically: the new content is
// written beside it, flushed and synced, and only then renamed over it, so a
// failure midway (a full disk included) leaves the previous content. Answers
// false, with a Japanese reason in `error` that says the file was kept, on
// failure.
bool WriteRecordFile(const QString& path, const QByteArray& bytes, QString* error = nullptr);

} // namespace common
