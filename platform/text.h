// Comparisons of names as this system makes them: function names, keywords,
// file endings and query keys match without regard to the case of ASCII
// letters. Texts are Windows-1252 bytes, and only A-Z fold: the upper half
// is compared as it stands, as the name tables always have done.
#pragma once

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

}  // namespace vt::plat
