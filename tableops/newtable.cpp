// Writing the table an operation has made.
#include "tableops/newtable.h"

#include <cstdint>

#include "core/cellfmt.h"
#include "core/codes.h"
#include "core/datasec.h"
#include "core/outfile.h"
#include "core/writer.h"

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

// The data writer takes the length of a row (the cells of one stub
// combination) as an int; a longer row is passed on as this.
constexpr std::int64_t longest_row = std::int64_t{1} << 30;

}  // namespace

int write_new_table(table& nt, const char* out_path, int secrecy) {
    out_file out;
    if (!out_path || !out.open(out_path)) return codes::cannot_open;
    writer_scope ws;
    msave(nt, out);
    std::int64_t cells = count_cells(nt.vars);
    std::int64_t row = 1;
    for (std::size_t i = nt.stub_count(); i < nt.vars.size(); ++i) row *= nt.vars[i].value_count;
    const int row_length = static_cast<int>(row > longest_row ? longest_row : row);
    int drc = dsave(nullptr, out, nt, cells, 1, stored_decimals(nt), row_length, secrecy, 0);
    if (!out.close() && drc == 0) drc = codes::data_input_ended;
    return drc;
}

}  // namespace vt
