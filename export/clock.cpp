#include "export/clock.h"

#include <ctime>

namespace vt {

namespace {

clock_reading system_now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    clock_reading r;
    if (localtime_r(&now, &local) == nullptr) return r;
    r.year = local.tm_year + 1900;
    r.month = local.tm_mon + 1;
    r.day = local.tm_mday;
    r.hour = local.tm_hour;
    r.minute = local.tm_min;
    return r;
}

clock_source g_source = nullptr;

}  // namespace

clock_reading export_clock_now() { return g_source != nullptr ? g_source() : system_now(); }

clock_source set_export_clock(clock_source source) noexcept {
    const clock_source old = g_source;
    g_source = source;
    return old;
}

}  // namespace vt
