// Time value lists (TIMEVAL): validation and text forms of period codes.
#pragma once

#include <string>
#include <vector>

#include "core/table.h"

namespace vt {

// True when the list fits the variable's values: one entry per value, all
// of one known scale, the codes well formed and consecutive, and each code
// matching its value text (see the reader for the exact rules).
bool timeval_valid(const variable& v, const std::vector<timeval_entry>& list);

// The codes from `first` to `last` of a scale ("A1", "H1", "Q1", "M1",
// "W1"), appended to list: years count up by one, and periods up to the
// scale's last (2, 4, 12 or 52) before the next year's first. False when
// either end is not a code of the scale or last comes before first.
bool timeval_range(const std::string& scale, const std::string& first, const std::string& last,
                   std::vector<timeval_entry>& list);

// The value text a period code stands for: "1994" for A1, "1994Q1" for the
// Q1 code "19941", "1994M01" for the M1 code "199401".
std::string timeval_text(const std::string& scale, const std::string& code);

}  // namespace vt
