#pragma once

#include <QString>

#include "common/fixed4.h"

namespace common {

// Converts an entered amount to Fixed4. Accepted: surrounding blanks and
// whitespace, one leading sign, an optional yen sign, digits with
// digit-grouping commas, one decimal point. Full-width digits, comma, period
// and minus (as typed with a Japanese input method) count like their
// half-width forms. More than four decimals are rounded half away from zero.
// A text that does not convert (empty, letters, out of range) gives 0.
Fixed4 ParseAmount(const QString& text);

// Formats a value with one of the suite's whole-number patterns: "#,##0",
// "###,##0", "##,##0", "##,###", "#0", "##0", "0000". The value is rounded to
// a whole number, half away from zero; the count of '0' placeholders is the
// least number of digits (so "##,###" shows 0 as an empty text) and a comma
// anywhere in the pattern groups the digits by three.
QString FormatNumber(Fixed4 value, const QString& pattern);
QString FormatNumber(double value, const QString& pattern);

// FormatNumber, padded on the left with half-width spaces to the length of
// the pattern; a longer text is returned whole.
QString FormatRightAligned(Fixed4 value, const QString& pattern);
QString FormatRightAligned(double value, const QString& pattern);

} // namespace common
