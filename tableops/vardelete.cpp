// Deleting a variable: the marks checked, the removed values taken out
// (operation 33), the rest summed into one value (operation 18), and that
// variable of one value taken out of the table; the vardeleteweb job.
#include "tableops/vardelete.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>

#include "core/codes.h"
#include "core/guard.h"
#include "core/numfmt.h"
#include "core/reader.h"
#include "tableops/calc.h"
#include "tableops/compute.h"
#include "tableops/newtable.h"
#include "tableops/selection.h"
#include "tableops/valueorder.h"

namespace vt {

namespace {

// A calculation with letter "u" on variable `var` with the given operands
// (none: all values), every other variable keeping all its values.
bearb calculation_on(const table& t, std::size_t var, int op, std::vector<std::string> operands) {
    bearb req;
    req.op = op;
    req.inclusion = 'u';
    req.entries.push_back(request_entry{t.vars[var].name, std::nullopt, std::move(operands)});
    for (std::size_t i = 0; i < t.vars.size(); ++i)
        if (i != var) req.entries.push_back(request_entry{t.vars[i].name, std::nullopt, {}});
    return req;
}

// Takes the variable at `var`, which has one value, out of t. No cell
// moves: a variable of one value does not change where any cell lies. The
// cells go over to `out`.
void drop_single_valued(table& t, std::size_t var, table& out) {
    out = copy_variables(t);
    out.vars.erase(out.vars.begin() + static_cast<std::ptrdiff_t>(var));
    for (variable& v : out.vars) v.keys_mode = 0;  // the new table is written in full form
    compute_strides(out.vars);
    out.data_handle = std::move(t.data_handle);
    copy_head(t, out);
    out.heading = var < t.heading ? t.heading - 1 : t.heading;
    // The value's figures may carry more decimals than the table stores.
    out.decimals = std::min(max_decimals, std::max(out.decimals, t.vars[var].values.front().precision));
    carry_notes(t, out);
}

// A calculation that formed no table says so in this operation's terms.
int no_table(int rc) { return rc == codes::op_failed ? codes::op_delete_failed : rc; }

}  // namespace

int delete_variable(table& source, in_file* source_file, std::size_t var, const std::vector<char>& marked,
                    bool remove, table& out) {
    if (var >= source.vars.size()) return codes::op_failed;
    const variable& v = source.vars[var];
    const std::size_t n = v.values.size();
    if (marked.size() != n) return codes::op_partial_delete;
    if (source.vars.size() == 1) return codes::op_nothing_kept;
    const std::size_t m = n - static_cast<std::size_t>(std::count(marked.begin(), marked.end(), 0));
    // Marks that keep some of several values would leave the variable in
    // the table with one value without a text in place of the marked ones.
    if (n > 1) {
        if (remove && m == n) return codes::op_delete_failed;
        if (remove ? n - m != 1 : m != n) return codes::op_partial_delete;
    }

    // Cells read here belong to this deletion and may go once copied.
    const bool own_cells = !source.data();
    table rest;
    table* work = &source;
    in_file* file = source_file;
    if (remove && m > 0 && n > 1) {
        std::vector<std::string> gone;
        for (std::size_t k = 0; k < n; ++k)
            if (marked[k]) gone.push_back(v.values[k].text);
        if (const int rc = calculate(source, calculation_on(source, var, op_remove_values, std::move(gone)), file,
                                     rest);
            rc != 0)
            return no_table(rc);
        if (own_cells) source.data_handle.release();
        work = &rest;
        file = nullptr;
    }
    table summed;
    if (const int rc = calculate(*work, calculation_on(*work, var, op_sum_values, {}), file, summed); rc != 0)
        return no_table(rc);
    rest = table_new();
    if (own_cells) source.data_handle.release();
    compute_strides(summed.vars);
    drop_single_valued(summed, var, out);
    return codes::ok;
}

void add_to_contents(table& t, const char* addition) {
    if (!addition || !*addition) return;
    t.contents = t.contents.value_or("") + ", " + addition + " ";
}

int vardeleteweb(const char* in_path, const char* out_path, const char* value_list, const char* variable_name,
                 const char* unit_var, const title_words& words, int remove, const char* title_add) {
    return guard([&] {
        in_file in;
        if (const int rc = open_source(in_path, out_path, in); rc != 0) return rc;
        table t = table_new();
        if (const int rc = metain(in, t); rc != 0) return rc;
        const int p = find_named_variable(t, variable_name ? variable_name : "", unit_var ? unit_var : "");
        if (p < 0) return codes::op_no_such_name;
        selection_vector marks(t.vars[static_cast<std::size_t>(p)].values.size(), 0);
        if (const int rc = mark_list(marks, value_list ? value_list : ""); rc != 0) return rc;
        add_to_contents(t, title_add);

        std::vector<char> marked(marks.begin(), marks.end());
        table nt;
        if (const int rc = delete_variable(t, &in, static_cast<std::size_t>(p), marked, remove == 1, nt); rc != 0)
            return rc;
        in.close();
        title_rebuild(nt, title_width, words);
        return write_new_table(nt, out_path, 0);
    });
}

}  // namespace vt
