// The dialogue of a second table.
#include "dialogs/tabsel.h"

#include <string>
#include <vector>

#include "core/codes.h"
#include "core/guard.h"
#include "core/listing.h"
#include "core/reader.h"
#include "dialogs/state.h"
#include "platform/fsinfo.h"
#include "platform/listbox.h"
#include "tableops/filecalc.h"
#include "tableops/newtable.h"

namespace vt {

namespace {

// The tables offered in the host's list, in list order.
struct tabsel_state : dialogs::family_state {
    std::string folder;
    std::vector<std::string> files;
};

bool is_arithmetic(int option) noexcept { return option >= fc_add && option <= fc_divide; }

std::string str(const char* s) { return s ? s : ""; }

// True when the table file at path (its keywords are enough) fits a for
// the option.
bool fits(const table& a, const std::string& path, int option) {
    in_file f;
    table b = table_new();
    if (read_table_file(path, f, b) != 0) return false;
    return match_fits(a, b, option) == 0;
}

int first_step(const char* table_dir, const char* in_path, const vt_listbox* list, int option,
               const char* label_path) {
    if (const int rc = dialogs::begin(dialogs::dialogue::tabsel, in_path, true); rc != 0) return rc;
    dialogs::held_state& s = dialogs::current();
    s.label_path = str(label_path);
    // A join has nothing to work with but a second table, which needs UNITS.
    if (!s.t.units && !is_arithmetic(option)) {
        dialogs::release();
        return codes::op_match_unfit;
    }
    tabsel_state& f = dialogs::family<tabsel_state>();
    f.folder = str(table_dir);
    free_table_list();
    const int listed = list_tables(f.folder);
    if (listed != 1) {
        free_table_list();
        dialogs::release();
        return listed;
    }
    plat::lb_reset(list);
    for (const table_list_entry& e : table_list()) {
        if (!fits(s.t, listed_path(f.folder, e.file_name), option)) continue;
        plat::lb_add(list, e.title);
        f.files.push_back(e.file_name);
    }
    free_table_list();
    return 0;
}

// The request of the writing step, with the second table when one is
// chosen. Returns 0, or a code that leaves the dialogue held (90 and 84,
// which the host can mend by choosing again) or ends it (91).
int second_table(const vt_listbox* list, const char* out_path, filecalc_request& r, table& b, bool& ends) {
    dialogs::held_state& s = dialogs::current();
    const tabsel_state& f = dialogs::family<tabsel_state>();
    const int pick = plat::lb_current(list);
    if (pick < 0 || static_cast<std::size_t>(pick) >= f.files.size()) {
        if (!is_arithmetic(r.option)) return codes::op_no_dialogue_table;
        r.with_constant = true;
        return 0;
    }
    const std::string path = listed_path(f.folder, f.files[static_cast<std::size_t>(pick)]);
    if (plat::overwrites_input(path, out_path)) return codes::op_same_file;
    ends = true;
    if (read_whole_table(path, b) != 0) return codes::op_match_unfit;
    if (const int rc = match_fits(s.t, b, r.option); rc != 0) return rc;
    ends = false;
    return 0;
}

int writing_step(const char* out_path, const vt_listbox* list, int option, const char* name, const char* text1,
                 const char* text2, const char* text3, const char* constant, const char* inclusion) {
    if (!dialogs::holds(dialogs::dialogue::tabsel)) return codes::op_no_dialogue_table;
    dialogs::held_state& s = dialogs::current();
    // A bad output name leaves the dialogue as it was: the host may ask
    // for another one.
    if (const int r = dialogs::check_output(out_path); r != 0) return r;
    filecalc_request r;
    r.option = option;
    r.inclusion = inclusion ? inclusion[0] : '\0';
    r.constant = str(constant);
    r.newvar = str(name);
    r.newvalues = {str(text1), str(text2), str(text3)};
    table b;
    bool ends = false;
    if (const int rc = second_table(list, out_path, r, b, ends); rc != 0) {
        if (ends) dialogs::release();
        return rc;
    }
    if (const int rc = check_filecalc(s.t, r); rc != 0) {
        // A refused text or constant can be given again.
        if (rc < codes::op_blank_text || rc > codes::op_bad_constant) dialogs::release();
        return rc;
    }
    table out;
    int result = file_calculation(s.t, &b, r, out);
    if (result == 0) result = write_new_table(out, out_path, 0);
    dialogs::release();
    return result;
}

}  // namespace

int tabsel(const char* table_dir, const char* in_path, const char* out_path, int type, const vt_listbox* list,
           int option, const char* label_path, const char* name, const char* text1, const char* text2,
           const char* text3, const char* constant, const char* inclusion) {
    // Whatever fails, a dialogue that has run its course holds nothing.
    return dialogs::run_step([&] {
        if (type == 3) {
            dialogs::release();
            return 0;
        }
        if (type == 2) return writing_step(out_path, list, option, name, text1, text2, text3, constant, inclusion);
        return first_step(table_dir, in_path, list, option, label_path);
    });
}

}  // namespace vt
