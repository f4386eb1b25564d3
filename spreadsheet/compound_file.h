#pragma once

// A reader of compound documents, the container of classic workbooks (and of
// password-protected packages of today's formats): a small file system of
// named streams in fixed-size sectors. Safe on any bytes: every position is
// checked, chains that loop or leave the file end the reading, and nothing
// read can ask for more memory than the file itself holds.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtEndian>

namespace sheet {

// Little-endian numbers in stored bytes; 0 where they would run past the end.
inline quint16 StoredU16(const QByteArray& b, qsizetype at) {
    return at >= 0 && at + 2 <= b.size() ? qFromLittleEndian<quint16>(b.constData() + at) : 0;
}
inline quint32 StoredU32(const QByteArray& b, qsizetype at) {
    return at >= 0 && at + 4 <= b.size() ? qFromLittleEndian<quint32>(b.constData() + at) : 0;
}

class CompoundFile {
public:
    // Opens the file and reads its header and allocation table. A file that
    // is not a compound document, or whose header is damaged, is not ok.
    explicit CompoundFile(const QString& path);
    bool ok() const { return ok_; }

    // The names of the entries (streams and storages) as the directory lists
    // them, up to the first directory sector that cannot be read.
    QStringList EntryNames();

    // The whole stream of that name (letter case ignored), found in the
    // directory; empty when there is none or when its sectors cannot all be
    // read (a damaged file gives no part of a stream).
    QByteArray Stream(const QString& name);

private:
    struct Entry {
        QString name;
        int kind = 0; // 1 storage, 2 stream, 5 root
        quint32 start = 0;
        quint64 size = 0;
    };
    QByteArray ReadSectors(quint32 first, qint64 count);
    QByteArray Chain(quint32 start, quint64 size, bool allowShort);
    QByteArray MiniChain(quint32 start, quint64 size);
    QList<Entry> Directory();

    QFile file_;
    bool ok_ = false;
    qint64 sectorSize_ = 512;
    qint64 miniSectorSize_ = 64;
    quint32 miniCutoff_ = 4096;
    qint64 sectorCount_ = 0; // whole sectors in the file after the header
    quint32 directoryStart_ = 0;
    quint32 miniFatStart_ = 0;
    QList<quint32> fat_;
    bool directoryRead_ = false;
    QList<Entry> directory_;
    bool miniRead_ = false;
    QList<quint32> miniFat_;
    QByteArray miniStream_;
};

} // namespace sheet
