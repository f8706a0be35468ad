// Fixed-point number formatting: printf("%.*f") results computed exactly
// with integer arithmetic.
//
// The cell formatter asks for the rounded digits as one integer
// (scaled_digits): nearly every table value times 10^d (d the decimals)
// rounds to an integer below 2^64, found with one 64-bit shift and mask.
//
// A finite double is m * 2^e with an integer m < 2^53. For e < 0 the value
// times 10^d is m * 10^d / 2^-e; m * 10^d is below 2^103 for d <= 15, so it
// fits a 128-bit integer, and the division by 2^-e is a shift whose
// remainder tells exactly whether the value lies below, on or above the
// halfway point. That is the rounding printf does on the exact binary
// value (half to even), with no floating-point error anywhere. For e >= 0
// the value is an integer; one that fits 64 bits is printed directly,
// anything larger (above 2^64, rare in tables) goes to std::to_chars,
// which also prints the exact decimal expansion.
#include "core/numfmt.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace vt {

namespace {

using u128 = unsigned __int128;

constexpr std::uint64_t pow10_u64[20] = {1ULL,
                                         10ULL,
                                         100ULL,
                                         1000ULL,
                                         10000ULL,
                                         100000ULL,
                                         1000000ULL,
                                         10000000ULL,
                                         100000000ULL,
                                         1000000000ULL,
                                         10000000000ULL,
                                         100000000000ULL,
                                         1000000000000ULL,
                                         10000000000000ULL,
                                         100000000000000ULL,
                                         1000000000000000ULL,
                                         10000000000000000ULL,
                                         100000000000000000ULL,
                                         1000000000000000000ULL,
                                         10000000000000000000ULL};

constexpr char digit_pairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the decimal digits of q so that they end at `end`; returns where
// they begin.
char* u64_digits(char* end, std::uint64_t q) noexcept {
    while (q >= 100) {
        std::uint64_t r = q % 100;
        q /= 100;
        end -= 2;
        std::memcpy(end, digit_pairs + 2 * r, 2);
    }
    if (q >= 10) {
        end -= 2;
        std::memcpy(end, digit_pairs + 2 * q, 2);
    } else {
        *--end = static_cast<char>('0' + q);
    }
    return end;
}

// As u64_digits for a 128-bit q (below 2^103 here).
char* u128_digits(char* end, u128 q) noexcept {
    if (q <= UINT64_MAX) return u64_digits(end, static_cast<std::uint64_t>(q));
    const std::uint64_t lo = static_cast<std::uint64_t>(q % pow10_u64[19]);
    const std::uint64_t hi = static_cast<std::uint64_t>(q / pow10_u64[19]);
    char* s = u64_digits(end, lo);
    while (end - s < 19) *--s = '0';
    return u64_digits(s, hi);
}

// m * 2^e * 10^d rounded half to even, when it fits 64 bits. Most table
// values take the first branch: with few decimals m * 10^d stays below
// 2^64, and a 64-bit shift and mask decide the rounding exactly.
bool scaled64(std::uint64_t m, int e, int d, std::uint64_t& q) noexcept {
    if (e >= 0) {
        if (e > 11) return false;
        std::uint64_t r = 0;
        if (__builtin_mul_overflow(m << e, pow10_u64[d], &r)) return false;
        q = r;
        return true;
    }
    const int k = -e;
    const u128 scaled = static_cast<u128>(m) * pow10_u64[d];
    if (k <= 63 && (scaled >> 64) == 0) {
        const auto s = static_cast<std::uint64_t>(scaled);
        std::uint64_t r = s >> k;
        const std::uint64_t rem = s & ((std::uint64_t{1} << k) - 1);
        const std::uint64_t half = std::uint64_t{1} << (k - 1);
        if (rem > half || (rem == half && (r & 1) != 0)) ++r;
        q = r;
        return true;
    }
    if (k > 104) {  // below one half: 0
        q = 0;
        return true;
    }
    u128 r = scaled >> k;
    const u128 rem = scaled - (r << k);
    const u128 half = static_cast<u128>(1) << (k - 1);
    if (rem > half || (rem == half && (r & 1) != 0)) ++r;
    if (r > UINT64_MAX) return false;
    q = static_cast<std::uint64_t>(r);
    return true;
}

// Writes q / 10^d: at least one integer digit, then "." and d decimals
// (no point for d = 0).
std::size_t put_scaled(char* out, u128 q, int d) noexcept {
    char tmp[48];
    char* end = tmp + sizeof tmp;
    char* s = u128_digits(end, q);
    while (end - s < d + 1) *--s = '0';
    const std::size_t n = static_cast<std::size_t>(end - s);
    const std::size_t int_digits = n - static_cast<std::size_t>(d);
    std::memcpy(out, s, int_digits);
    if (d == 0) return int_digits;
    out[int_digits] = '.';
    std::memcpy(out + int_digits + 1, s + int_digits, static_cast<std::size_t>(d));
    return n + 1;
}

}  // namespace

std::uint64_t power_of_ten(int n) noexcept { return pow10_u64[n]; }

bool scaled_digits(double v, int decimals, std::uint64_t& q) noexcept {
    if (decimals < 0 || decimals > max_decimals) return false;
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    if (biased == 0x7FF) return false;
    const std::uint64_t m = biased == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
    return scaled64(m, biased == 0 ? -1074 : biased - 1075, decimals, q);
}

std::size_t put_scaled_digits(char* out, std::uint64_t q, int decimals, char point, char separator) noexcept {
    char tmp[24];
    char* const end = tmp + sizeof tmp;
    char* s = u64_digits(end, q);
    while (end - s < decimals + 1) *--s = '0';
    const auto n = static_cast<std::size_t>(end - s);
    const std::size_t whole = n - static_cast<std::size_t>(decimals);
    char* p = out;
    if (separator == '\0' || whole <= 3) {
        std::memcpy(p, s, whole);
        p += whole;
    } else {
        const std::size_t lead = (whole - 1) % 3 + 1;
        std::memcpy(p, s, lead);
        p += lead;
        for (std::size_t i = lead; i < whole; i += 3) {
            *p++ = separator;
            std::memcpy(p, s + i, 3);
            p += 3;
        }
    }
    if (decimals == 0) return static_cast<std::size_t>(p - out);
    *p++ = point;
    std::memcpy(p, s + whole, static_cast<std::size_t>(decimals));
    return static_cast<std::size_t>(p - out) + static_cast<std::size_t>(decimals);
}

std::size_t format_fixed(char* out, double v, int decimals) noexcept {
    const int d = decimals >= 0 && decimals <= max_decimals ? decimals : 6;
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
    const bool negative = (bits >> 63) != 0;
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);

    char* p = out;
    if (negative) *p++ = '-';
    if (biased == 0x7FF) {
        std::memcpy(p, fraction == 0 ? "inf" : "nan", 3);
        return static_cast<std::size_t>(p - out) + 3;
    }

    std::uint64_t m = biased == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
    const int e = biased == 0 ? -1074 : biased - 1075;


    if (e >= 0) {
        if (e <= 11) {
            // An integer below 2^64: its digits, then the zero decimals.
            char tmp[24];
            char* end = tmp + sizeof tmp;
            char* s = u64_digits(end, m << e);
            const auto n = static_cast<std::size_t>(end - s);
            std::memcpy(p, s, n);
            p += n;
            if (d > 0) {
                *p++ = '.';
                std::memset(p, '0', static_cast<std::size_t>(d));
                p += d;
            }
            return static_cast<std::size_t>(p - out);
        }
        const double magnitude = std::bit_cast<double>(bits & ~(std::uint64_t{1} << 63));
        auto r = std::to_chars(p, out + format_fixed_max, magnitude, std::chars_format::fixed, d);
        return static_cast<std::size_t>(r.ptr - out);
    }

    // value * 10^d = m * 10^d / 2^k, rounded half to even on the exact
    // remainder. Past k = 104 the quotient is below one half: 0.
    const int k = -e;
    const u128 scaled = static_cast<u128>(m) * pow10_u64[d];
    u128 q = 0;
    if (k <= 104) {
        q = scaled >> k;
        const u128 rem = scaled - (q << k);
        const u128 half = static_cast<u128>(1) << (k - 1);
        if (rem > half || (rem == half && (q & 1) != 0)) ++q;
    }
    return static_cast<std::size_t>(p - out) + put_scaled(p, q, d);
}

}  // namespace vt
