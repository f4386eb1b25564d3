#include "common/record_file.h"

#include "common/error_text.h"

#include "common/cp932.h"
#include "common/text.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <cerrno>
#include <unistd.h>

namespace common {

namespace {

constexpr int kMaxLenText = 0xFFFF;

bool IsLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Cuts cp932 bytes to at most `width` bytes without splitting a character.
QByteArray CutAtCharacter(const QByteArray& all, int width) {
    int end = 0;
    while (end < all.size()) {
        const int len = IsLeadByte(static_cast<unsigned char>(all[end])) ? 2 : 1;
        if (end + len > width)
            break;
        end += len;
    }
    return all.left(end);
}

void SetError(QString* error, const QString& text) {
    if (error)
        *error = text;
}

// Asks the system to put the written bytes on the disk. A file system that
// keeps allocating until then (delayed allocation) reports a full disk only
// here. File systems that cannot sync (EINVAL, EROFS) count as synced.
bool SyncToDisk(QFileDevice& file, QString* reason) {
    const int fd = file.handle();
    if (fd < 0)
        return true;
    if (::fsync(fd) == 0 || errno == EINVAL || errno == EROFS)
        return true;
    *reason = SystemErrorText(errno);
    return false;
}

} // namespace

QByteArray RecordReader::Bytes(int width) {
    QByteArray out(width < 0 ? 0 : width, '\0');
    for (int i = 0; i < out.size(); ++i) {
        const qsizetype at = qsizetype(pos_) + i;
        if (at >= bytes_.size())
            break;
        out[i] = bytes_[at];
    }
    pos_ += out.size();
    return out;
}

QString RecordReader::FixedText(int width) {
    return TrimBlanks(FromCp932(Bytes(width)));
}

QString RecordReader::LenText() {
    const QByteArray head = Bytes(2);
    const int length = qFromLittleEndian<quint16>(head.constData());
    // A damaged length may point past the end: only the bytes that exist are
    // taken, the rest would be zero bytes, which the trim removes anyway.
    const qsizetype avail = qMax<qsizetype>(0, bytes_.size() - pos_);
    const QByteArray text = bytes_.mid(pos_, qMin<qsizetype>(length, avail));
    pos_ += length;
    return TrimBlanks(FromCp932(text));
}

qint64 RecordReader::Int64() {
    const QByteArray raw = Bytes(8);
    return qFromLittleEndian<qint64>(raw.constData());
}

void RecordWriter::Bytes(const QByteArray& bytes) {
    if (bytes_.size() < pos_ + bytes.size())
        bytes_.append(QByteArray(pos_ + bytes.size() - bytes_.size(), '\0'));
    bytes_.replace(pos_, bytes.size(), bytes);
    pos_ += bytes.size();
}

void RecordWriter::FixedText(const QString& text, int width) {
    Bytes(ToCp932Fixed(text, width));
}

void RecordWriter::LenText(const QString& text) {
    const QByteArray bytes = CutAtCharacter(ToCp932(text), kMaxLenText);
    char head[2];
    qToLittleEndian<quint16>(static_cast<quint16>(bytes.size()), head);
    Bytes(QByteArray(head, 2));
    Bytes(bytes);
}

void RecordWriter::Int64(qint64 value) {
    char raw[8];
    qToLittleEndian<qint64>(value, raw);
    Bytes(QByteArray(raw, 8));
}

void RecordWriter::PadTo(int length, char fill) {
    if (bytes_.size() < length)
        bytes_.append(QByteArray(length - bytes_.size(), fill));
    pos_ = qMax(pos_, length);
}

bool ReadRecordFile(const QString& path, QByteArray* bytes, int maxLength, QString* error) {
    bytes->clear();
    QFile file(path);
    // ReadWrite creates a missing file without touching an existing one; a
    // read-only file is still read.
    if (!file.exists() ? !file.open(QIODevice::ReadWrite) : !file.open(QIODevice::ReadOnly)) {
        SetError(error,
                 QStringLiteral("ファイル %1 を開けません（%2）").arg(path, FileErrorText(file)));
        return false;
    }
    *bytes = maxLength < 0 ? file.readAll() : file.read(maxLength);
    return true;
}

bool WriteRecordFile(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    // A small write stays in the file object's buffer, so write() succeeds
    // even on a full disk; the failure only shows when the buffer is flushed,
    // and commit() would then still rename the empty temporary file over the
    // real one. The bytes are therefore flushed and synced, and checked,
    // before anything replaces the file.
    QString syncError;
    const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() &&
                         file.flush() && SyncToDisk(file, &syncError);
    if (!written || !file.commit()) {
        const QString reason = syncError.isEmpty() ? FileErrorText(file) : syncError;
        file.cancelWriting();
        SetError(error, QStringLiteral("ファイル %1 に書き込めません（%2）。"
                                       "ファイルは前の内容のまま残っています")
                            .arg(path, reason));
        return false;
    }
    return true;
}

} // namespace common
