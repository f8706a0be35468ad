// Fixed-point number formatting for the data section writer and the
// exports: the bytes C's printf("%.*f") gives, without its cost.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vt {

// The most decimals a table stores (DECIMALS=) and a number is written
// with: beyond 15 a double holds no more digits worth writing.
inline constexpr int max_decimals = 15;

// The most decimals a table may show with SHOWDECIMALS=: the
// reader flags more, and the cell formatter prints a cell asked to show
// more without decimals.
inline constexpr int max_shown_decimals = 6;

// The longest text format_fixed writes: a sign, the 309 integer digits of
// the largest double, the decimal point and the decimals. Callers writing
// straight into an output buffer reserve this much per number.
inline constexpr std::size_t format_fixed_max = 1 + 309 + 1 + max_decimals;

// Writes v with `decimals` digits after the point into out (no NUL) and
// returns the number of bytes written, at most format_fixed_max. The bytes
// equal what printf("%.*f", decimals, v) prints in the "C" locale under the
// default rounding mode: the exact binary value rounded half to even, a
// sign whenever the sign bit is set ("-0.00"), "inf", "-inf", "nan" and
// "-nan" for the special values. Decimals outside 0..15 are written as 6,
// the data writer's rule for a count it does not support.
std::size_t format_fixed(char* out, double v, int decimals) noexcept;

// The digits format_fixed writes for |v|, as one integer: |v| * 10^decimals
// rounded half to even on the exact binary value. True when v is finite,
// decimals is 0..15 and the result fits 64 bits; false (q untouched)
// otherwise. The cell formatter reads its ties and writes its numbers
// from it without printing twice.
bool scaled_digits(double v, int decimals, std::uint64_t& q) noexcept;

// Writes q / 10^decimals as format_fixed writes it (no sign): at least
// one integer digit, then `point` and the `decimals` last digits (no point
// for 0 decimals). `separator`, when not '\0', goes between groups of three
// integer digits. decimals must be 0..15. Returns the bytes written, at
// most 20 digits, 6 separators, the point and 15 decimals.
std::size_t put_scaled_digits(char* out, std::uint64_t q, int decimals, char point = '.',
                              char separator = '\0') noexcept;

// 10^n for n in 0..19.
std::uint64_t power_of_ten(int n) noexcept;

}  // namespace vt
