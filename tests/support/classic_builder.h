#pragma once

// Classic workbook files made byte by byte for the tests and the fuzzing
// seeds of the readers of such files: a compound document of named streams,
// and a workbook stream of records (the globals with their sheet list, then
// each sheet's records between its BOF and EOF).

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtEndian>

#include <vector>

namespace classic_test {

inline void Put16(QByteArray& b, int at, quint16 v) {
    qToLittleEndian<quint16>(v, b.data() + at);
}
inline void Put32(QByteArray& b, int at, quint32 v) {
    qToLittleEndian<quint32>(v, b.data() + at);
}
inline QByteArray U16(quint16 v) {
    QByteArray b(2, '\0');
    Put16(b, 0, v);
    return b;
}

constexpr quint32 kEnd = 0xFFFFFFFE;
constexpr quint32 kFree = 0xFFFFFFFF;

struct Stream {
    QString name;
    QByteArray data;
};

struct CompoundOptions {
    bool miniStreams = true;    // streams under 4096 bytes in the mini stream
    bool reverseChains = false; // each stream's sectors in falling order
};

// A compound document (512-byte sectors) holding the streams in one storage.
inline QByteArray Compound(const QList<Stream>& streams, CompoundOptions options = {}) {
    std::vector<QByteArray> sectors;
    std::vector<quint32> fat;
    // Places `data` in new sectors and links them; answers the first.
    const auto place = [&](const QByteArray& data) -> quint32 {
        const int count = int((data.size() + 511) / 512);
        if (count == 0)
            return kEnd;
        const quint32 base = quint32(sectors.size());
        std::vector<quint32> order;
        for (int i = 0; i < count; ++i)
            order.push_back(base + (options.reverseChains ? count - 1 - i : i));
        for (int i = 0; i < count; ++i) {
            sectors.emplace_back(512, '\0');
            fat.push_back(kFree);
        }
        for (int i = 0; i < count; ++i) {
            sectors[order[i]] = data.mid(i * 512, 512).leftJustified(512, '\0');
            fat[order[i]] = i + 1 < count ? order[i + 1] : kEnd;
        }
        return order.front();
    };
    QByteArray mini;
    QByteArray miniFat;
    std::vector<quint32> starts;
    for (const Stream& s : streams) {
        if (options.miniStreams && s.data.size() < 4096 && !s.data.isEmpty()) {
            const int first = int(mini.size() / 64);
            const int count = int((s.data.size() + 63) / 64);
            mini += s.data.leftJustified(count * 64, '\0');
            for (int i = 0; i < count; ++i)
                miniFat += QByteArray(4, '\0');
            for (int i = 0; i < count; ++i)
                Put32(miniFat, 4 * (first + i), i + 1 < count ? quint32(first + i + 1) : kEnd);
            starts.push_back(quint32(first));
        } else {
            starts.push_back(place(s.data));
        }
    }
    const quint32 miniStart = place(mini);
    const quint32 miniFatStart = place(miniFat);
    QByteArray directory(128 * (streams.size() + 1), '\0');
    const auto entry = [&](int e, const QString& name, int kind, quint32 start, quint32 size) {
        for (int i = 0; i < name.size() && i < 31; ++i)
            Put16(directory, 128 * e + 2 * i, name.at(i).unicode());
        Put16(directory, 128 * e + 0x40, quint16(2 * (qMin(int(name.size()), 31) + 1)));
        directory[128 * e + 0x42] = char(kind);
        Put32(directory, 128 * e + 0x44, kFree);
        Put32(directory, 128 * e + 0x48, e > 0 && e < streams.size() ? quint32(e + 1) : kFree);
        Put32(directory, 128 * e + 0x4C, e == 0 && !streams.isEmpty() ? 1 : kFree);
        Put32(directory, 128 * e + 0x74, start);
        Put32(directory, 128 * e + 0x78, size);
    };
    entry(0, QStringLiteral("Root Entry"), 5, miniStart, quint32(mini.size()));
    for (int i = 0; i < streams.size(); ++i)
        entry(i + 1, streams[i].name, 2, starts[i], quint32(streams[i].data.size()));
    const quint32 directoryStart = place(directory);
    // The allocation table last, in as many sectors as it needs itself.
    int fatSectors = 1;
    while (128 * fatSectors < int(sectors.size()) + fatSectors)
        ++fatSectors;
    const quint32 fatStart = quint32(sectors.size());
    for (int i = 0; i < fatSectors; ++i) {
        sectors.emplace_back(512, '\0');
        fat.push_back(0xFFFFFFFD);
    }
    QByteArray table(512 * fatSectors, '\xFF');
    for (size_t i = 0; i < fat.size(); ++i)
        Put32(table, int(4 * i), fat[i]);
    for (int i = 0; i < fatSectors; ++i)
        sectors[fatStart + i] = table.mid(512 * i, 512);

    QByteArray header(512, '\0');
    header.replace(0, 8, QByteArray::fromHex("D0CF11E0A1B11AE1"));
    Put16(header, 0x18, 0x3E);
    Put16(header, 0x1A, 3);
    Put16(header, 0x1C, 0xFFFE);
    Put16(header, 0x1E, 9);
    Put16(header, 0x20, 6);
    Put32(header, 0x2C, quint32(fatSectors));
    Put32(header, 0x30, directoryStart);
    Put32(header, 0x38, 4096);
    Put32(header, 0x3C, miniFatStart);
    Put32(header, 0x40, quint32((miniFat.size() + 511) / 512));
    Put32(header, 0x44, kEnd);
    for (int i = 0; i < 109; ++i)
        Put32(header, 0x4C + 4 * i, i < fatSectors ? fatStart + quint32(i) : kFree);
    QByteArray file = header;
    for (const QByteArray& s : sectors)
        file += s;
    return file;
}

// One record: its type, length and data.
inline QByteArray Record(quint16 type, const QByteArray& data = QByteArray()) {
    return U16(type) + U16(quint16(data.size())) + data;
}

// BOF of this version (0x0600) for the globals (5), a worksheet (0x10) or a
// chart (0x20).
inline QByteArray Bof(quint16 kind, quint16 version = 0x0600) {
    return Record(0x0809, U16(version) + U16(kind) + QByteArray(12, '\0'));
}
inline QByteArray Eof() {
    return Record(0x000A);
}

// WINDOW2 flags: grid lines 0x02, frozen 0x08, page break preview 0x800.
inline QByteArray Window2(quint16 flags, quint16 firstRow = 0, quint16 firstColumn = 0,
                          quint16 pageZoom = 0, quint16 normalZoom = 0) {
    return Record(0x023E, U16(flags) + U16(firstRow) + U16(firstColumn) + U16(64) + U16(0) +
                              U16(pageZoom) + U16(normalZoom) + QByteArray(4, '\0'));
}
inline QByteArray Pane(quint16 x, quint16 y, quint16 row, quint16 column, quint8 active) {
    return Record(0x0041, U16(x) + U16(y) + U16(row) + U16(column) + QByteArray(1, char(active)) +
                              QByteArray(1, '\0'));
}
inline QByteArray Scl(quint16 numerator, quint16 denominator) {
    return Record(0x00A0, U16(numerator) + U16(denominator));
}
inline QByteArray Selection(quint8 pane, quint16 row, quint16 column) {
    QByteArray ref =
        U16(row) + U16(row) + QByteArray(1, char(column)) + QByteArray(1, char(column));
    return Record(0x001D,
                  QByteArray(1, char(pane)) + U16(row) + U16(column) + U16(0) + U16(1) + ref);
}
// A number cell, to give a sheet some bulk.
inline QByteArray Number(quint16 row, quint16 column, double value) {
    QByteArray data = U16(row) + U16(column) + U16(15) + QByteArray(8, '\0');
    qToLittleEndian<double>(value, data.data() + 6);
    return Record(0x0203, data);
}

struct Sheet {
    QString name;
    QByteArray records; // between its BOF and EOF
    quint16 kind = 0x10;
    bool wideName = false;
};

// A workbook stream: the globals (with a FILEPASS when `protectedBook`),
// then each sheet.
inline QByteArray Workbook(const QList<Sheet>& sheets, bool protectedBook = false) {
    const auto boundSheet = [](const Sheet& s, quint32 at) {
        QByteArray data(6, '\0');
        Put32(data, 0, at);
        data[5] = char(s.kind == 0x20 ? 2 : 0);
        data += char(s.name.size());
        data += char(s.wideName ? 1 : 0);
        if (s.wideName) {
            for (QChar c : s.name)
                data += U16(c.unicode());
        } else {
            data += s.name.toLatin1();
        }
        return Record(0x0085, data);
    };
    QByteArray globals = Bof(0x0005);
    if (protectedBook)
        globals += Record(0x002F, QByteArray(54, '\x11'));
    int size = int(globals.size() + Eof().size());
    for (const Sheet& s : sheets)
        size += int(boundSheet(s, 0).size());
    QByteArray bodies;
    for (const Sheet& s : sheets) {
        globals += boundSheet(s, quint32(size + bodies.size()));
        bodies += Bof(s.kind) + s.records + Eof();
    }
    return globals + Eof() + bodies;
}

// A classic workbook file of these sheets.
inline QByteArray WorkbookFile(const QList<Sheet>& sheets, CompoundOptions options = {}) {
    return Compound({{QStringLiteral("Workbook"), Workbook(sheets)},
                     {QStringLiteral("\x05SummaryInformation"), QByteArray(200, '\0')}},
                    options);
}

} // namespace classic_test
