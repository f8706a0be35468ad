// File calculation: the checks of a request, the operands laid out as one
// table for the calculation (a new first variable whose values hold the
// input's cells, the match table's cells and the constant's result), the
// joins through the merge, and the tabselweb job around them.
#include "tableops/filecalc.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/codes.h"
#include "core/datasec.h"
#include "core/guard.h"
#include "core/reader.h"
#include "platform/fsinfo.h"
#include "tableops/calc.h"
#include "tableops/compute.h"
#include "tableops/merge.h"
#include "tableops/newtable.h"

namespace vt {

namespace {

struct text_code {
    std::string text;
    std::string code;  // empty without "#"
};

text_code split_at_hash(const std::string& s) {
    const std::size_t hash = s.find('#');
    if (hash == std::string::npos) return {s, {}};
    return {s.substr(0, hash), s.substr(hash + 1)};
}

bool is_arithmetic(int option) noexcept { return option >= fc_add && option <= fc_divide; }

bool is_blank(const std::string& s) noexcept { return s.find_first_not_of(" \t") == std::string::npos; }

// How many of the new value texts a request uses for a new variable:
// input, match table and result; input and result with a constant; none
// when the result replaces the cells.
std::size_t new_values_used(const filecalc_request& r) noexcept {
    if (!is_arithmetic(r.option) || r.inclusion != 'm') return 0;
    return r.with_constant ? 2 : 3;
}

int check_arithmetic(const table& a, const filecalc_request& r) {
    if (!r.with_constant && r.inclusion != 'm' && r.inclusion != 'u') return codes::op_calc_failed;
    float constant = 0;
    if (r.with_constant && !parse_constant(r.constant, constant)) return codes::op_bad_constant;
    const std::size_t n = new_values_used(r);
    if (n == 0) {
        // The result text becomes the UNITS: a match table's result must
        // say what it holds; with a constant a blank text keeps the UNITS.
        if (!r.with_constant) return check_new_text(r.newvar);
        return r.newvar.find('"') != std::string::npos ? codes::op_quote_in_text : 0;
    }
    std::vector<text_code> values;
    for (std::size_t k = 0; k < n; ++k) values.push_back(split_at_hash(r.newvalues[k]));
    if (const int rc = check_new_text(r.newvar); rc != 0) return rc;
    for (const text_code& v : values)
        if (const int rc = check_new_text(v.text); rc != 0) return rc;
    for (const text_code& v : values)
        if (v.code.find('"') != std::string::npos) return codes::op_quote_in_text;
    if (variable_position(a, r.newvar) >= 0) return codes::op_variable_exists;
    // Two values of one text could not be told apart in the new table.
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j)
            if (values[i].text == values[j].text) return codes::op_text_used;
    return 0;
}

// Gives the values of v the codes of the request, when any carries one; a
// value without one then has its text as code, as the writer states it.
void give_codes(variable& v, const std::vector<text_code>& values) {
    bool any = false;
    for (const text_code& t : values) any = any || !t.code.empty();
    if (!any) return;
    for (std::size_t k = 0; k < v.values.size() && k < values.size(); ++k)
        v.values[k].code = values[k].code.empty() ? v.values[k].text : values[k].code;
}

// A name no variable of a carries, for the operand variable that the
// result replaces again.
std::string free_name(const table& a) {
    std::string name = "result";
    while (variable_position(a, name) >= 0) name += '_';
    return name;
}

// Arithmetic: a new first variable holding the input's cells and the
// match table's (realigned to the input's order) or the input's alone;
// the calculation puts the result after them, and with a letter other
// than 'm' in their place, after which the one-valued variable goes again.
int arithmetic(const table& a, const table* b, const filecalc_request& r, table& out) {
    const bool beside = r.inclusion == 'm';
    const std::size_t operands = b ? 2 : 1;
    std::vector<text_code> values;
    for (std::size_t k = 0; k <= operands; ++k)
        values.push_back(beside ? split_at_hash(r.newvalues[k]) : text_code{std::to_string(k + 1), {}});

    variable nv;
    nv.prestext = 1;  // as a variable read from a file shows its values
    nv.name = beside ? r.newvar : free_name(a);
    nv.values.resize(operands);
    for (std::size_t k = 0; k < operands; ++k) {
        nv.values[k].text = values[k].text;
        nv.max_text_len = std::max(nv.max_text_len, static_cast<int>(values[k].text.size()));
    }
    nv.values[0].precision = a.decimals;
    if (b) nv.values[1].precision = b->decimals;
    nv.value_count = static_cast<int>(operands);

    table stacked;
    if (const int rc = stack_tables(a, b, nv, stacked); rc != 0) return rc;
    carry_stacked_notes(a, b, stacked);

    bearb req;
    req.op = r.option - static_cast<int>(fc_add) + static_cast<int>(op_add_values);
    req.inclusion = beside ? 'm' : 'u';
    request_entry calc{nv.name, std::nullopt, {}};
    for (std::size_t k = 0; k < operands; ++k) calc.values.push_back(values[k].text);
    req.entries.push_back(std::move(calc));
    for (std::size_t i = 1; i < stacked.vars.size(); ++i)
        req.entries.push_back(request_entry{stacked.vars[i].name, std::nullopt, {}});
    if (r.with_constant) {
        if (!parse_constant(r.constant, req.constant)) return codes::op_bad_constant;
        req.constant_decimals = constant_decimals(r.constant);
    }
    req.new_value = values[operands].text;

    table result;
    const int rc = calculate(stacked, req, nullptr, result);
    if (rc == codes::op_failed) return codes::op_calc_failed;
    if (rc != 0) return rc;
    if (beside) {
        give_codes(result.vars[0], values);
        out = std::move(result);
        return codes::ok;
    }
    // The result alone: the table is the input's again, its cells the
    // results, its DECIMALS those the operation gives them.
    const int precision = result.vars[0].values[0].precision;
    result.vars.erase(result.vars.begin());
    if (result.heading > 0) --result.heading;
    compute_strides(result.vars);
    carry_notes_by_position(a, result);
    result.decimals = precision;
    result.showdecimals = std::min(result.showdecimals, precision);
    if (!is_blank(r.newvar)) result.units = r.newvar;
    out = std::move(result);
    return codes::ok;
}

}  // namespace

int check_filecalc(const table& a, const filecalc_request& r) {
    if (r.option == fc_link) return 0;
    if (r.option == fc_overlay) return check_overlay_texts(a, r.newvar, r.newvalues[0], r.newvalues[1]);
    if (!is_arithmetic(r.option)) return codes::op_calc_failed;
    return check_arithmetic(a, r);
}

int match_fits(const table& a, const table& b, int option) {
    if (!a.units) return codes::op_match_unfit;
    if (option == fc_link) return relate_tables(a, b, op_link) < rel_variable_count ? 0 : codes::op_match_unfit;
    if (option != fc_overlay && !is_arithmetic(option)) return codes::op_match_unfit;
    const int rel = relate_tables(a, b, op_overlay);
    return rel >= rel_same && rel <= rel_both_orders ? 0 : codes::op_match_unfit;
}

int file_calculation(const table& a, const table* b, const filecalc_request& r, table& out) {
    if (is_arithmetic(r.option)) return arithmetic(a, r.with_constant ? nullptr : b, r, out);
    if (!b || r.with_constant) return codes::cannot_open;
    bearb req;
    req.op = r.option == fc_link ? op_link : op_overlay;
    // Without a name the overlay can still put tables of different UNITS
    // under them; otherwise the merge refuses it.
    // "text#" (an XML query without a code) carries no code.
    if (req.op == op_overlay && !is_blank(r.newvar)) {
        request_entry e{r.newvar, std::nullopt, {}};
        for (std::size_t k = 0; k < 2; ++k) {
            const text_code v = split_at_hash(r.newvalues[k]);
            e.values.push_back(v.code.empty() ? v.text : v.text + "#" + v.code);
        }
        req.entries.push_back(std::move(e));
    }
    int relation = 0;
    const int rc = sammans(a, *b, req, out, relation);
    return rc == codes::op_failed ? codes::op_match_unfit : rc;
}

int read_whole_table(const std::string& path, table& t) {
    t = table_new();
    if (path.empty()) return codes::cannot_open;
    in_file f;
    if (const int rc = read_table_file(path, f, t); rc != 0) return rc;
    return read_data(t, f);
}

namespace {

int run_tabselweb(const char* in_path, const char* out_path, int constant_flag, const char* match_path,
                  int option, const char* newvar, const char* newvalue1, const char* newvalue2,
                  const char* newvalue3, const char* constant, const char* inclexcl) {
    auto str = [](const char* s) { return std::string(s ? s : ""); };
    in_file in;
    if (const int rc = open_source(in_path, out_path, in); rc != 0) return rc;
    table a = table_new();
    if (const int rc = metain(in, a); rc != 0) return rc;
    if (const int rc = read_data(a, in); rc != 0) return rc;
    in.close();

    filecalc_request r;
    r.option = option;
    r.with_constant = constant_flag == 1;
    r.inclusion = inclexcl ? inclexcl[0] : '\0';
    r.constant = str(constant);
    r.newvar = str(newvar);
    r.newvalues = {str(newvalue1), str(newvalue2), str(newvalue3)};
    // A join needs its second table.
    if (r.with_constant && option > 60) return codes::cannot_open;

    table b;
    if (!r.with_constant) {
        if (!a.units) return codes::op_match_unfit;
        const std::string match = str(match_path);
        if (!match.empty() && plat::overwrites_input(match, out_path)) return codes::op_same_file;
        if (read_whole_table(match, b) != 0) return codes::op_match_unfit;
        if (const int rc = match_fits(a, b, option); rc != 0) return rc;
    }
    if (const int rc = check_filecalc(a, r); rc != 0) return rc;
    table out;
    if (const int rc = file_calculation(a, &b, r, out); rc != 0) return rc;
    return write_new_table(out, out_path, 0);
}

}  // namespace

int tabselweb(const char* in_path, const char* out_path, int constant_flag, const char* match_path, int option,
              const char* text_words, const char* newvar, const char* newvalue1, const char* newvalue2,
              const char* newvalue3, const char* constant, const char* inclexcl) {
    (void)text_words;  // the title stays as the input has it
    return guard([&] {
        return run_tabselweb(in_path, out_path, constant_flag, match_path, option, newvar, newvalue1, newvalue2,
                             newvalue3, constant, inclexcl);
    });
}

}  // namespace vt
