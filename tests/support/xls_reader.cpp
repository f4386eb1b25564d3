#include "xls_reader.h"

#include <QFile>
#include <QtEndian>

namespace xlsread {

namespace {

quint16 U16(const QByteArray& b, qsizetype at) {
    return at + 2 <= b.size() ? qFromLittleEndian<quint16>(b.constData() + at) : 0;
}
quint32 U32(const QByteArray& b, qsizetype at) {
    return at + 4 <= b.size() ? qFromLittleEndian<quint32>(b.constData() + at) : 0;
}

constexpr quint32 kEndOfChain = 0xFFFFFFFE;

// The streams of a compound document, read whole.
class Compound {
public:
    explicit Compound(QByteArray file) : file_(std::move(file)) {}

    bool Load(QString* error) {
        if (!file_.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1"))) {
            *error = QStringLiteral("not a compound document");
            return false;
        }
        sectorSize_ = 1 << U16(file_, 0x1E);
        miniSectorSize_ = 1 << U16(file_, 0x20);
        miniCutoff_ = U32(file_, 0x38);
        // The sectors of the allocation table: 109 in the header, the rest in
        // a chain of extension sectors.
        QList<quint32> fatSectors;
        for (int i = 0; i < 109; ++i) {
            const quint32 s = U32(file_, 0x4C + 4 * i);
            if (s < 0xFFFFFFFA)
                fatSectors.append(s);
        }
        quint32 difat = U32(file_, 0x44);
        for (int guard = 0; difat < 0xFFFFFFFA && guard < 100000; ++guard) {
            const QByteArray sector = Sector(difat);
            const int perSector = sectorSize_ / 4 - 1;
            for (int i = 0; i < perSector; ++i) {
                const quint32 s = U32(sector, 4 * i);
                if (s < 0xFFFFFFFA)
                    fatSectors.append(s);
            }
            difat = U32(sector, 4 * perSector);
        }
        for (quint32 s : fatSectors) {
            const QByteArray sector = Sector(s);
            for (int i = 0; i + 4 <= sector.size(); i += 4)
                fat_.append(U32(sector, i));
        }
        directory_ = Chain(U32(file_, 0x30), fat_, -1, false);
        miniFat_ = QList<quint32>();
        const QByteArray miniFatBytes = Chain(U32(file_, 0x3C), fat_, -1, false);
        for (int i = 0; i + 4 <= miniFatBytes.size(); i += 4)
            miniFat_.append(U32(miniFatBytes, i));
        // Entry 0 is the root: its chain is the mini stream.
        miniStream_ = Chain(U32(directory_, 0x74), fat_, U32(directory_, 0x78), false);
        return true;
    }

    // The stream of that name (letter case ignored); empty when absent.
    QByteArray Stream(const QString& name) const {
        for (qsizetype at = 0; at + 128 <= directory_.size(); at += 128) {
            const int nameBytes = U16(directory_, at + 0x40);
            if (nameBytes < 2 || directory_.at(at + 0x42) != 2) // 2: a stream
                continue;
            const QString entry = QString::fromUtf16(
                reinterpret_cast<const char16_t*>(directory_.constData() + at), nameBytes / 2 - 1);
            if (entry.compare(name, Qt::CaseInsensitive) != 0)
                continue;
            const quint32 start = U32(directory_, at + 0x74);
            const quint32 size = U32(directory_, at + 0x78);
            return size < miniCutoff_ ? Chain(start, miniFat_, size, true)
                                      : Chain(start, fat_, size, false);
        }
        return QByteArray();
    }

private:
    QByteArray Sector(quint32 index) const {
        return file_.mid(qsizetype(index + 1) * sectorSize_, sectorSize_);
    }

    QByteArray Chain(quint32 start, const QList<quint32>& table, qint64 size, bool mini) const {
        QByteArray out;
        const int unit = mini ? miniSectorSize_ : sectorSize_;
        for (quint32 s = start, guard = 0;
             s != kEndOfChain && s < quint32(table.size()) + 1 && guard < 10000000; ++guard) {
            out += mini ? miniStream_.mid(qsizetype(s) * unit, unit) : Sector(s);
            if (s >= quint32(table.size()))
                break;
            s = table.at(s);
        }
        if (size >= 0)
            out.truncate(size);
        return out;
    }

    QByteArray file_;
    int sectorSize_ = 512;
    int miniSectorSize_ = 64;
    quint32 miniCutoff_ = 4096;
    QList<quint32> fat_;
    QList<quint32> miniFat_;
    QByteArray directory_;
    QByteArray miniStream_;
};

struct Record {
    quint16 type = 0;
    QByteArray data;
    qsizetype offset = 0;
};

QList<Record> Records(const QByteArray& stream) {
    QList<Record> out;
    for (qsizetype at = 0; at + 4 <= stream.size();) {
        const quint16 type = U16(stream, at);
        const quint16 length = U16(stream, at + 2);
        out.append({type, stream.mid(at + 4, length), at});
        at += 4 + length;
    }
    return out;
}

// A BIFF8 unicode string: the character count has `countBytes` bytes, then
// an option byte (bit 0: two bytes a character), then the characters (rich
// text runs and phonetic data are skipped by the callers' needs).
QString BiffString(const QByteArray& b, qsizetype at, int countBytes) {
    const int count = countBytes == 1 ? quint8(b.at(at)) : U16(b, at);
    at += countBytes;
    const quint8 options = quint8(b.at(at));
    at += 1;
    if (options & 0x08)
        at += 2; // rich text run count
    if (options & 0x04)
        at += 4; // phonetic data size
    if (options & 0x01)
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(b.constData() + at), count);
    return QString::fromLatin1(b.constData() + at, count);
}

} // namespace

QString Container(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("other");
    const QByteArray head = file.read(8);
    if (head == QByteArray::fromHex("D0CF11E0A1B11AE1"))
        return QStringLiteral("cfb");
    if (head.startsWith("PK\x03\x04"))
        return QStringLiteral("zip");
    return QStringLiteral("other");
}

Book Read(const QString& path) {
    Book book;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        book.error = QStringLiteral("cannot open");
        return book;
    }
    Compound compound(file.readAll());
    if (!compound.Load(&book.error))
        return book;
    const QByteArray stream = compound.Stream(QStringLiteral("Workbook"));
    if (stream.isEmpty()) {
        book.error = QStringLiteral("no Workbook stream");
        return book;
    }
    const QList<Record> records = Records(stream);
    // The globals: sheet names and where each sheet's records start.
    QHash<qsizetype, int> sheetAt;
    for (const Record& r : records) {
        if (r.type == 0x002F) // FILEPASS
            book.encrypted = true;
        if (r.type == 0x0085) { // BOUNDSHEET
            sheetAt.insert(U32(r.data, 0), int(book.sheets.size()));
            Sheet sheet;
            sheet.name = BiffString(r.data, 6, 1);
            book.sheets.append(sheet);
        }
        if (r.type == 0x000A) // EOF of the globals
            break;
    }
    if (book.encrypted) {
        book.ok = true; // the sheets' records cannot be read without the key
        return book;
    }
    Sheet* current = nullptr;
    QPair<int, int> pendingString(-1, -1);
    for (const Record& r : records) {
        if (r.type == 0x0809) { // BOF
            const auto found = sheetAt.constFind(r.offset);
            current = found == sheetAt.constEnd() ? nullptr : &book.sheets[found.value()];
            continue;
        }
        if (!current)
            continue;
        // Cell records: row and column first.
        static const QList<quint16> cells = {0x0006, 0x0203, 0x027E, 0x00FD, 0x0204, 0x0205};
        if (cells.contains(r.type)) {
            current->lastRow = qMax(current->lastRow, U16(r.data, 0) + 1);
            current->lastColumn = qMax(current->lastColumn, U16(r.data, 2) + 1);
        } else if (r.type == 0x00BD) { // MULRK: first column, last column at the end
            current->lastRow = qMax(current->lastRow, U16(r.data, 0) + 1);
            current->lastColumn = qMax(current->lastColumn, U16(r.data, r.data.size() - 2) + 1);
        }
        if (r.type == 0x0006) { // FORMULA
            const QPair<int, int> at(U16(r.data, 0) + 1, U16(r.data, 2) + 1);
            Result result;
            if (U16(r.data, 12) == 0xFFFF) {
                switch (quint8(r.data.at(6))) {
                case 0:
                    pendingString = at; // the text follows in a STRING record
                    break;
                case 1:
                    result = quint8(r.data.at(8)) != 0;
                    break;
                case 2:
                    result = int(quint8(r.data.at(8)));
                    break;
                default:
                    result = QString();
                    break;
                }
            } else {
                result = qFromLittleEndian<double>(r.data.constData() + 6);
            }
            current->formulaResults.insert(at, result);
        } else if (r.type == 0x0207 && pendingString.first > 0) { // STRING
            current->formulaResults.insert(pendingString, BiffString(r.data, 0, 2));
            pendingString = {-1, -1};
        } else if (r.type == 0x023E) { // WINDOW2: option flags first
            current->showGrid = U16(r.data, 0) & 0x0002;
            current->frozen = U16(r.data, 0) & 0x0008;
        } else if (r.type == 0x0041 && current->frozen) { // PANE: split column and row
            current->frozenColumns = U16(r.data, 0);
            current->frozenRows = U16(r.data, 2);
        } else if (r.type == 0x0041) { // PANE of a split window: in twips
            current->splitTwipsX = U16(r.data, 0);
            current->splitTwipsY = U16(r.data, 2);
        } else if (r.type == 0x00A0 && U16(r.data, 2) != 0) { // SCL: zoom as a fraction
            current->zoom = U16(r.data, 0) * 100 / U16(r.data, 2);
        } else if (r.type == 0x000A) { // EOF
            current = nullptr;
        }
    }
    book.ok = true;
    return book;
}

QString DescribeView(const Sheet& sheet) {
    QStringList parts;
    if (sheet.frozen)
        parts << QStringLiteral("frozen %1x%2").arg(sheet.frozenColumns).arg(sheet.frozenRows);
    if (sheet.splitTwipsX || sheet.splitTwipsY)
        parts << QStringLiteral("split %1x%2 twips").arg(sheet.splitTwipsX).arg(sheet.splitTwipsY);
    if (!sheet.showGrid)
        parts << QStringLiteral("no grid");
    if (sheet.zoom != 100)
        parts << QStringLiteral("zoom %1").arg(sheet.zoom);
    return parts.isEmpty() ? QStringLiteral("plain") : parts.join(QLatin1Char(' '));
}

QStringList SheetViews(const QString& path) {
    const Book book = Read(path);
    if (!book.ok)
        return {QStringLiteral("unreadable: ") + book.error};
    QStringList out;
    for (const Sheet& s : book.sheets)
        out << s.name + QStringLiteral(": ") + DescribeView(s);
    return out;
}

QString Describe(const Result& result) {
    if (const auto* d = std::get_if<double>(&result))
        return QString::number(*d);
    if (const auto* s = std::get_if<QString>(&result))
        return QLatin1Char('"') + *s + QLatin1Char('"');
    if (const auto* b = std::get_if<bool>(&result))
        return *b ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    if (const auto* e = std::get_if<int>(&result))
        return QStringLiteral("#err %1").arg(*e);
    return QStringLiteral("<empty>");
}

} // namespace xlsread
