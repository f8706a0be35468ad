// Time value lists (TIMEVAL): the codes of a range, the value texts the
// codes stand for, and the check that a list fits a variable's values.
#include "core/timeval.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>

namespace vt {

bool timeval_range(const std::string& scale, const std::string& first, const std::string& last,
                   std::vector<timeval_entry>& list) {
    const std::size_t len = scale == "A1" ? 4 : (scale == "H1" || scale == "Q1") ? 5 : 6;
    auto numeric = [&](const std::string& s) {
        return s.size() == len && std::all_of(s.begin(), s.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
    };
    if (!numeric(first) || !numeric(last) || first > last) return false;
    const int top = scale == "H1" ? 2 : scale == "Q1" ? 4 : scale == "M1" ? 12 : 52;
    int year = std::stoi(first.substr(0, 4));
    int period = len == 4 ? 0 : std::stoi(first.substr(4));
    if (len != 4 && (period < 1 || period > top)) return false;
    for (;;) {
        std::string code = std::to_string(year);
        code.insert(0, 4 - std::min<std::size_t>(4, code.size()), '0');
        if (len == 5) code += static_cast<char>('0' + period);
        if (len == 6) {
            code += static_cast<char>('0' + period / 10);
            code += static_cast<char>('0' + period % 10);
        }
        if (code.size() != len || code > last) return false;
        list.push_back({scale, code});
        if (code == last) return true;
        if (len == 4 || period == top) {
            ++year;
            period = 1;
        } else {
            ++period;
        }
    }
}

std::string timeval_text(const std::string& scale, const std::string& code) {
    if (scale == "A1" || code.size() < 4) return code;
    char mark = scale.empty() ? ' ' : scale[0];
    return code.substr(0, 4) + mark + code.substr(4);
}

bool timeval_valid(const variable& v, const std::vector<timeval_entry>& list) {
    if (list.empty() || list.size() != v.values.size()) return false;
    const std::string& scale = list.front().scale;
    std::size_t len;
    int top;
    if (scale == "A1") { len = 4; top = 0; }
    else if (scale == "H1") { len = 5; top = 2; }
    else if (scale == "Q1") { len = 5; top = 4; }
    else if (scale == "M1") { len = 6; top = 12; }
    else if (scale == "W1") { len = 6; top = 52; }
    else return false;

    std::unordered_set<std::string_view> texts;
    if (len == 4)
        for (const value& val : v.values) texts.insert(val.text);
    int prev_year = 0, prev_period = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string& code = list[i].code;
        if (list[i].scale != scale || code.size() != len) return false;
        if (!std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return false;
        int year = std::stoi(code.substr(0, 4));
        int period = len == 4 ? 0 : std::stoi(code.substr(4));
        if (len != 4 && (period < 1 || period > top)) return false;
        if (len == 4) {
            if (!texts.count(code)) return false;
            if (i > 0 && year != prev_year + 1) return false;
        } else {
            std::string text = v.values[i].text;
            if (text.size() > 5) text.erase(4, 1);
            if (text != code) return false;
            if (i > 0) {
                bool next = (period == prev_period + 1 && year == prev_year) ||
                            (prev_period == top && period == 1 && year == prev_year + 1);
                if (!next) return false;
            }
        }
        prev_year = year;
        prev_period = period;
    }
    return true;
}

}  // namespace vt
