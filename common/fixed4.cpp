#include "common/fixed4.h"

#include <cmath>
#include <limits>

namespace common {

namespace {

using Wide = __int128;

constexpr Wide kMax = std::numeric_limits<std::int64_t>::max();
constexpr Wide kMin = std::numeric_limits<std::int64_t>::min();

bool Fits(Wide v) {
    return v >= kMin && v <= kMax;
}

// Divides by the scale and rounds half away from zero.
Wide DivideRounded(Wide v, Wide divisor) {
    Wide q = v / divisor;
    const Wide r = v % divisor;
    const Wide twice = (r < 0 ? -r : r) * 2;
    if (twice >= divisor)
        q += (v < 0) ? -1 : 1;
    return q;
}

} // namespace

Fixed4 Fixed4::FromInt(std::int64_t whole) {
    const Wide raw = static_cast<Wide>(whole) * kScale;
    return Fits(raw) ? FromRaw(static_cast<std::int64_t>(raw)) : Overflow();
}

Fixed4 Fixed4::FromDouble(double value) {
    if (!std::isfinite(value))
        return Overflow();
    const double scaled = std::round(value * static_cast<double>(kScale));
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    constexpr double kLimit = 9223372036854775808.0;
    if (scaled >= kLimit || scaled < -kLimit)
        return Overflow();
    return FromRaw(static_cast<std::int64_t>(scaled));
}

std::int64_t Fixed4::RoundToWhole() const {
    return static_cast<std::int64_t>(DivideRounded(raw_, kScale));
}

Fixed4 operator+(Fixed4 a, Fixed4 b) {
    if (a.overflow_ || b.overflow_)
        return Fixed4::Overflow();
    const Wide sum = static_cast<Wide>(a.raw_) + b.raw_;
    return Fits(sum) ? Fixed4::FromRaw(static_cast<std::int64_t>(sum)) : Fixed4::Overflow();
}

Fixed4 operator-(Fixed4 a, Fixed4 b) {
    if (a.overflow_ || b.overflow_)
        return Fixed4::Overflow();
    const Wide diff = static_cast<Wide>(a.raw_) - b.raw_;
    return Fits(diff) ? Fixed4::FromRaw(static_cast<std::int64_t>(diff)) : Fixed4::Overflow();
}

Fixed4 operator*(Fixed4 a, Fixed4 b) {
    if (a.overflow_ || b.overflow_)
        return Fixed4::Overflow();
    // The product of two 64-bit raws always fits 128 bits.
    const Wide product = static_cast<Wide>(a.raw_) * b.raw_;
    const Wide raw = DivideRounded(product, Fixed4::kScale);
    return Fits(raw) ? Fixed4::FromRaw(static_cast<std::int64_t>(raw)) : Fixed4::Overflow();
}

} // namespace common
