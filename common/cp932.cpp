#include "common/cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace common {

QByteArray ToCp932(const QString& text) {
    QStringEncoder enc("windows-31j");
    return enc.encode(text);
}

QString FromCp932(const QByteArray& bytes) {
    QStringDecoder dec("windows-31j");
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

} // namespace common
