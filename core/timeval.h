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

// The value text a period code stands for: "1994" for A1, "1994Q1" for the
// Q1 code "19941", "1994M01" for the M1 code "199401".
std::string timeval_text(const std::string& scale, const std::string& code);

}  // namespace vt
