// What every conversion starts with: the frame of core/guard.h, and the
// whole table read before the output is made.
#pragma once

#include <cstdint>
#include <string>

#include "core/datasec.h"
#include "core/guard.h"
#include "core/infile.h"
#include "core/reader.h"
#include "core/table.h"

namespace vt {

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
