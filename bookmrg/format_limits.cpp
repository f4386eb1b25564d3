#include "bookmrg/format_limits.h"
#include "spreadsheet/compound_file.h"

#include <QFile>
#include <QLocale>

namespace bookmrg {

namespace {

const QString kCr = QStringLiteral("\r");

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
    sheet::CompoundFile file(path);
    return file.ok() ? file.EntryNames() : QStringList();
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
