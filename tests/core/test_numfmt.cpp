// Fixed-point formatting: every result must equal the C library's
// printf("%.*f") byte for byte.
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "core/numfmt.h"

namespace {

std::string ours(double v, int d) {
    char buf[vt::format_fixed_max + 8];
    std::memset(buf, 'X', sizeof buf);
    std::size_t n = vt::format_fixed(buf, v, d);
    EXPECT_LE(n, vt::format_fixed_max);
    EXPECT_EQ(buf[n], 'X') << "wrote past the length it returned";
    return std::string(buf, n);
}

std::string libc(double v, int d) {
    char buf[512];
    int n = std::snprintf(buf, sizeof buf, "%.*f", d, v);
    return std::string(buf, static_cast<std::size_t>(n));
}

// Compares one value at every supported count of decimals, with both signs.
void check_all_decimals(double v) {
    for (int d = 0; d <= 15; ++d) {
        ASSERT_EQ(ours(v, d), libc(v, d)) << "value " << std::hexfloat << v << " decimals " << d;
        ASSERT_EQ(ours(-v, d), libc(-v, d)) << "value " << std::hexfloat << -v << " decimals " << d;
    }
}

TEST(NumFmt, TiesAreDecidedOnTheExactBinaryValue) {
    // Decimal ties that are not ties in binary, true binary ties (0.125,
    // 2.5, 0.5) that round to even, and their neighbours one step away.
    for (double v : {0.5, 1.5, 2.5, 0.125, 0.375, 2.675, 1.005, 1.015, 1.025, 1.045, 0.045, 8.345, 1234.565,
                     999.995, 9.995, 0.0005, 0.05, 4.35, 1e-5, 5e-16, 1.25e-15, 0.9999999999999999}) {
        check_all_decimals(v);
        check_all_decimals(std::nextafter(v, 0.0));
        check_all_decimals(std::nextafter(v, 10.0));
    }
    EXPECT_EQ(ours(0.125, 2), "0.12");
    EXPECT_EQ(ours(0.375, 2), "0.38");
    EXPECT_EQ(ours(2.675, 2), "2.67");  // 2.67499999... in binary
    EXPECT_EQ(ours(2.5, 0), "2");
    EXPECT_EQ(ours(3.5, 0), "4");
}

TEST(NumFmt, ZeroSignsAndSpecialValues) {
    EXPECT_EQ(ours(0.0, 2), "0.00");
    EXPECT_EQ(ours(-0.0, 2), "-0.00");
    EXPECT_EQ(ours(-0.0, 0), "-0");
    EXPECT_EQ(ours(-0.001, 2), "-0.00");
    for (double v : {0.0, std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN(),
                     std::numeric_limits<double>::denorm_min(), DBL_MIN, std::nextafter(DBL_MIN, 0.0)})
        check_all_decimals(v);
    EXPECT_EQ(ours(-std::numeric_limits<double>::infinity(), 3), "-inf");
}

TEST(NumFmt, LargeValuesPrintTheirExactDigits) {
    for (double v : {1e15, 9007199254740991.0, 9007199254740992.0, 9007199254740993.0, 1.8446744073709552e19,
                     3.6893488147419103e19, 1e19, 1.05e19, 1e22, 1e23, 1e25, 1e100, 1e300, DBL_MAX, 123456789.123,
                     4503599627370495.5, 2251799813685247.75})
        check_all_decimals(v);
    // The longest text there is: the bound callers reserve.
    EXPECT_EQ(ours(-DBL_MAX, 15).size(), vt::format_fixed_max);
}

TEST(NumFmt, EveryBinaryExponentAgreesWithPrintf) {
    // Mantissas with awkward bit patterns at every exponent from the
    // denormals to the top, so every shift width of the exact path and
    // the hand-over to the large-value path are crossed.
    std::mt19937_64 rng(20261209);
    for (int biased = 0; biased < 0x7FF; biased += 1) {
        for (int i = 0; i < 3; ++i) {
            std::uint64_t frac = i == 0 ? 0 : (i == 1 ? (std::uint64_t{1} << 52) - 1 : rng() >> 12);
            double v = std::bit_cast<double>((static_cast<std::uint64_t>(biased) << 52) | frac);
            int d = static_cast<int>(rng() % 16);
            ASSERT_EQ(ours(v, d), libc(v, d)) << std::hexfloat << v << " decimals " << d;
        }
    }
}

TEST(NumFmt, RandomValuesAgreeWithPrintf) {
    std::mt19937_64 rng(42);
    std::uniform_real_distribution<double> small(-1e6, 1e6);
    for (int i = 0; i < 200000; ++i) {
        double v;
        switch (i % 4) {
        case 0: v = std::bit_cast<double>(rng()); break;           // any bit pattern
        case 1: v = small(rng); break;                             // typical table values
        case 2: v = std::round(small(rng) * 1000) / 1000; break;  // values with few decimals
        default: v = static_cast<double>(static_cast<std::int64_t>(rng() >> 11)) / 1024.0; break;
        }
        int d = static_cast<int>(rng() % 16);
        ASSERT_EQ(ours(v, d), libc(v, d)) << std::hexfloat << v << " decimals " << d;
    }
}

TEST(NumFmt, FewDecimalsNearTiesAndTheSixtyFourBitEdge) {
    // The integer way takes values whose digits fit 64 bits: near ties
    // x.xx5 at every count of decimals, and values around 2^64 / 10^d
    // where it hands over to the general way.
    std::mt19937_64 rng(5);
    for (int d = 0; d <= 15; ++d) {
        const double scale = std::pow(10.0, d + 1);
        const double edge = 18446744073709551616.0 / std::pow(10.0, d);
        for (int j = 0; j < 300; ++j) {
            const double tie = (static_cast<double>(rng() % (j < 150 ? 1000 : 100000000)) * 10 + 5) / scale;
            const double near_edge = edge * (1 + (static_cast<double>(j) - 150) * 1e-16);
            for (double v : {tie, std::nextafter(tie, 0.0), std::nextafter(tie, 1e300), near_edge}) {
                ASSERT_EQ(ours(v, d), libc(v, d)) << std::hexfloat << v << " decimals " << d;
                ASSERT_EQ(ours(-v, d), libc(-v, d)) << std::hexfloat << -v << " decimals " << d;
            }
        }
    }
}

TEST(NumFmt, ScaledDigitsAndTheirText) {
    std::uint64_t q = 7;
    for (const auto& [v, d] : {std::pair{std::numeric_limits<double>::infinity(), 2},
                               {std::numeric_limits<double>::quiet_NaN(), 0},
                               {1.5, 16},
                               {1.5, -1},
                               {18446744073709551616.0, 0},
                               {1.8446744073709552e17, 2}})
        EXPECT_FALSE(vt::scaled_digits(v, d, q)) << v << " " << d;
    EXPECT_EQ(q, 7U);
    EXPECT_TRUE(vt::scaled_digits(-2.675, 2, q));
    EXPECT_EQ(q, 267U);  // 2.67499999... in binary
    EXPECT_TRUE(vt::scaled_digits(18446744073709549568.0, 0, q));
    EXPECT_EQ(q, 18446744073709549568ULL);

    const struct {
        std::uint64_t q;
        int d;
        char point, separator;
        const char* text;
    } cases[] = {{1234567, 2, ',', ' ', "12 345,67"},  {5, 3, '.', ',', "0.005"},       {999, 0, '.', ',', "999"},
                 {1000, 0, '.', ',', "1,000"},        {0, 0, '.', '\0', "0"},          {0, 15, '.', ' ', "0.000000000000000"},
                 {123456, 3, '.', '.', "123.456"},    {1234567890, 1, '.', '\0', "123456789.0"},
                 {UINT64_MAX, 15, '.', ' ', "18 446.744073709551615"},
                 {UINT64_MAX, 0, ',', ' ', "18 446 744 073 709 551 615"}};
    for (const auto& c : cases) {
        char buf[64];
        EXPECT_EQ(std::string(buf, vt::put_scaled_digits(buf, c.q, c.d, c.point, c.separator)), c.text);
    }
}

TEST(NumFmt, UnsupportedDecimalsWriteSix) {
    EXPECT_EQ(ours(1.5, 16), "1.500000");
    EXPECT_EQ(ours(-2.25, -1), "-2.250000");
    EXPECT_EQ(ours(1e300, 99), libc(1e300, 6));
}

}  // namespace
