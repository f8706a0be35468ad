// Keeps C++ exceptions inside a boundary: every export, every operation
// and every conversion whose body can throw runs it through guard(), which
// turns an exception into the result code a caller understands, so nothing
// ever unwinds into a host application or out of main.
#pragma once

#include <new>
#include <stdexcept>
#include <utility>

#include "core/codes.h"
#include "platform/message.h"

namespace vt {

// Runs fn (returning something convertible to int) and returns its result;
// `no_memory` when memory ran out (a request too large to make counts as
// that too), `internal` for any other exception.
template <class F>
int guard(F&& fn, int no_memory = codes::no_memory, int internal = codes::internal_fault) noexcept {
    try {
        return static_cast<int>(std::forward<F>(fn)());
    } catch (const std::bad_alloc&) {
        return no_memory;
    } catch (const std::length_error&) {
        return no_memory;
    } catch (...) {
        return internal;
    }
}

// The same for routines that return something other than a result code (a
// count, a pointer): any exception gives `on_failure`.
template <class R, class F>
R guard_value(F&& fn, R on_failure) noexcept {
    try {
        return static_cast<R>(std::forward<F>(fn)());
    } catch (...) {
        return on_failure;
    }
}

// guard() with the routine's start and end traced under its name.
template <class F>
int run_traced(const char* name, int no_memory, int internal, F&& body) noexcept {
    plat::trace(name, "start");
    const int rc = guard(std::forward<F>(body), no_memory, internal);
    plat::trace(name, "slut");
    return rc;
}

}  // namespace vt
