#include "spreadsheet/cell_address.h"

namespace sheet {

QString ColumnLetters(int column) {
    QString letters;
    for (int n = column; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

QString A1Address(int firstRow, int firstColumn, int lastRow, int lastColumn) {
    QString first = ColumnLetters(firstColumn) + QString::number(firstRow);
    if (firstRow == lastRow && firstColumn == lastColumn)
        return first;
    return first + QLatin1Char(':') + ColumnLetters(lastColumn) + QString::number(lastRow);
}

namespace {

struct SplitSub {
    QString sheet;
    QString cell;
    bool hasSheet = false;
};

SplitSub Split(const QString& subAddress) {
    SplitSub out;
    const qsizetype bang = subAddress.lastIndexOf(QLatin1Char('!'));
    if (bang < 0) {
        out.cell = subAddress;
        return out;
    }
    QString sheet = subAddress.left(bang);
    out.cell = subAddress.mid(bang + 1);
    if (sheet.size() >= 2 && sheet.startsWith(QLatin1Char('\'')) &&
        sheet.endsWith(QLatin1Char('\''))) {
        sheet = sheet.mid(1, sheet.size() - 2);
        sheet.replace(QStringLiteral("''"), QStringLiteral("'"));
    }
    out.sheet = sheet;
    out.hasSheet = !sheet.isEmpty();
    return out;
}

} // namespace

QString SubAddressSheet(const QString& subAddress) {
    return Split(subAddress).sheet;
}

QString LinkUrl(const QString& address, const QString& subAddress) {
    if (subAddress.isEmpty())
        return address;
    const SplitSub sub = Split(subAddress);
    QString target;
    if (sub.hasSheet) {
        QString quoted = sub.sheet;
        quoted.replace(QStringLiteral("'"), QStringLiteral("''"));
        target = QLatin1Char('\'') + quoted + QStringLiteral("'.") + sub.cell;
    } else {
        target = sub.cell;
    }
    return address + QLatin1Char('#') + target;
}

QString WithoutTextPrefix(const QString& text) {
    return text.startsWith(QLatin1Char('\'')) ? text.mid(1) : text;
}

bool SplitRangeText(const QString& text, QString* sheetName, QString* cells) {
    qsizetype i = 0;
    if (i < text.size() && text[i] == QLatin1Char('$'))
        ++i;
    QString name;
    if (i < text.size() && text[i] == QLatin1Char('\'')) {
        ++i;
        for (; i < text.size(); ++i) {
            if (text[i] == QLatin1Char('\'')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\'')) {
                    name += QLatin1Char('\'');
                    ++i;
                    continue;
                }
                ++i;
                break;
            }
            name += text[i];
        }
    } else {
        while (i < text.size() && text[i] != QLatin1Char('.'))
            name += text[i++];
    }
    if (i >= text.size() || text[i] != QLatin1Char('.') || name.isEmpty())
        return false;
    *sheetName = name;
    *cells = text.mid(i + 1);
    return true;
}

} // namespace sheet
