// How cells are coded in memory. A cell is a double; the data symbols of
// the file are stored as fixed sentinel values: the dot symbols "." to
// "......." as -1e19 .. -1e25 and the dash "-" (a true nil) as a tiny
// positive number that is not zero. Consumers test ranges, not exact
// values, because operations compute with the sentinels.
#pragma once

#include <bit>
#include <cstdint>

namespace vt {

inline constexpr std::uint64_t nil_bits = 0x3A88C240C4AECB13ULL;
// The dash: 9.999999999999999e-27, one step below the double nearest 1e-26.
inline constexpr double nil_value = std::bit_cast<double>(nil_bits);

// The stored values of the dot symbols: dot_values[n-1] for n dots.
inline constexpr double dot_values[7] = {-1e19, -1e20, -1e21, -1e22, -1e23, -1e24, -1e25};

inline bool is_nil(double x) noexcept { return std::bit_cast<std::uint64_t>(x) == nil_bits; }

// The quoted token the data section writer uses for x (with its quotes),
// or nullptr when x is written as a number. A value in (-1.1e(18+n),
// -9e(17+n)] is the n-dot symbol; a value in (0, 1e-24) is the dash.
inline const char* data_symbol_token(double x) noexcept {
    static constexpr const char* tokens[7] = {"\".\"",     "\"..\"",     "\"...\"",  "\"....\"",
                                              "\".....\"", "\"......\"", "\".......\""};
    if (x > 0) return x < 1e-24 ? "\"-\"" : nullptr;
    if (x > -9e18) return nullptr;
    static constexpr double lo[7] = {-1.1e19, -1.1e20, -1.1e21, -1.1e22, -1.1e23, -1.1e24, -1.1e25};
    static constexpr double hi[7] = {-9e18, -9e19, -9e20, -9e21, -9e22, -9e23, -9e24};
    for (int n = 0; n < 7; ++n)
        if (x > lo[n] && x <= hi[n]) return tokens[n];
    return nullptr;
}

}  // namespace vt
