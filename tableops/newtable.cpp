// Writing the table an operation has made.
#include "tableops/newtable.h"

#include <cstdint>

#include "core/cellfmt.h"
#include "core/codes.h"
#include "core/datasec.h"
#include "core/outfile.h"
#include "core/writer.h"
#include "platform/fsinfo.h"

namespace vt {

namespace {

// A new table is written in full form, never copying keyed input.
struct writer_scope {
    writer_settings saved = writer_state();
    writer_scope() {
        writer_state().requested_keys_mode = 0;
        writer_state().copy_keyed_verbatim = false;
    }
    ~writer_scope() { writer_state() = saved; }
};

}  // namespace

int open_source(const char* in_path, const char* out_path, in_file& in) {
    if (!in_path || !out_path) return codes::cannot_open;
    if (!in.open(in_path)) return codes::cannot_open;
    if (plat::same_file(in_path, out_path)) return codes::op_same_file;
    return 0;
}

int write_new_table(table& nt, const char* out_path, int secrecy) {
    out_file out;
    if (!out_path || !out.open(out_path)) return codes::cannot_open;
    writer_scope ws;
    msave(nt, out);
    std::int64_t cells = count_cells(nt.vars);
    const int drc = dsave(nullptr, out, nt, cells, 1, stored_decimals(nt), dsave_row_length(nt), secrecy, 0);
    // A table that could not be written whole is not left behind.
    if (drc != 0) return drc;
    return out.close() ? 0 : codes::data_input_ended;
}

}  // namespace vt
