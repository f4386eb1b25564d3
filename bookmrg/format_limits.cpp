#include "bookmrg/format_limits.h"

#include <QFile>
#include <QLocale>
#include <QtEndian>

namespace bookmrg {

namespace {

const QString kCr = QStringLiteral("\r");

// Sector numbers of a compound document at and above this are markers.
constexpr quint32 kMaxSector = 0xFFFFFFFA;
constexpr quint32 kEndOfChain = 0xFFFFFFFE;

quint16 U16(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint16>(b.constData() + at);
}
quint32 U32(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}

// The first `length` code units of `text`, one fewer when the cut would fall
// inside a surrogate pair.
QString CutAt(const QString& text, int length) {
    if (length <= 0)
        return QString();
    if (text.size() <= length)
        return text;
    if (text.at(length).isLowSurrogate())
        --length;
    return text.left(length);
}

bool Taken(const QStringList& taken, const QString& name) {
    return taken.contains(name, Qt::CaseInsensitive);
}

} // namespace

bool IsClassicWorkbookFile(const QString& path) {
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) ||
            file.read(8) != QByteArray::fromHex("D0CF11E0A1B11AE1"))
            return false;
    }
    // A password-protected package of today's formats is kept in a compound
    // document as "EncryptedPackage" (a classic workbook protects the
    // content of its "Workbook" stream instead).
    return !CompoundEntryNames(path).contains(QStringLiteral("EncryptedPackage"),
                                              Qt::CaseInsensitive);
}

QStringList CompoundEntryNames(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray header = file.read(512);
    if (header.size() < 512 || !header.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1")))
        return {};
    const int shift = U16(header, 0x1E);
    if (shift < 9 || shift > 16)
        return {};
    const qint64 sectorSize = qint64(1) << shift;
    const auto sector = [&](quint32 index) {
        QByteArray bytes;
        if (file.seek((qint64(index) + 1) * sectorSize))
            bytes = file.read(sectorSize);
        return bytes.size() == sectorSize ? bytes : QByteArray();
    };
    // The sectors of the allocation table: 109 listed in the header, the
    // rest in a chain of list sectors.
    QList<quint32> fatSectors;
    for (int i = 0; i < 109; ++i)
        fatSectors.append(U32(header, 0x4C + 4 * i));
    const int perSector = int(sectorSize / 4);
    quint32 more = U32(header, 0x44);
    for (int guard = 0; more < kMaxSector && guard < 100000; ++guard) {
        const QByteArray list = sector(more);
        if (list.isEmpty())
            return {};
        for (int i = 0; i < perSector - 1; ++i)
            fatSectors.append(U32(list, 4 * i));
        more = U32(list, 4 * (perSector - 1));
    }
    const auto next = [&](quint32 index) -> quint32 {
        const qsizetype which = index / perSector;
        if (which >= fatSectors.size() || fatSectors.at(which) >= kMaxSector)
            return kEndOfChain;
        const QByteArray fat = sector(fatSectors.at(which));
        return fat.isEmpty() ? kEndOfChain : U32(fat, 4 * (index % perSector));
    };
    // The directory: 128-byte entries, the name in UTF-16 with its length
    // in bytes (with the closing zero) at 0x40, the kind at 0x42.
    QStringList names;
    quint32 at = U32(header, 0x30);
    for (int guard = 0; at < kMaxSector && guard < 100000; ++guard) {
        const QByteArray entries = sector(at);
        if (entries.isEmpty())
            break;
        for (qsizetype e = 0; e + 128 <= entries.size(); e += 128) {
            const int bytes = U16(entries, e + 0x40);
            const int kind = quint8(entries.at(e + 0x42));
            if ((kind == 1 || kind == 2) && bytes >= 2 && bytes <= 64)
                names.append(QString::fromUtf16(
                    reinterpret_cast<const char16_t*>(entries.constData() + e), bytes / 2 - 1));
        }
        at = next(at);
    }
    return names;
}

bool FitsClassicFormat(const sheet::CellExtent& extent) {
    return extent.rows <= sheet::kClassicMaxRows && extent.columns <= sheet::kClassicMaxColumns;
}

QString ClassicLimitMessage(const QString& bookPath, const QString& sheetName,
                            const sheet::CellExtent& extent) {
    const QLocale c(QLocale::English, QLocale::UnitedStates); // 70,000
    return QStringLiteral("次のシートは .xls 形式のブックに収まりません"
                          "（.xls 形式は 65,536 行 × 256 列まで）。") +
           kCr + QStringLiteral("ブック：") + bookPath + kCr + QStringLiteral("シート：") +
           sheetName +
           QStringLiteral("（%1 行 × %2 列）")
               .arg(c.toString(extent.rows), c.toString(extent.columns)) +
           kCr +
           QStringLiteral(
               "出力するブック名を .xlsx で終わる名前にして、もう一度実行してください。") +
           kCr + QStringLiteral("処理を終了します。");
}

QString ShortSheetName(const QString& sourceName, const QString& current,
                       const QStringList& taken) {
    if (current.size() <= sheet::kMaxSheetNameLength)
        return current;
    const QString whole = CutAt(sourceName, sheet::kMaxSheetNameLength);
    if (sourceName.size() > sheet::kMaxSheetNameLength && !Taken(taken, whole))
        return whole;
    for (int n = 2;; ++n) {
        const QString suffix = QStringLiteral("_%1").arg(n);
        const QString candidate =
            CutAt(sourceName, sheet::kMaxSheetNameLength - int(suffix.size())) + suffix;
        if (!Taken(taken, candidate))
            return candidate;
    }
}

QString KeepSheetNameShort(sheet::Workbook& book, sheet::Worksheet& sheet,
                           const QString& sourceName) {
    const QString current = sheet.Name();
    if (current.size() <= sheet::kMaxSheetNameLength)
        return current;
    QStringList taken;
    const int count = book.SheetCount();
    for (int i = 1; i <= count; ++i) {
        const QString name = book.Worksheets(i)->Name();
        if (name != current)
            taken.append(name);
    }
    const QString name = ShortSheetName(sourceName, current, taken);
    sheet.SetName(name);
    return name;
}

} // namespace bookmrg
