// The frame every conversion runs in: its start and end traced under its
// name, and any exception turned into a result code, so none leaves an
// export (memory running out is the conversion's own no-memory code).
#pragma once

#include <new>
#include <stdexcept>

#include "platform/message.h"

namespace vt {

template <class F>
int run_traced(const char* name, int no_memory, int internal_fault, F&& body) noexcept {
    plat::trace(name, "start");
    int rc = internal_fault;
    try {
        rc = body();
    } catch (const std::bad_alloc&) {
        rc = no_memory;
    } catch (const std::length_error&) {
        rc = no_memory;
    } catch (...) {
        rc = internal_fault;
    }
    plat::trace(name, "slut");
    return rc;
}

}  // namespace vt
