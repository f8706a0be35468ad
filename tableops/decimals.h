// The decimals of a table: how many it stores (DECIMALS), how many it shows
// (SHOWDECIMALS) and how many single values show (PRECISION). The result
// is a new table file.
//
// The checks and changes work on a table in memory (the batch job and the
// host dialogue share them); chgdecweb is the batch job around them.
#pragma once

#include <string>
#include <string_view>

#include "core/table.h"

namespace vt {

// DECIMALS and SHOWDECIMALS both become `decimals`. codes::op_bad_decimals
// (the table unchanged) when it is below 0 or above 15, which no table
// file can state; else 0.
int set_decimals(table& t, int decimals);

// SHOWDECIMALS becomes `shown`, and DECIMALS rises to it when smaller.
// codes::op_bad_decimals (the table unchanged) when shown is below 0 or
// above 15, or above 6 while DECIMALS stays above it: a file shows more
// than 6 decimals only by showing all it stores. Else 0.
int set_shown_decimals(table& t, int shown);

// The PRECISION of one value as a list shows it: "0" (none) to "9".
std::string precision_text(const value& v);

// Reads a PRECISION back from its text: blanks around one digit 0..9.
// False for anything else (a table file holds one digit).
bool precision_from_text(std::string_view text, int& out) noexcept;

// The batch job: reads in_path, sets DECIMALS and SHOWDECIMALS to the
// number `decimals` gives (read as query numbers are, plat::decimal_to_int:
// 0 when it holds no digits) and writes the table with
// all its cells to out_path. Returns 0 (or the data writer's result), 400,
// the reader's code, 84 (out_path is in_path), 79 (no table file can
// hold that many decimals), 121, 200 or 201.
int chgdecweb(const char* in_path, const char* out_path, const char* decimals);

}  // namespace vt
