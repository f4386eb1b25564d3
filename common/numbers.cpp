#include "common/numbers.h"

#include <cmath>
#include <limits>

#include "common/text.h"

namespace common {

namespace {

// Maps the full-width forms a Japanese input method produces onto ASCII.
char16_t Narrow(char16_t c) {
    if (c >= u'\uFF10' && c <= u'\uFF19')
        return static_cast<char16_t>(u'0' + (c - u'\uFF10'));
    switch (c) {
    case u'\uFF0C': // full-width comma
        return u',';
    case u'\uFF0E': // full-width full stop
        return u'.';
    case u'\uFF0D': // full-width hyphen-minus
    case u'\u2212': // minus sign
        return u'-';
    case u'\uFF0B': // full-width plus
        return u'+';
    default:
        return c;
    }
}

bool IsSkippable(QChar c) {
    return IsBlank(c) || c.isSpace();
}

bool IsYenSign(char16_t c) {
    // The yen sign in cp932 text is the backslash byte.
    return c == u'\u00A5' || c == u'\uFFE5' || c == u'\\';
}

// Formats a non-negative whole number held as decimal digits.
QString ApplyPattern(const QString& digits, bool negative, const QString& pattern) {
    const qsizetype minDigits = pattern.count(u'0');
    const bool grouped = pattern.contains(u',');
    QString body = digits;
    if (body == QLatin1String("0"))
        body.clear();
    if (body.size() < minDigits)
        body = QString(minDigits - body.size(), u'0') + body;
    if (grouped) {
        for (qsizetype pos = body.size() - 3; pos > 0; pos -= 3)
            body.insert(pos, u',');
    }
    if (negative && !body.isEmpty())
        body.prepend(u'-');
    return body;
}

QString PadLeft(const QString& text, const QString& pattern) {
    if (text.size() >= pattern.size())
        return text;
    return QString(pattern.size() - text.size(), u' ') + text;
}

} // namespace

Fixed4 ParseAmount(const QString& text) {
    QString s;
    s.reserve(text.size());
    for (QChar c : text)
        s.append(QChar(Narrow(c.unicode())));

    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && IsSkippable(s.at(begin)))
        ++begin;
    while (end > begin && IsSkippable(s.at(end - 1)))
        --end;

    bool negative = false;
    if (begin < end && (s.at(begin) == u'-' || s.at(begin) == u'+')) {
        negative = s.at(begin) == u'-';
        ++begin;
    }
    if (begin < end && IsYenSign(s.at(begin).unicode()))
        ++begin;
    // Blanks may stand between the sign or yen sign and the digits.
    while (begin < end && IsSkippable(s.at(begin)))
        ++begin;

    using Wide = __int128;
    constexpr Wide kLimit = static_cast<Wide>(std::numeric_limits<std::int64_t>::max()) + 1;
    Wide raw = 0;
    int intDigits = 0;
    int fracDigits = 0;
    bool inFraction = false;
    bool roundUp = false;
    for (qsizetype i = begin; i < end; ++i) {
        const char16_t c = s.at(i).unicode();
        if (c >= u'0' && c <= u'9') {
            const int d = c - u'0';
            if (!inFraction) {
                raw = raw * 10 + d;
                ++intDigits;
                if (raw * Fixed4::kScale > kLimit)
                    return Fixed4();
            } else if (fracDigits < 4) {
                raw = raw * 10 + d;
                ++fracDigits;
            } else {
                if (fracDigits == 4)
                    roundUp = d >= 5;
                ++fracDigits;
            }
        } else if (c == u',' && !inFraction && intDigits > 0) {
            // Grouping commas are accepted wherever they follow a digit of the
            // whole part, as the system's conversion does.
        } else if (c == u'.' && !inFraction) {
            inFraction = true;
        } else {
            return Fixed4();
        }
    }
    if (intDigits == 0 && fracDigits == 0)
        return Fixed4();
    for (int k = std::min(fracDigits, 4); k < 4; ++k)
        raw *= 10;
    if (roundUp)
        ++raw;
    if (negative)
        raw = -raw;
    if (raw > kLimit - 1 || raw < -kLimit)
        return Fixed4();
    return Fixed4::FromRaw(static_cast<std::int64_t>(raw));
}

QString FormatNumber(Fixed4 value, const QString& pattern) {
    const std::int64_t whole = value.RoundToWhole();
    const bool negative = whole < 0;
    // Negate in unsigned arithmetic so that the most negative value is safe.
    const std::uint64_t magnitude =
        negative ? ~static_cast<std::uint64_t>(whole) + 1 : static_cast<std::uint64_t>(whole);
    return ApplyPattern(QString::number(magnitude), negative, pattern);
}

QString FormatNumber(double value, const QString& pattern) {
    if (std::isnan(value))
        return ApplyPattern(QStringLiteral("0"), false, pattern);
    const double rounded = std::round(value); // half away from zero
    const bool negative = rounded < 0;
    if (std::isinf(rounded))
        return ApplyPattern(QStringLiteral("0"), false, pattern);
    return ApplyPattern(QString::number(std::fabs(rounded), 'f', 0), negative, pattern);
}

QString FormatRightAligned(Fixed4 value, const QString& pattern) {
    return PadLeft(FormatNumber(value, pattern), pattern);
}

QString FormatRightAligned(double value, const QString& pattern) {
    return PadLeft(FormatNumber(value, pattern), pattern);
}

} // namespace common
