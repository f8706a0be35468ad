// The decimals of a table: the checks that keep them within what a table
// file can state, and the chgdecweb job.
#include "tableops/decimals.h"

#include "core/codes.h"
#include "core/datasec.h"
#include "core/guard.h"
#include "core/numfmt.h"
#include "core/reader.h"
#include "platform/text.h"
#include "tableops/newtable.h"

namespace vt {

int set_decimals(table& t, int decimals) {
    if (decimals < 0 || decimals > max_decimals) return codes::op_bad_decimals;
    t.decimals = decimals;
    t.showdecimals = decimals;
    return 0;
}

int set_shown_decimals(table& t, int shown) {
    if (shown < 0 || shown > max_decimals) return codes::op_bad_decimals;
    const int stored = t.decimals < shown ? shown : t.decimals;
    if (shown > max_shown_decimals && shown != stored) return codes::op_bad_decimals;
    t.showdecimals = shown;
    t.decimals = stored;
    return 0;
}

std::string precision_text(const value& v) { return std::to_string(v.precision); }

bool precision_from_text(std::string_view text, int& out) noexcept {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (text.size() != 1 || text[0] < '0' || text[0] > '9') return false;
    out = text[0] - '0';
    return true;
}

int chgdecweb(const char* in_path, const char* out_path, const char* decimals) {
    return guard([&] {
        in_file in;
        if (const int rc = open_source(in_path, out_path, in); rc != 0) return rc;
        table t = table_new();
        if (const int rc = metain(in, t); rc != 0) return rc;
        if (const int rc = set_decimals(t, plat::decimal_to_int(decimals ? decimals : "")); rc != 0) return rc;
        if (const int rc = read_data(t, in); rc != 0) return rc;
        in.close();
        for (variable& v : t.vars) v.keys_mode = 0;  // the new table is written in full form
        return write_new_table(t, out_path, 0);
    });
}

}  // namespace vt
