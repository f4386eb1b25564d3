#include "common/cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace common {

// One converter each, made once: opening the code page's converter costs far
// more than converting a field, and a settings record has dozens of fields.
// The state is reset before each use, so a damaged text before cannot affect
// the next one.
QByteArray ToCp932(const QString& text) {
    thread_local QStringEncoder enc("windows-31j");
    enc.resetState();
    return enc.encode(text);
}

QString FromCp932(const QByteArray& bytes) {
    thread_local QStringDecoder dec("windows-31j");
    dec.resetState();
    return dec.decode(bytes);
}

namespace {
bool IsLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
} // namespace

QByteArray ToCp932Fixed(const QString& text, int width) {
    const QByteArray all = ToCp932(text);
    QByteArray out;
    out.reserve(width);
    int i = 0;
    while (i < all.size()) {
        const int len = IsLeadByte(static_cast<unsigned char>(all[i])) ? 2 : 1;
        if (out.size() + len > width)
            break;
        out.append(all.mid(i, len));
        i += len;
    }
    out.append(QByteArray(width - out.size(), ' '));
    return out;
}

QStringList CharsNotInCp932(const QString& text) {
    QStringList bad;
    if (FromCp932(ToCp932(text)) == text)
        return bad;
    // Character by character (cp932 has no shift states), a surrogate pair
    // counting as one character.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString one = text.mid(i, length);
        i += length - 1;
        if (FromCp932(ToCp932(one)) != one && !bad.contains(one))
            bad.append(one);
    }
    return bad;
}

namespace {

// 「é」(U+00E9): the character as it looks and its code, since some are
// invisible or look like others.
QString Shown(const QString& character) {
    const QString code =
        QStringLiteral("%1").arg(character.toUcs4().value(0), 4, 16, QLatin1Char('0')).toUpper();
    return QStringLiteral("「%1」(U+%2)").arg(character, code);
}

} // namespace

QString StoredPathProblem(const QString& path, int maxBytes) {
    const QStringList bad = CharsNotInCp932(path);
    if (!bad.isEmpty()) {
        QStringList shown;
        for (const QString& c : bad)
            shown.append(Shown(c));
        return QStringLiteral("このパスには設定ファイルに保存できない文字 %1 "
                              "が含まれているため、指定できません。\r"
                              "フォルダ名やファイル名からその文字を除いてから指定してください。\r")
                   .arg(shown.join(QStringLiteral("、"))) +
               path;
    }
    const qsizetype bytes = ToCp932(path).size();
    if (bytes > maxBytes) {
        return QStringLiteral("このパスは長すぎるため、指定できません"
                              "（%1バイト、設定ファイルに保存できるのは%2バイトまで）。\r"
                              "もっと短いパスのフォルダを使ってください。\r")
                   .arg(bytes)
                   .arg(maxBytes) +
               path;
    }
    return QString();
}

QString StoredNameProblem(const QString& name, int maxBytes) {
    const QStringList bad = CharsNotInCp932(name);
    if (!bad.isEmpty()) {
        QStringList shown;
        for (const QString& c : bad)
            shown.append(Shown(c));
        return QStringLiteral("このシート名には設定ファイルに保存できない文字 %1 "
                              "が含まれているため、指定できません。\r")
                   .arg(shown.join(QStringLiteral("、"))) +
               name;
    }
    const qsizetype bytes = ToCp932(name).size();
    if (bytes > maxBytes) {
        return QStringLiteral("このシート名は長すぎるため、指定できません"
                              "（%1バイト、設定ファイルに保存できるのは%2バイトまで）。\r")
                   .arg(bytes)
                   .arg(maxBytes) +
               name;
    }
    return QString();
}

} // namespace common
