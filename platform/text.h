// Comparisons of names as this system makes them: function names, keywords,
// file endings and query keys match without regard to the case of ASCII
// letters. Texts are Windows-1252 bytes, and only A-Z fold: the upper half
// is compared as it stands, as the name tables always have done.
#pragma once

#include <climits>
#include <string>
#include <string_view>

namespace vt::plat {

constexpr char lower_ascii(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// `s` with A-Z folded to a-z.
inline std::string lower_ascii(std::string s) {
    for (char& c : s) c = lower_ascii(c);
    return s;
}

constexpr bool equal_nocase(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower_ascii(a[i]) != lower_ascii(b[i])) return false;
    return true;
}

constexpr bool ends_with_nocase(std::string_view s, std::string_view tail) noexcept {
    return s.size() >= tail.size() && equal_nocase(s.substr(s.size() - tail.size()), tail);
}

// Names a user types (the stand-in for a variable without a name) match
// the way the host's own controls compare text: besides A-Z, the accented
// capitals 0xC0-0xDE fold to their small letters 0xE0-0xFE. The
// multiplication sign 0xD7 is no letter and stays.
constexpr char fold_1252(char c) noexcept {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return static_cast<char>(u + 0x20);
    return lower_ascii(c);
}

constexpr bool equal_nocase_1252(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold_1252(a[i]) != fold_1252(b[i])) return false;
    return true;
}

// Whole numbers in query values and host texts: optional blanks and sign,
// then decimal digits up to the first other byte ("12abc" is 12, "x" is 0).
// Values beyond the int range are clamped.
constexpr int decimal_to_int(std::string_view text) noexcept {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    return static_cast<int>(value);
}

}  // namespace vt::plat
