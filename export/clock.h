// The local date and time the exports stamp into their outputs, taken
// through one settable source so that tests can pin it and compare whole
// outputs.
#pragma once

namespace vt {

struct clock_reading {
    int year = 1970;  // four digits
    int month = 1;    // 1..12
    int day = 1;      // 1..31
    int hour = 0;     // 0..23
    int minute = 0;   // 0..59
};

using clock_source = clock_reading (*)();

// The current local date and time from the installed source (the system
// clock unless a test installed another).
clock_reading export_clock_now();

// Installs `source` (nullptr: the system clock again) and returns the one
// it replaces.
clock_source set_export_clock(clock_source source) noexcept;

}  // namespace vt
