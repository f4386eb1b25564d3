#include "spreadsheet/compound_file.h"

namespace sheet {

namespace {

// Sector numbers at and above this are markers (free, end of chain...).
constexpr quint32 kMaxSector = 0xFFFFFFFA;
constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr qint64 kHeaderSize = 512;
constexpr int kHeaderFatSectors = 109;
constexpr int kEntrySize = 128;

const QByteArray kSignature = QByteArray::fromHex("D0CF11E0A1B11AE1");

const auto U16 = StoredU16;
const auto U32 = StoredU32;

// Sector numbers listed in `bytes`, four bytes each.
void AppendSectors(const QByteArray& bytes, int count, QList<quint32>& out) {
    for (int i = 0; i < count && 4 * i + 4 <= bytes.size(); ++i)
        out.append(U32(bytes, 4 * i));
}

} // namespace

CompoundFile::CompoundFile(const QString& path) : file_(path) {
    if (!file_.open(QIODevice::ReadOnly))
        return;
    const QByteArray header = file_.read(kHeaderSize);
    if (header.size() < kHeaderSize || !header.startsWith(kSignature))
        return;
    const int shift = U16(header, 0x1E);
    const int miniShift = U16(header, 0x20);
    if (shift < 9 || shift > 16 || miniShift < 1 || miniShift >= shift)
        return;
    sectorSize_ = qint64(1) << shift;
    miniSectorSize_ = qint64(1) << miniShift;
    miniCutoff_ = U32(header, 0x38);
    directoryStart_ = U32(header, 0x30);
    miniFatStart_ = U32(header, 0x3C);
    // Sector 0 follows the header, which fills the first sector; a last
    // sector cut short counts and reads as padded with zero bytes.
    const qint64 after = file_.size() - sectorSize_;
    if (after <= 0)
        return;
    sectorCount_ = (after + sectorSize_ - 1) / sectorSize_;
    if (sectorCount_ >= kMaxSector)
        return;

    // The sectors of the allocation table: 109 listed in the header, the
    // rest in a chain of list sectors. No more are read than the file's
    // sectors need (a list that names sectors again and again would
    // otherwise grow the table without end).
    const qint64 perSector = sectorSize_ / 4;
    const qint64 needed = (sectorCount_ + perSector - 1) / perSector;
    QList<quint32> fatSectors;
    AppendSectors(header.mid(0x4C), kHeaderFatSectors, fatSectors);
    quint32 more = U32(header, 0x44);
    for (qint64 guard = 0; more < kMaxSector && fatSectors.size() < needed && guard < sectorCount_;
         ++guard) {
        if (more >= sectorCount_)
            break;
        const QByteArray list = ReadSectors(more, 1);
        AppendSectors(list, int(perSector - 1), fatSectors);
        more = U32(list, int(4 * (perSector - 1)));
    }
    for (quint32 s : std::as_const(fatSectors)) {
        if (fat_.size() >= sectorCount_)
            break;
        if (s >= sectorCount_) {
            // A missing part of the table: those sectors end their chains.
            for (qint64 i = 0; i < perSector; ++i)
                fat_.append(kEndOfChain);
            continue;
        }
        AppendSectors(ReadSectors(s, 1), int(perSector), fat_);
    }
    if (fat_.size() > sectorCount_)
        fat_.resize(sectorCount_);
    ok_ = true;
}

QByteArray CompoundFile::ReadSectors(quint32 first, qint64 count) {
    QByteArray bytes;
    if (count <= 0 || qint64(first) + count > sectorCount_ ||
        !file_.seek((qint64(first) + 1) * sectorSize_))
        return bytes;
    bytes = file_.read(count * sectorSize_);
    // Only the file's last sector may be short.
    if (bytes.size() < count * sectorSize_ && qint64(first) + count == sectorCount_)
        bytes.append(QByteArray(count * sectorSize_ - bytes.size(), '\0'));
    return bytes.size() == count * sectorSize_ ? bytes : QByteArray();
}

// The sectors of a chain from `start`, as many as `size` bytes need (the
// data cut to `size`). Without a size (`allowShort`), the chain is followed
// to its end and what was read is kept when a sector is missing. A chain
// that comes back to a sector it passed ends there: the file is damaged.
QByteArray CompoundFile::Chain(quint32 start, quint64 size, bool allowShort) {
    const qint64 limit = allowShort ? sectorCount_ : qint64((size + sectorSize_ - 1) / sectorSize_);
    if (limit > sectorCount_)
        return QByteArray();
    QByteArray out;
    QList<bool> passed(fat_.size(), false);
    quint32 s = start;
    qint64 taken = 0;
    while (taken < limit && s < kMaxSector) {
        if (qint64(s) >= fat_.size() || passed.at(s))
            break;
        passed[s] = true;
        // Consecutive sectors are read at once.
        quint32 last = s;
        qint64 run = 1;
        while (taken + run < limit && qint64(last) + 1 < fat_.size() && fat_.at(last) == last + 1 &&
               !passed.at(last + 1)) {
            ++last;
            passed[last] = true;
            ++run;
        }
        const QByteArray bytes = ReadSectors(s, run);
        if (bytes.isEmpty())
            break;
        out += bytes;
        taken += run;
        s = fat_.at(last);
    }
    if (allowShort)
        return out;
    if (taken < limit)
        return QByteArray();
    out.truncate(qsizetype(size));
    return out;
}

QByteArray CompoundFile::MiniChain(quint32 start, quint64 size) {
    if (!miniRead_) {
        miniRead_ = true;
        const QByteArray table = Chain(miniFatStart_, 0, true);
        AppendSectors(table, int(table.size() / 4), miniFat_);
        const QList<Entry> entries = Directory();
        if (!entries.isEmpty() && entries.constFirst().kind == 5)
            miniStream_ = Chain(entries.constFirst().start, entries.constFirst().size, false);
    }
    const qint64 count = qint64((size + miniSectorSize_ - 1) / miniSectorSize_);
    if (count > miniFat_.size())
        return QByteArray();
    QByteArray out;
    QList<bool> passed(miniFat_.size(), false);
    quint32 s = start;
    for (qint64 i = 0; i < count; ++i) {
        if (qint64(s) >= miniFat_.size() || passed.at(s) ||
            (qint64(s) + 1) * miniSectorSize_ > miniStream_.size())
            return QByteArray();
        passed[s] = true;
        out += miniStream_.mid(qsizetype(s * miniSectorSize_), qsizetype(miniSectorSize_));
        s = miniFat_.at(s);
    }
    out.truncate(qsizetype(size));
    return out;
}

QList<CompoundFile::Entry> CompoundFile::Directory() {
    if (directoryRead_ || !ok_)
        return directory_;
    directoryRead_ = true;
    // 128-byte entries: the name in UTF-16 with its length in bytes (with
    // the closing zero) at 0x40, the kind at 0x42, the first sector at 0x74
    // and the size at 0x78 (its upper half is not used with small sectors).
    const QByteArray bytes = Chain(directoryStart_, 0, true);
    for (qsizetype at = 0; at + kEntrySize <= bytes.size(); at += kEntrySize) {
        Entry entry;
        const int nameBytes = U16(bytes, at + 0x40);
        entry.kind = quint8(bytes.at(at + 0x42));
        if (nameBytes >= 2 && nameBytes <= 64)
            entry.name = QString::fromUtf16(
                reinterpret_cast<const char16_t*>(bytes.constData() + at), nameBytes / 2 - 1);
        entry.start = U32(bytes, at + 0x74);
        entry.size = U32(bytes, at + 0x78);
        if (sectorSize_ > 512)
            entry.size |= quint64(U32(bytes, at + 0x7C)) << 32;
        directory_.append(entry);
    }
    return directory_;
}

QStringList CompoundFile::EntryNames() {
    QStringList names;
    for (const Entry& entry : Directory())
        if ((entry.kind == 1 || entry.kind == 2) && !entry.name.isEmpty())
            names.append(entry.name);
    return names;
}

QByteArray CompoundFile::Stream(const QString& name) {
    for (const Entry& entry : Directory()) {
        if (entry.kind != 2 || entry.name.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        // Nothing in the file can be larger than the file.
        if (entry.size > quint64(sectorCount_ * sectorSize_))
            return QByteArray();
        return entry.size < miniCutoff_ ? MiniChain(entry.start, entry.size)
                                        : Chain(entry.start, entry.size, false);
    }
    return QByteArray();
}

} // namespace sheet
