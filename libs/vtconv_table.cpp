// Reading a table for a host (vt_table_* in vtconv.h): the table is read by
// the same reader and data reader as every conversion and then handed out
// piece by piece, so a host never parses a table file itself.
#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <string>

#include "core/cells.h"
#include "core/codes.h"
#include "core/guard.h"
#include "core/reader.h"
#include "core/table.h"
#include "export/frame.h"
#include "platform/text.h"
#include "vtconv.h"

struct vt_table {
    vt::table t;
    // Joined texts handed out by vt_table_text, kept so the pointers stay valid.
    mutable std::map<std::string, std::string> texts;
};

namespace {

const vt::variable* variable_at(const vt_table* h, int var) noexcept {
    if (!h || var < 0 || static_cast<std::size_t>(var) >= h->t.vars.size()) return nullptr;
    return &h->t.vars[static_cast<std::size_t>(var)];
}

const vt::value* value_at(const vt_table* h, int var, int val) noexcept {
    const vt::variable* v = variable_at(h, var);
    if (!v || val < 0 || static_cast<std::size_t>(val) >= v->values.size()) return nullptr;
    return &v->values[static_cast<std::size_t>(val)];
}

const char* c_str(const vt::opt_string& s) noexcept { return s ? s->c_str() : nullptr; }

std::string joined(const vt::text_list& list) {
    std::string out;
    for (const std::string& s : list) out += s;
    return out;
}

// The head text of `keyword`: absent when the table does not give it.
vt::opt_string head_text(const vt::table& t, std::string_view keyword) {
    using vt::plat::equal_nocase;
    const auto list = [](const vt::text_list& l) -> vt::opt_string {
        if (l.empty()) return std::nullopt;
        return joined(l);
    };
    if (equal_nocase(keyword, "MATRIX")) return t.matrix;
    if (equal_nocase(keyword, "TITLE")) return list(t.title);
    if (equal_nocase(keyword, "DESCRIPTION")) return list(t.description);
    if (equal_nocase(keyword, "CONTENTS")) return t.contents;
    if (equal_nocase(keyword, "UNITS")) return t.units;
    if (equal_nocase(keyword, "SUBJECT-AREA")) return t.subject_area;
    if (equal_nocase(keyword, "SUBJECT-CODE")) return t.subject_code;
    if (equal_nocase(keyword, "SOURCE")) return list(t.source);
    if (equal_nocase(keyword, "NOTE")) return list(t.note);
    if (equal_nocase(keyword, "NOTEX")) return list(t.notex);
    if (equal_nocase(keyword, "LANGUAGE")) return t.language;
    if (equal_nocase(keyword, "CONTVARIABLE")) return t.contvariable;
    return std::nullopt;
}

// 0 for a number, 1 .. 7 for the dot symbols, 8 for the dash.
signed char symbol_of(double x) noexcept {
    const char* token = vt::data_symbol_token(x);
    if (!token) return 0;
    if (token[1] == '-') return 8;
    return static_cast<signed char>(std::strlen(token) - 2);
}

}  // namespace

int vt_table_open(const char* path, const char* language, vt_table** out) {
    if (!out) return vt::codes::cannot_open;
    *out = nullptr;
    return vt::guard([&] {
        // Read as the conversions read: CELLNOTEX entries like CELLNOTE entries.
        vt::reader_state().cellnotex_batch_rules = false;
        auto h = std::make_unique<vt_table>();
        const int rc = vt::load_whole_table(path ? path : "", h->t, vt::codes::cannot_open, language ? language : "");
        if (rc != 0) return rc;
        *out = h.release();
        return 0;
    });
}

void vt_table_close(vt_table* table) { delete table; }

int vt_table_variables(const vt_table* table) { return table ? static_cast<int>(table->t.vars.size()) : 0; }

int vt_table_stub_variables(const vt_table* table) { return table ? static_cast<int>(table->t.stub_count()) : 0; }

int vt_table_values(const vt_table* table, int var) {
    const vt::variable* v = variable_at(table, var);
    return v ? static_cast<int>(v->values.size()) : 0;
}

const char* vt_table_variable_name(const vt_table* table, int var) {
    const vt::variable* v = variable_at(table, var);
    return v ? c_str(v->name) : nullptr;
}

const char* vt_table_value_text(const vt_table* table, int var, int val) {
    const vt::value* v = value_at(table, var, val);
    return v ? v->text.c_str() : nullptr;
}

const char* vt_table_value_code(const vt_table* table, int var, int val) {
    const vt::value* v = value_at(table, var, val);
    return v ? c_str(v->code) : nullptr;
}

const char* vt_table_text(const vt_table* table, const char* keyword) {
    if (!table || !keyword) return nullptr;
    return vt::guard_value<const char*>([&]() -> const char* {
        vt::opt_string text = head_text(table->t, keyword);
        if (!text) return nullptr;
        // The handle owns the text; a repeated call hands out the same one.
        std::string& kept = table->texts[vt::plat::lower_ascii(keyword)];
        kept = std::move(*text);
        return kept.c_str();
    }, nullptr);
}

int vt_table_decimals(const vt_table* table, int shown) {
    if (!table) return -1;
    return shown ? table->t.showdecimals : table->t.decimals;
}

long long vt_table_cell_count(const vt_table* table) {
    return table ? static_cast<long long>(table->t.data_handle.size()) : 0;
}

long long vt_table_cells(const vt_table* table, long long first, long long count, double* values,
                         signed char* symbols) {
    if (!table || first < 0 || count < 0) return -1;
    const auto total = static_cast<long long>(table->t.data_handle.size());
    if (first >= total) return 0;
    const long long n = std::min(count, total - first);
    const double* cells = table->t.data() + first;
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    // Numbers are never below -9e18 nor inside (0, 1e-24): a cell is a
    // symbol only in those ranges, so the common case costs two compares.
    for (long long i = 0; i < n; ++i) {
        const double x = cells[i];
        const bool maybe_symbol = x <= -9e18 || (x > 0 && x < 1e-24);
        const signed char s = maybe_symbol ? symbol_of(x) : 0;
        if (values) values[i] = s ? nan : x;
        if (symbols) symbols[i] = s;
    }
    return n;
}
