// Calculation: the operations of berakna that compute new values of one
// variable (11 to 14, 18, 21, 23) or remove values (33), and the
// calcvalues job around them.
#include "tableops/calc.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "core/cells.h"
#include "core/codes.h"
#include "core/datasec.h"
#include "core/guard.h"
#include "core/numfmt.h"
#include "core/reader.h"
#include "tableops/newtable.h"
#include "tableops/title.h"

namespace vt {

namespace {

// A dot symbol ("." .. "......."), told by its band as the data writer
// tells it. The nil "-" is a number here, as everywhere in sums.
bool is_symbol(double x) noexcept { return x <= -9e18; }

// The "." symbol: no figure can be given (a division by 0).
constexpr double no_figure = dot_values[0];

// A cell combined with a second operand by one of the operations 11 to 14:
// a symbol on either side gives the symbol sum; a divisor of 0 gives ".".
// The nil "-" stands for a true zero, so dividing by it gives "." too
// rather than a figure some 10^26 times the cell.
double combine(int op, double a, double b) noexcept {
    if (is_symbol(a) || is_symbol(b)) return symbol_sum(a, b);
    switch (op) {
        case op_add_values:
            return a + b;
        case op_subtract_values:
            return a - b;
        case op_multiply_values:
            return a * b;
        default:
            return b == 0 || is_nil(b) ? no_figure : a / b;
    }
}

// A percentage (factor 100) or per mille share (1000) of a base cell.
double share(double x, double base, double factor) noexcept {
    if (base == 0 || is_nil(base)) return no_figure;
    if (is_symbol(x) || is_symbol(base)) return symbol_sum(x, base);
    return factor * x / base;
}

// Powers of ten up to the constant's most counted decimals.
double power_of_ten(int d) noexcept {
    double p = 1;
    for (int i = 0; i < d; ++i) p *= 10;
    return p;
}

// How the new value's cells come from the operand cells of one row.
struct operand_plan {
    int op = 0;
    std::vector<int> listed;  // operand positions, in operand order
    bool with_constant = false;
    double constant = 0;      // the single precision constant, widened
    double scaled = 0;        // 13, 14: constant * 10^d, stored again in single precision
    double power = 1;         // 13, 14: 10^d
};

// One block of new cells (`block` cells, one per combination of the later
// variables) from the operand blocks of the row at srow.
void compute_block(const operand_plan& o, const double* srow, std::int64_t block, double* out) noexcept {
    const double* a = srow + o.listed[0] * block;
    if (o.op == op_sum_values) {
        std::fill(out, out + block, 0.0);
        for (int k : o.listed) {
            const double* x = srow + k * block;
            for (std::int64_t b = 0; b < block; ++b) out[b] = symbol_sum(out[b], x[b]);
        }
    } else if (!o.with_constant) {
        const double* second = srow + o.listed[1] * block;
        for (std::int64_t b = 0; b < block; ++b) out[b] = combine(o.op, a[b], second[b]);
    } else if (o.op == op_multiply_values || o.op == op_divide_values) {
        // The constant is scaled to a whole number first, so that 0.1 in
        // single precision multiplies as exactly 1 / 10.
        for (std::int64_t b = 0; b < block; ++b) {
            if (is_symbol(a[b])) out[b] = symbol_sum(a[b], o.constant);
            else if (o.op == op_multiply_values) out[b] = a[b] * o.scaled / o.power;
            else out[b] = o.constant == 0 ? no_figure : a[b] / o.scaled * o.power;
        }
    } else {
        for (std::int64_t b = 0; b < block; ++b) out[b] = combine(o.op, a[b], o.constant);
    }
}

// Where the base cell of a share is: a value of a variable, or (var < 0)
// the sum of all values of the calculation variable.
struct base_ref {
    int var = -1;
    int value = -1;
};

int find_base(const table& t, std::size_t calc_var, const bearb& req, base_ref& out) {
    out = base_ref{};
    if (req.base.empty() || req.base.front().values.empty()) return 0;
    const request_entry& e = req.base.front();
    const std::string& text = e.values.front();
    auto look = [&](std::size_t i) {
        const variable& v = t.vars[i];
        for (std::size_t k = 0; k < v.values.size(); ++k)
            if (v.values[k].text == text) {
                out.var = static_cast<int>(i);
                out.value = static_cast<int>(k);
                return true;
            }
        return false;
    };
    if (e.name) {
        // A named base entry looks in its own variable only.
        for (std::size_t i = 0; i < t.vars.size(); ++i)
            if (t.vars[i].name == e.name && look(i)) return 0;
        return codes::op_no_such_name;
    }
    if (look(calc_var)) return 0;
    for (std::size_t i = 0; i < t.vars.size(); ++i)
        if (i != calc_var && look(i)) return 0;
    return codes::op_no_such_name;
}

int capped(int decimals) noexcept { return std::clamp(decimals, 0, max_decimals); }

// The new value's PRECISION: the larger of two operands' for 11 and 12,
// their sum for 13, 2 for quotients and shares, the largest summed for 18.
int new_precision(const operand_plan& o, const variable& v, int constant_decimals) {
    auto prec = [&v](int k) { return v.values[static_cast<std::size_t>(k)].precision; };
    const int second = o.with_constant ? constant_decimals : o.listed.size() > 1 ? prec(o.listed[1]) : 0;
    switch (o.op) {
        case op_add_values:
        case op_subtract_values:
            return capped(std::max(prec(o.listed[0]), second));
        case op_multiply_values:
            return capped(prec(o.listed[0]) + second);
        case op_sum_values: {
            int most = 0;
            for (int k : o.listed) most = std::max(most, prec(k));
            return most;
        }
        default:
            return 2;
    }
}

// The values of the calculation variable in the new table: slot j holds
// source value slots[j], or the new value where it is -1.
std::vector<int> value_slots(int op, char inclusion, std::size_t n, const std::vector<int>& listed, bool all) {
    std::vector<char> operand(n, 0);
    for (int k : listed) operand[static_cast<std::size_t>(k)] = 1;
    std::vector<int> slots;
    if (op == op_remove_values) {
        for (std::size_t k = 0; k < n; ++k)
            if (!operand[k]) slots.push_back(static_cast<int>(k));
        return slots;
    }
    // The new value follows the last operand of the request (the last
    // value when 18 sums them all).
    const int anchor = all ? static_cast<int>(n) - 1 : listed.back();
    for (std::size_t k = 0; k < n; ++k) {
        if (inclusion == 'm' || !operand[k]) slots.push_back(static_cast<int>(k));
        if (static_cast<int>(k) == anchor) slots.push_back(-1);
    }
    return slots;
}

// The calculation variable of the new table from its source: the values
// of `slots`, the new value where a slot is -1. The sum over its values is
// no longer a total, and the hierarchy no longer fits.
void rebuild_variable(variable& v, const std::vector<int>& slots, const value& fresh) {
    std::vector<value> values;
    values.reserve(slots.size());
    int elim = -1;
    int longest = 0;
    for (std::size_t j = 0; j < slots.size(); ++j) {
        const int k = slots[j];
        if (k >= 0 && k == v.elimination_value) elim = static_cast<int>(j);
        values.push_back(k < 0 ? fresh : v.values[static_cast<std::size_t>(k)]);
        longest = std::max(longest, static_cast<int>(values.back().text.size()));
    }
    v.values = std::move(values);
    v.value_count = static_cast<int>(v.values.size());
    v.max_text_len = longest;
    v.elimination = 0;
    v.elimination_value = elim;
    v.has_hierarchy = 0;
    v.hierarchies.clear();
}

// The added variable without a name that tells source cells (the former
// UNITS) from shares (the new value's text).
variable units_variable(const table& t, const std::string& share_text) {
    variable u;
    u.prestext = 1;  // as a variable read from a file shows its values
    value first, second;
    first.text = t.units.value_or("");
    second.text = share_text;
    second.precision = 2;
    u.max_text_len = static_cast<int>(std::max(first.text.size(), second.text.size()));
    u.values = {std::move(first), std::move(second)};
    u.value_count = 2;
    return u;
}

// Carries a note list whole or not at all: after a share with "m" a note
// that cannot follow its values is not carried, and neither is the rest of
// its list. The added variable's references name its UNITS value.
void carry_share_notes(const table& from, table& to) {
    carry_notes(from, to);
    variable& added = to.vars.back();
    for (const cell_entry_list& l : cell_entry_lists) {
        if ((to.*l.texts).size() == (from.*l.texts).size()) {
            std::fill((added.*l.refs).begin(), (added.*l.refs).end(), 0);
            continue;
        }
        (to.*l.texts).clear();
        for (variable& v : to.vars) (v.*l.refs).clear();
    }
    mark_datanotes(to);
}

bool has_unnamed(const table& t) { return variable_position(t, std::nullopt) >= 0; }

// Shares (21, 23) of the listed values of variable p of `work`.
int shares(const table& work, std::size_t p, const bearb& req, const std::vector<int>& listed, table& out) {
    base_ref base;
    if (const int rc = find_base(work, p, req, base); rc != 0) return rc;
    const bool beside = req.inclusion == 'm';
    // A second variable without a name could not be told from the first.
    if (beside && has_unnamed(work)) return codes::op_failed;
    const std::string text = req.new_value.value_or("");

    out = copy_variables(work);
    variable& v = out.vars[p];
    rebuild_variable(v, listed, value{});
    if (beside) out.vars.push_back(units_variable(work, text));
    for (variable& each : out.vars) each.keys_mode = 0;
    const std::int64_t cells = compute_strides(out.vars);
    if (!out.data_handle.allocate(static_cast<std::size_t>(cells))) return codes::no_memory;

    const double factor = req.op == op_per_mille ? 1000 : 100;
    const variable& sv = work.vars[p];
    const std::int64_t n = static_cast<std::int64_t>(sv.values.size());
    const std::int64_t block = sv.stride;
    const std::int64_t rows = count_cells(work.vars) / (n * block);
    const std::int64_t m = static_cast<std::int64_t>(listed.size());
    const double* src = work.data();
    double* dst = out.data();
    std::vector<double> sums(base.var < 0 ? static_cast<std::size_t>(block) : 0);
    const std::int64_t qstride = base.var >= 0 ? work.vars[static_cast<std::size_t>(base.var)].stride : 0;
    const std::int64_t qcount =
        base.var >= 0 ? static_cast<std::int64_t>(work.vars[static_cast<std::size_t>(base.var)].values.size()) : 1;
    for (std::int64_t a = 0; a < rows; ++a) {
        const std::int64_t row = a * n * block;
        if (base.var < 0) {
            std::fill(sums.begin(), sums.end(), 0.0);
            for (std::int64_t k = 0; k < n; ++k)
                for (std::int64_t b = 0; b < block; ++b)
                    sums[static_cast<std::size_t>(b)] = symbol_sum(sums[static_cast<std::size_t>(b)], src[row + k * block + b]);
        }
        for (std::int64_t j = 0; j < m; ++j) {
            const std::int64_t from = row + listed[static_cast<std::size_t>(j)] * block;
            for (std::int64_t b = 0; b < block; ++b) {
                const std::int64_t o = from + b;
                double base_cell;
                if (base.var < 0) base_cell = sums[static_cast<std::size_t>(b)];
                else base_cell = src[o + (base.value - (o / qstride) % qcount) * qstride];
                const double r = share(src[o], base_cell, factor);
                const std::int64_t at = (a * m + j) * block + b;
                if (beside) {
                    dst[2 * at] = src[o];
                    dst[2 * at + 1] = r;
                } else {
                    dst[at] = r;
                }
            }
        }
    }

    copy_head(work, out);
    out.heading = work.heading;
    if (beside) {
        out.units.reset();
        carry_share_notes(work, out);
    } else {
        out.units = text;
        for (value& val : out.vars[base.var < 0 ? p : static_cast<std::size_t>(base.var)].values) val.precision = 2;
        carry_notes(work, out);
    }
    return codes::ok;
}

// Operations 11 to 14, 18 and 33 on variable p of `work`.
int new_value_cells(const table& work, std::size_t p, const bearb& req, const std::vector<int>& listed, table& out) {
    const variable& sv = work.vars[p];
    const std::size_t n = sv.values.size();
    operand_plan o;
    o.op = req.op;
    o.listed = listed;
    const bool all = listed.empty();
    if (req.op == op_remove_values) {
        if (all || listed.size() == n) return codes::op_failed;
    } else if (req.op == op_sum_values) {
        if (all)
            for (std::size_t k = 0; k < n; ++k) o.listed.push_back(static_cast<int>(k));
    } else {
        // Two operands: two values, or one value and the constant.
        if (listed.empty() || listed.size() > 2) return codes::op_failed;
        o.with_constant = listed.size() == 1;
        o.constant = req.constant;
        const int d = std::min(req.constant_decimals, max_decimals);
        o.power = power_of_ten(d);
        o.scaled = static_cast<float>(o.constant * o.power);
    }
    const std::vector<int> slots = value_slots(req.op, req.inclusion, n, o.listed, all);

    out = copy_variables(work);
    value fresh;
    fresh.text = req.new_value.value_or("");
    if (req.op != op_remove_values) fresh.precision = new_precision(o, sv, req.constant_decimals);
    rebuild_variable(out.vars[p], slots, fresh);
    for (variable& each : out.vars) each.keys_mode = 0;
    const std::int64_t cells = compute_strides(out.vars);
    if (!out.data_handle.allocate(static_cast<std::size_t>(cells))) return codes::no_memory;

    const std::int64_t block = sv.stride;
    const std::int64_t width = static_cast<std::int64_t>(n) * block;
    const std::int64_t rows = count_cells(work.vars) / width;
    const std::size_t bytes = static_cast<std::size_t>(block) * sizeof(double);
    const double* src = work.data();
    double* dst = out.data();
    for (std::int64_t a = 0; a < rows; ++a) {
        const double* srow = src + a * width;
        double* drow = dst + a * static_cast<std::int64_t>(slots.size()) * block;
        for (std::size_t j = 0; j < slots.size(); ++j) {
            double* at = drow + static_cast<std::int64_t>(j) * block;
            if (slots[j] >= 0) std::memcpy(at, srow + slots[j] * block, bytes);
            else compute_block(o, srow, block, at);
        }
    }
    copy_head(work, out);
    out.heading = work.heading;
    carry_notes(work, out);
    return codes::ok;
}

bool is_calculation(int op) noexcept {
    return (op >= op_add_values && op <= op_divide_values) || op == op_sum_values || op == op_percentages ||
           op == op_per_mille || op == op_remove_values;
}

}  // namespace

int calculate(table& source, const bearb& req, in_file* source_file, table& out) {
    if (!is_calculation(req.op) || (req.inclusion != 'm' && req.inclusion != 'u')) return codes::op_failed;
    if (req.entries.empty()) return codes::op_failed;

    // The calculation variable may stand anywhere in the table (deleting a
    // variable sums one in the middle); the other entries follow in table
    // order, and a selection wants them all in table order.
    const request_entry& first = req.entries[0];
    const int calc_pos = variable_position(source, first.name);
    if (calc_pos < 0) return codes::op_failed;
    std::vector<const request_entry*> ordered;
    std::size_t e = 1;
    for (std::size_t i = 0; i < source.vars.size(); ++i) {
        if (static_cast<int>(i) == calc_pos) ordered.push_back(&first);
        else if (e < req.entries.size() && req.entries[e].name == source.vars[i].name)
            ordered.push_back(&req.entries[e++]);
    }
    if (e != req.entries.size()) return codes::op_failed;

    // The other variables are chosen or eliminated first, as a selection
    // would (the calculation variable keeping all its values), unless every
    // one of them keeps all its values: then the source is worked on as it
    // is. Either way only one matrix of source cells is held.
    bool plain = ordered.size() == source.vars.size() && !first.agg;
    for (std::size_t i = 0; i < ordered.size() && plain; ++i)
        plain = ordered[i] == &first || (ordered[i]->values.empty() && !ordered[i]->agg);
    table selected;
    table* work = &source;
    if (plain) {
        if (!source.data()) {
            if (!source_file) return codes::op_failed;
            if (const int rc = read_data(source, *source_file); rc != 0) return rc;
        }
        compute_strides(source.vars);
    } else {
        bearb pick;
        for (const request_entry* each : ordered) {
            pick.entries.push_back(*each);
            if (each == &first) {
                pick.entries.back().values.clear();
                pick.entries.back().agg.reset();
            }
        }
        if (const int rc = selbas(source, pick, source_file, selected); rc != 0) return rc;
        compute_strides(selected.vars);
        work = &selected;
    }

    const request_entry& calc = req.entries[0];
    std::size_t p = 0;
    while (p < work->vars.size() && work->vars[p].name != calc.name) ++p;
    if (p == work->vars.size()) return codes::op_failed;
    std::vector<int> listed;
    if (!listed_positions(work->vars[p], calc.values, listed)) return codes::op_failed;

    if (req.op == op_percentages || req.op == op_per_mille) {
        if (listed.empty())
            for (std::size_t k = 0; k < work->vars[p].values.size(); ++k) listed.push_back(static_cast<int>(k));
        return shares(*work, p, req, listed, out);
    }
    return new_value_cells(*work, p, req, listed, out);
}

// ---------------------------------------------------------------------------
// The calcvalues job.

namespace {

std::string_view trim_blanks(std::string_view s) noexcept {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

}  // namespace

int constant_decimals(std::string_view text) {
    text = trim_blanks(text);
    const std::size_t dot = text.find('.');
    return dot == std::string_view::npos ? 0 : static_cast<int>(text.size() - dot - 1);
}

bool parse_constant(std::string_view text, float& out) {
    text = trim_blanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    double d = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), d, std::chars_format::fixed);
    if (ec != std::errc{} || end != text.data() + text.size()) return false;
    out = static_cast<float>(d);
    return true;
}

int check_new_text(const std::string& text) {
    if (trim_blanks(text).empty()) return codes::op_blank_text;
    if (text.find('"') != std::string::npos) return codes::op_quote_in_text;
    return 0;
}

namespace {

// Marks the calculation variable's list. Operands of 11 to 14 are told
// apart by their marks: with `order` 1 they are marked 1, 2, 3, ... as
// listed (the first listed is the first operand; marks above 2 are not
// operands); otherwise the list must ascend and the first value is marked
// 2, which puts it last in the request.
int mark_operands(selection_vector& v, const std::string& list, int op, int order) {
    const bool two_operands = op >= op_add_values && op <= op_divide_values;
    if (!two_operands || order != 1) {
        if (const int rc = mark_list(v, list); rc != 0) return rc;
        if (two_operands && std::count(v.begin(), v.end(), 1) >= 2) *std::find(v.begin(), v.end(), 1) = 2;
        return 0;
    }
    std::vector<std::size_t> picked;
    if (!list_numbers(list, v.size(), picked)) return codes::op_bad_list;
    int mark = 0;
    for (std::size_t n : picked) {
        if (v[n - 1] != 0) return codes::op_bad_list;
        v[n - 1] = ++mark;
    }
    return 0;
}

// The checks of the new value's text and code: 93 and 94 for each, 95 when
// the calculation variable already has it (for shares: when it is the
// table's UNITS, or without UNITS a value of the variable without a name).
int check_new_value(const table& t, const bearb& req, const std::string& text, const std::string& code,
                    bool check_used) {
    for (const std::string* s : {&text, &code})
        if (const int rc = check_new_text(*s); rc != 0) return rc;
    if (!check_used) return 0;
    const bool share_op = req.op == op_percentages || req.op == op_per_mille;
    const variable* v = nullptr;
    if (share_op) {
        for (const variable& each : t.vars)
            if (!each.name) v = &each;
    } else {
        for (const variable& each : t.vars)
            if (each.name == req.entries.front().name) v = &each;
    }
    for (const std::string* s : {&text, &code}) {
        if (share_op && t.units) {
            if (*s == *t.units) return codes::op_text_used;
            continue;
        }
        if (!v) continue;
        for (const value& val : v->values)
            if (val.text == *s || val.code.value_or(val.text) == *s) return codes::op_text_used;
    }
    return 0;
}

// Gives the new value its code; a variable that had no codes gets its
// texts as the other values' codes.
void set_new_code(variable& v, const std::string& text, const std::string& code) {
    bool had = false;
    for (const value& val : v.values)
        if (val.code) had = true;
    for (value& val : v.values) {
        if (val.text == text && !val.code) val.code = code;
        else if (!had && !val.code) val.code = val.text;
    }
}

}  // namespace

int mark_calculation(selection_state& s, const std::array<const char*, max_selected_vars>& sel, int operation,
                     int order) {
    s.op = operation;
    bool calc_found = false;
    for (std::size_t i = 0; i < sel.size(); ++i) {
        if (!sel[i] || !*sel[i]) continue;
        if (i >= s.vectors.size()) return codes::op_bad_list;
        // The first variable given values is the calculation variable.
        const int rc = calc_found ? mark_list(s.vectors[i], sel[i]) : mark_operands(s.vectors[i], sel[i], operation, order);
        if (rc != 0) return rc;
        calc_found = calc_found || std::count(s.vectors[i].begin(), s.vectors[i].end(), 0) !=
                                       static_cast<std::ptrdiff_t>(s.vectors[i].size());
    }
    return 0;
}

int build_calc_request(selection_state& s, int operation, const char* inclusion, const char* beta_value,
                       const char* constant, bearb& req) {
    req = bearb{};
    if (const int rc = build_request(s, req); rc != 0) return rc;
    req.op = operation;
    req.inclusion = inclusion ? inclusion[0] : '\0';
    const std::string beta = beta_value ? beta_value : "";
    if (!beta.empty()) req.base.push_back(request_entry{std::nullopt, std::nullopt, {beta}});
    const bool two_operands = operation >= op_add_values && operation <= op_divide_values;
    if (two_operands && req.entries.front().values.size() == 1) {
        const std::string c = constant ? constant : "";
        if (!parse_constant(c, req.constant)) return codes::op_bad_constant;
        req.constant_decimals = constant_decimals(c);
    }
    return 0;
}

int set_calc_new_value(const table& t, const char* new_value, bearb& req, calc_new_value& nv) {
    const std::string text_and_code = new_value ? new_value : "";
    const std::size_t hash = text_and_code.find('#');
    nv.text = text_and_code.substr(0, hash);
    // The code defaults to the text ("text#" gives none either).
    nv.code_given = hash != std::string::npos && hash + 1 < text_and_code.size();
    nv.code = nv.code_given ? text_and_code.substr(hash + 1) : nv.text;
    req.new_value = nv.text;
    if (req.op == op_remove_values) return 0;
    // Summing every value in place of them all leaves no other value to clash with.
    const bool total_only = req.op == op_sum_values && req.inclusion == 'u' && req.entries.front().values.empty();
    return check_new_value(t, req, nv.text, nv.code, !total_only);
}

int calculate_and_write(table& t, const bearb& req, const calc_new_value& nv, in_file* in, const char* out_path,
                        const title_words& words) {
    table nt;
    const int rc = berakna(t, req, in, nt);
    if (rc == codes::op_failed || rc == codes::op_not_supported) return codes::op_calc_failed;
    if (rc != 0) return rc;
    if (in) in->close();

    // The new value's precision was set with the new table; a table that
    // lost the calculation variable cannot say what it holds.
    const bool share_op = req.op == op_percentages || req.op == op_per_mille;
    variable* cv = nullptr;
    for (variable& v : nt.vars)
        if (v.name == req.entries.front().name) cv = &v;
    if (!cv) return codes::op_calc_variable_lost;
    if (nv.code_given && req.op != op_remove_values) {
        if (!share_op) set_new_code(*cv, nv.text, nv.code);
        else if (req.inclusion == 'm') set_new_code(nt.vars.back(), nv.text, nv.code);
    }
    title_rebuild(nt, title_width, words);
    return write_new_table(nt, out_path, 0);
}

namespace {

int run_calculation(const char* in_path, const char* out_path, const char* texts, int operation,
                    const char* inclusion, const std::array<const char*, max_selected_vars>& sel, int order,
                    const char* new_value, const char* beta_value, const char* constant) {
    in_file in;
    if (const int rc = open_source(in_path, out_path, in); rc != 0) return rc;
    table t = table_new();
    if (const int rc = metain(in, t); rc != 0) return rc;

    selection_state s;
    selection_begin(s, t);
    if (const int rc = mark_calculation(s, sel, operation, order); rc != 0) return rc;
    bearb req;
    if (const int rc = build_calc_request(s, operation, inclusion, beta_value, constant, req); rc != 0) return rc;
    calc_new_value nv;
    if (const int rc = set_calc_new_value(t, new_value, req, nv); rc != 0) return rc;
    return calculate_and_write(t, req, nv, &in, out_path, title_words_from_list(texts ? texts : ""));
}

}  // namespace

int calcvalues_list(const char* in_path, const char* out_path, const char* texts, int operation,
                    const char* inclusion, const std::array<const char*, max_selected_vars>& sel, int order,
                    const char* new_value, const char* beta_value, const char* constant) {
    return guard([&] {
        return run_calculation(in_path, out_path, texts, operation, inclusion, sel, order, new_value, beta_value,
                               constant);
    });
}

int calcvalues(const char* in_path, const char* out_path, const char* texts, int operation, const char* inclusion,
               const char* sel1, const char* sel2, const char* sel3, const char* sel4, const char* sel5,
               const char* sel6, const char* sel7, const char* sel8, const char* sel9, const char* sel10,
               const char* sel11, const char* sel12, const char* sel13, const char* sel14, const char* sel15,
               const char* sel16, int order, const char* new_value, const char* beta_value, const char* constant) {
    const std::array<const char*, max_selected_vars> sel = {sel1, sel2,  sel3,  sel4,  sel5,  sel6,  sel7,  sel8,
                                                            sel9, sel10, sel11, sel12, sel13, sel14, sel15, sel16};
    return calcvalues_list(in_path, out_path, texts, operation, inclusion, sel, order, new_value, beta_value,
                           constant);
}

}  // namespace vt
