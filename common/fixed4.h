#pragma once

#include <compare>
#include <cstdint>

namespace common {

// Signed fixed-point number with four decimal places: the stored integer is
// the value times 10,000. Sums are exact; a product is rounded to four places
// as soon as it is formed, half away from zero.
//
// Overflow never wraps and never gives a wrong number: a result that does not
// fit (or any result computed from an overflowed operand) carries a sticky
// overflow mark and the raw value 0. A whole calculation is written with the
// ordinary operators and checked once at its end with Overflowed().
class Fixed4 {
public:
    static constexpr std::int64_t kScale = 10000;

    constexpr Fixed4() = default;

    static constexpr Fixed4 FromRaw(std::int64_t raw) { return Fixed4(raw, false); }
    // A whole number; overflows beyond about 9.2 * 10^14.
    static Fixed4 FromInt(std::int64_t whole);
    // Rounds to four places, half away from zero; NaN, infinities and values
    // out of range give an overflowed result.
    static Fixed4 FromDouble(double value);
    static constexpr Fixed4 Overflow() { return Fixed4(0, true); }

    constexpr std::int64_t Raw() const { return raw_; }
    constexpr bool Overflowed() const { return overflow_; }
    double ToDouble() const { return static_cast<double>(raw_) / kScale; }
    // The value rounded to a whole number, half away from zero.
    std::int64_t RoundToWhole() const;

    friend Fixed4 operator+(Fixed4 a, Fixed4 b);
    friend Fixed4 operator-(Fixed4 a, Fixed4 b);
    friend Fixed4 operator*(Fixed4 a, Fixed4 b);
    Fixed4 operator-() const { return Fixed4() - *this; }
    Fixed4& operator+=(Fixed4 b) { return *this = *this + b; }
    Fixed4& operator-=(Fixed4 b) { return *this = *this - b; }

    // Comparisons look at the value only; check Overflowed() first where it
    // matters.
    friend constexpr bool operator==(Fixed4 a, Fixed4 b) { return a.raw_ == b.raw_; }
    friend constexpr auto operator<=>(Fixed4 a, Fixed4 b) { return a.raw_ <=> b.raw_; }

private:
    constexpr Fixed4(std::int64_t raw, bool overflow) : raw_(raw), overflow_(overflow) {}

    std::int64_t raw_ = 0;
    bool overflow_ = false;
};

} // namespace common
