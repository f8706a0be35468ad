// A table's keyword part as stable, readable text: every field that is not
// at its "not given" value, strings quoted with every byte outside
// printable ASCII as \xHH. The inspection tool prints it, and tests compare
// two tables by comparing their descriptions.
#pragma once

#include <cstdio>
#include <string>

#include "core/table.h"

namespace vt {

void describe_table(std::FILE* out, const table& t);
std::string describe_table(const table& t);

}  // namespace vt
