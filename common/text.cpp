#include "common/text.h"

namespace common {

bool IsBlank(QChar c) {
    const char16_t u = c.unicode();
    return u == u' ' || u == u'\u3000' || u == u'\0';
}

QString TrimBlanksLeft(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && IsBlank(text.at(i)))
        ++i;
    return text.mid(i);
}

QString TrimBlanksRight(const QString& text) {
    qsizetype n = text.size();
    while (n > 0 && IsBlank(text.at(n - 1)))
        --n;
    return text.left(n);
}

QString TrimBlanks(const QString& text) {
    return TrimBlanksRight(TrimBlanksLeft(text));
}

} // namespace common
