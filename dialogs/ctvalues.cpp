// The texts and codes dialogue.
#include "dialogs/ctvalues.h"

#include <string>

#include "core/codes.h"
#include "core/guard.h"
#include "dialogs/chgtxt.h"
#include "dialogs/state.h"
#include "platform/fsinfo.h"
#include "tableops/newtable.h"
#include "tableops/presentation.h"

namespace vt {

namespace {

// What the dialogue keeps while the host asks for a value set.
struct ctvalues_state : dialogs::family_state {
    std::string dir;
    presentation_plan plan;
    value_set_choice chosen;
    int pending = -1;  // the variable waiting for the host's choice
};

// Asks for the next choice, or presents and writes the table.
int go_on(const char* out_path, char* set_io, char* domain_out) {
    dialogs::held_state& s = dialogs::current();
    ctvalues_state& st = dialogs::family<ctvalues_state>();
    std::string domain;
    st.pending = next_value_set_choice(s.t, st.plan, st.dir, st.chosen, domain);
    if (st.pending >= 0) {
        copy_to_host(domain_out, domain);
        return codes::op_value_set_choice;
    }
    if (const int r = dialogs::check_output(out_path); r != 0) return r;
    table out;
    std::string used;
    int rc = present(s.t, st.plan, st.dir, st.chosen, out, used);
    if (rc == 0) rc = write_new_table(out, out_path, 0);
    if (rc == codes::cannot_open) return rc;  // the host may name another output
    if (rc == 0) copy_to_host(set_io, used);
    dialogs::release();
    return rc;
}

}  // namespace

int ctvalues2003(const char* in_path, const char* value_set_dir, const char* out_path, int step, char* set_io,
                 const char* options, char* domain_out) {
    return dialogs::run_step([&] {
        if (step == 6) {
            dialogs::release();
            return 0;
        }
        if (step == 5) {
            if (!dialogs::holds(dialogs::dialogue::ctvalues)) return codes::op_no_dialogue_table;
            ctvalues_state& st = dialogs::family<ctvalues_state>();
            if (st.pending < 0) return codes::op_no_dialogue_table;
            st.chosen[static_cast<std::size_t>(st.pending)] = set_io ? set_io : "";
            return go_on(out_path, set_io, domain_out);
        }
        if (in_path && out_path && plat::same_file(in_path, out_path)) return codes::op_same_file;
        if (const int r = dialogs::begin(dialogs::dialogue::ctvalues, in_path, true); r != 0) return r;
        dialogs::held_state& s = dialogs::current();
        for (variable& v : s.t.vars) v.keys_mode = 0;  // the cells are in memory, written in full form
        ctvalues_state& st = dialogs::family<ctvalues_state>();
        st.dir = value_set_dir ? value_set_dir : "";
        st.plan = plan_presentation(s.t, options ? options : "", true);
        return go_on(out_path, set_io, domain_out);
    });
}

}  // namespace vt
