// The batch functions: one table from function names to their routines,
// shared by the INI and the XML query.
#pragma once

#include <span>
#include <string_view>

#include "batch/job.h"

namespace vt::batch {

// A routine runs one job and returns the function's result: 0 or a negative
// value for success, a positive error code otherwise. It reads only the
// fields of the job its function uses.
using routine = int (*)(const job&);

struct function_entry {
    const char* name;  // compared without regard to case
    routine run;       // nullptr while the function has no routine yet
};

// Every function name of both query forms, in the order of the README
// list. The XML names ("selection", "XMLC1", "filecalculation", ...) are
// rows of their own that share the routine of their INI counterpart.
std::span<const function_entry> functions() noexcept;

// The routine of `name` (any case); nullptr when the name is unknown or its
// routine is not available yet. Either way the job then runs nothing.
routine find_routine(std::string_view name) noexcept;

// True when `name` is a function of either query form (with or without a
// routine).
bool known_function(std::string_view name) noexcept;

}  // namespace vt::batch
