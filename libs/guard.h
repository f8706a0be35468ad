// Keeps C++ exceptions inside the libraries: every export whose body can
// throw runs it through guard(), which turns an exception into a result
// code the host understands.
#pragma once

#include <new>
#include <utility>

namespace vt::exports {

// Result codes for failures no routine reports by itself.
inline constexpr int code_no_memory = 200;     // memory ran out
inline constexpr int code_unexpected = 999;    // any other exception: an internal fault

// Runs fn (returning something convertible to int) and returns its result;
// code_on_bad_alloc when memory ran out, code_on_other for any other
// exception.
template <class F>
int guard(F&& fn, int code_on_bad_alloc = code_no_memory, int code_on_other = code_unexpected) noexcept {
    try {
        return static_cast<int>(std::forward<F>(fn)());
    } catch (const std::bad_alloc&) {
        return code_on_bad_alloc;
    } catch (...) {
        return code_on_other;
    }
}

// The same for exports that return something other than a result code
// (a count, a pointer): any exception gives `on_failure`.
template <class R, class F>
R guard_value(F&& fn, R on_failure) noexcept {
    try {
        return static_cast<R>(std::forward<F>(fn)());
    } catch (...) {
        return on_failure;
    }
}

}  // namespace vt::exports
