// The frame every conversion runs in: its start and end traced under its
// name, and any exception turned into a result code, so none leaves an
// export (memory running out is the conversion's own no-memory code).
#pragma once

#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>

#include "core/datasec.h"
#include "core/infile.h"
#include "core/reader.h"
#include "core/table.h"
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

// Reads the whole table, keywords and cells, and closes the input before
// the caller creates its output, so an output that replaces its own input
// still gets every cell. 0; `cannot_open` for an empty path or a file that
// cannot be opened; the reader's or the data reader's code; 201 when the
// cells are not all there.
inline int load_whole_table(const std::string& path, table& t, int cannot_open) {
    in_file in;
    if (path.empty() || !in.open(path)) return cannot_open;
    if (const int rc = metain(in, t); rc != 0) return rc;
    if (const int rc = read_data(t, in); rc != 0) return rc;
    if (t.data() == nullptr || static_cast<std::int64_t>(t.data_handle.size()) < count_cells(t.vars))
        return data_no_block;
    return 0;
}

}  // namespace vt
