// A publisher's check of a data section: what the readers tolerate but a
// table should not have. The cells are read leniently everywhere (a cell
// that is missing reads as 0, a surplus one is dropped, "abc" reads as 0
// and "12abc" as 12); this says where a file relies on that.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/infile.h"
#include "core/table.h"

namespace vt {

// Walks the data section that `in` stands at (right after "DATA=") of the
// table `t` (its keyword part read) and calls `report` once per problem,
// in file order, with a one-line description: a token that is no number
// and no data symbol, a number that is not finite, a key that names no
// value, fewer or more cells than the table declares. Returns the number
// of problems.
std::int64_t check_data_section(const table& t, in_file& in, const std::function<void(const std::string&)>& report);

}  // namespace vt
