// The statement handlers of the table file reader: what each keyword's value
// looks like, where it is stored and which problem it notes. The keyword
// table (core/reader_keywords.cpp) says which handler serves which keyword.
//
// A handler returns 0 or a fatal code. A problem that lets the read go on
// is noted instead; the reader returns the first noted problem at the end.
// A per-variable statement that names no variable of the table is ignored
// without a problem.
#include <algorithm>
#include <cstring>
#include <string>

#include "core/codes.h"
#include "core/reader_keywords.h"
#include "core/timeval.h"
#include "platform/text.h"

namespace vt::reading {

namespace {

constexpr int unknown_variable = codes::reader_unknown_variable;

// Unquoted digits after optional blanks, ended by a blank, a tab, a line
// break or ";" (taken). False when there is no digit or another character
// comes first. Large numbers are held at a ceiling instead of overflowing.
bool read_digits(in_file& f, int& value) {
    int c = f.peek();
    while (c == ' ' || c == '\t') {
        f.get();
        c = f.peek();
    }
    long long v = 0;
    int n = 0;
    for (;;) {
        c = f.get();
        if (c >= '0' && c <= '9') {
            v = std::min<long long>(v * 10 + (c - '0'), 1000000000LL);
            ++n;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n' || c == ';' || c == in_file::eof) break;
        return false;
    }
    value = static_cast<int>(v);
    return n > 0;
}

// Digits after optional blanks up to one of the given terminators (taken);
// blanks before the terminator are allowed. Returns the terminator met, or
// 0 when the field is not a number.
int read_digits_until(in_file& f, int& value, const char* stops) {
    long long v = 0;
    int n = 0;
    bool trailing = false;
    for (;;) {
        int c = f.get();
        if (c == in_file::eof) return 0;
        if (c == ' ' || c == '\t' || c == '\n') {
            if (n > 0) trailing = true;
            continue;
        }
        if (std::strchr(stops, c)) {
            if (n == 0) return 0;
            value = static_cast<int>(v);
            return c;
        }
        if (c < '0' || c > '9' || trailing) return 0;
        v = std::min<long long>(v * 10 + (c - '0'), 1000000000LL);
        ++n;
    }
}

// An unquoted word up to ";" (taken), blanks around it dropped. False when
// the file ends first or the word is longer than `limit`.
bool read_word(in_file& f, std::string& out, std::size_t limit) {
    out.clear();
    skip_space(f);
    for (;;) {
        int c = f.get();
        if (c == in_file::eof) return false;
        if (c == ';') break;
        if (out.size() > limit + 64) return false;  // far past any sensible word
        out.push_back(static_cast<char>(c));
    }
    while (!out.empty() && is_blank(static_cast<unsigned char>(out.back()))) out.pop_back();
    return out.size() <= limit;
}

// The first character after blanks (and, when asked, double quotes).
int first_char(in_file& f, bool skip_quotes) noexcept {
    for (;;) {
        int c = f.get();
        if (c == ' ' || c == '\t' || c == '\n' || (skip_quotes && c == '"')) continue;
        return c;
    }
}

int upper(int c) noexcept { return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c; }

int find_value_text(const variable& v, std::string_view s) noexcept {
    for (std::size_t i = 0; i < v.values.size(); ++i)
        if (v.values[i].text == s) return static_cast<int>(i);
    return -1;
}

int find_value_key(const variable& v, std::string_view s) noexcept {
    for (std::size_t i = 0; i < v.values.size(); ++i) {
        const value& val = v.values[i];
        if ((val.code ? *val.code : val.text) == s) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

int value_finder::find(const variable& v, std::string_view s, bool by_key) {
    if (v.values.size() < 32) return by_key ? find_value_key(v, s) : find_value_text(v, s);
    auto& m = maps_[{&v, by_key}];
    if (m.empty()) {
        m.reserve(v.values.size());
        for (std::size_t i = 0; i < v.values.size(); ++i) {
            const value& val = v.values[i];
            std::string_view k = by_key && val.code ? std::string_view(*val.code) : std::string_view(val.text);
            m.emplace(k, static_cast<int>(i));  // the first of equal texts wins
        }
    }
    auto it = m.find(s);
    return it == m.end() ? -1 : it->second;
}

// ---------------------------------------------------------------------------
// Shared pieces.

int statement_reader::ref(int& idx, char expect, int problem) {
    int stop = 0;
    int r = find_variable_ref(f, t, names_read, idx, &stop);
    if (r == unknown_variable) return unknown_variable;
    if (r != 0 || stop != expect) return problem;
    return 0;
}

bool statement_reader::noted_ref(int& idx, char expect, int problem) {
    int r = ref(idx, expect, problem);
    if (r == unknown_variable) return false;
    if (r != 0) {
        note(problem);
        return false;
    }
    return true;
}

int statement_reader::one_string(opt_string& dst, std::size_t max, int problem, string_rule rule) {
    int r = read_single_string(f, max, dst);
    if (r == 0) return 0;
    if (r == codes::no_memory) return r;
    if (r == q_none || r == q_bad) {
        if (rule == string_rule::fatal) return problem;
        note(problem);
        return 0;
    }
    if (rule != string_rule::noted) return r;
    note(problem);
    return 0;
}

int statement_reader::text_list_of(text_list& dst, int problem) {
    text_list list;
    int r = read_text_list(f, list);
    if (r == codes::no_memory) return r;
    if (r != 0) {
        note(problem);
        return 0;
    }
    dst = std::move(list);
    return 0;
}

int statement_reader::yes_no_first(int& dst, int problem) {
    int c = upper(first_char(f, false));
    if (c == 'Y') dst = 1;
    else if (c == 'N') dst = 0;
    else note(problem);
    return 0;
}

int statement_reader::yes_no_word(int problem) {
    std::string w;
    int yn = -1;
    if (read_word(f, w, 9) && !w.empty()) {
        if (upper(static_cast<unsigned char>(w[0])) == 'Y') yn = 1;
        else if (upper(static_cast<unsigned char>(w[0])) == 'N') yn = 0;
    }
    if (yn < 0) note(problem);
    return yn;
}

int statement_reader::value_ref(const variable& v) {
    int c = skip_space(f);
    int pos = -1;
    std::string s;
    if (c == '"') {
        if (read_bare_quoted(f, s, 256) != 0) return -1;
        pos = finder.text(v, s);
    } else if (c >= '0' && c <= '9') {
        long long n = 0;
        while ((c = f.peek()) >= '0' && c <= '9') {
            n = std::min<long long>(n * 10 + (c - '0'), 1000000000LL);
            f.get();
        }
        pos = (n >= 1 && n <= v.value_count) ? static_cast<int>(n - 1) : -1;
    } else {
        return -1;
    }
    if (skip_to(f, '=') == in_file::eof) return -1;
    return pos;
}

const variable* statement_reader::contents_variable() const {
    for (const variable& v : t.vars)
        if (t.contvariable && v.name == t.contvariable) return &v;
    return nullptr;
}

// ---------------------------------------------------------------------------
// Table-level statements.

int statement_reader::units() {
    int r = read_single_string(f, 256, t.units);
    if (r == codes::no_memory) return r;
    if (r == q_none || r == q_bad) return codes::reader_bad_units;
    if (r == q_paren) return r;
    if (t.units) {
        std::string& u = *t.units;
        while (!u.empty() && u.back() == ' ') u.pop_back();
        if (u.empty()) t.units.reset();
    }
    // A string followed by "," or a line break goes on as a per-content
    // UNITS( statement.
    if (r == q_comma || r == q_newline) return per_content(kw_units_c, codes::reader_bad_units);
    return 0;
}

int statement_reader::names(bool stub, int problem) {
    std::vector<variable> vs;
    int r = read_name_list(f, vs, names_read);
    if (r == codes::no_memory) return r;
    if (r != 0) return problem;
    if (stub) {
        stub_n = vs.size();
        t.vars.insert(t.vars.begin(), std::make_move_iterator(vs.begin()), std::make_move_iterator(vs.end()));
    } else {
        t.vars.insert(t.vars.end(), std::make_move_iterator(vs.begin()), std::make_move_iterator(vs.end()));
    }
    t.heading = stub_n;
    finder.forget();
    return 0;
}

int statement_reader::unquoted_number(int& dst, int most, int problem, bool fatal) {
    int n = 0;
    if (read_digits(f, n) && n <= most) {
        dst = n;
        return 0;
    }
    if (fatal) return problem;
    note(problem);
    return 0;
}

int statement_reader::velt_version(int problem) {
    int r = read_single_string(f, 256, t.velt_version);
    if (r == codes::no_memory) return r;
    if (r == q_none || r == q_bad) {
        t.velt_version.reset();
        note(problem);
    } else if (r != 0) {
        note(r);  // the terminator's result, as the version has always been reported
    }
    return 0;
}

// STOCKFA= and CFPRICES=: the first character after blanks and quotes, one
// of `letters` in either case.
int statement_reader::letter_choice(char& dst, std::string_view letters, int problem) {
    int c = upper(first_char(f, true));
    if (c != in_file::eof && letters.find(static_cast<char>(c)) != std::string_view::npos)
        dst = static_cast<char>(c);
    else
        note(problem);
    return 0;
}

int statement_reader::contvariable() {
    opt_string name;
    int r = read_single_string(f, 80, name);
    if (r == codes::no_memory) return r;
    bool exists = false;
    if (r == 0)
        for (const variable& v : t.vars)
            if (v.name == name) exists = true;
    if (!exists) {
        note(codes::reader_bad_contvariable);
        return 0;
    }
    t.contvariable = std::move(name);
    ++contvariable_ok;
    return 0;
}

int statement_reader::keys_no() {
    int c = upper(first_char(f, false));
    if (c != 'N') return codes::reader_bad_keys;
    keys_no_read = true;
    return 0;
}

int statement_reader::charset(int problem) {
    opt_string cs;
    int r = read_single_string(f, 20, cs);
    if (r == codes::no_memory) return r;
    int c = upper((r == 0 && cs && !cs->empty()) ? static_cast<unsigned char>((*cs)[0]) : 0);
    if (c == 'O') cfg.oem_input = true;
    else if (c == 'A') cfg.oem_input = false;
    else note(problem);
    return 0;
}

int statement_reader::descriptiondefault(int problem) {
    int yn = yes_no_word(problem);
    if (yn == 0) t.descriptiondefault = 0;
    // YES counts only for a table that has a description.
    if (yn == 1 && !t.description.empty()) t.descriptiondefault = 1;
    return 0;
}

int statement_reader::rounding(int problem) {
    std::string w;
    if (read_word(f, w, 9) && (w == "0" || w == "1")) t.rounding = w[0] - '0';
    else note(problem);
    return 0;
}

// ---------------------------------------------------------------------------
// Per-variable statements.

int statement_reader::values(int problem) {
    int idx = 0;
    int r = ref(idx, '=', problem);
    if (r == unknown_variable) return 0;
    if (r != 0) return problem;
    std::vector<value> vals;
    int count = 0, maxlen = 0;
    r = read_value_list(f, count, maxlen, vals);
    if (r == codes::no_memory) return r;
    if (r != 0) return problem;
    variable& v = t.vars[static_cast<std::size_t>(idx)];
    // The first list of a variable stands: cell notes, codes and value notes
    // read since then refer to its positions, and a second list would leave
    // them pointing at values that are gone or different.
    if (!v.values.empty()) return 0;
    finder.forget();
    v.values = std::move(vals);
    v.value_count = count;
    v.max_text_len = maxlen;
    v.prestext = 1;
    if (v.elimination_value >= count) v.elimination_value = -1;
    return 0;
}

// CODES( and TEXTS(: one code per value in value order; an empty position
// leaves its value without code, and a list that ends early leaves the rest
// without. More codes than values drops every code of the variable.
int statement_reader::value_codes(int problem) {
    int idx = 0;
    if (!noted_ref(idx, '=', problem)) return 0;
    variable& v = t.vars[static_cast<std::size_t>(idx)];
    finder.forget();
    std::string s;
    for (int i = 0;; ++i) {
        int none = 0;
        int r = read_quoted(f, s, i == 0 ? 256 : 257, &none);
        if (r == q_bad || r == q_paren) {
            note(problem);
            return 0;
        }
        if (i >= v.value_count) {
            if (r == q_none && none == ';') return 0;  // a trailing empty position
            for (value& val : v.values) val.code.reset();
            note(problem);
            return 0;
        }
        value& val = v.values[static_cast<std::size_t>(i)];
        if (r == q_none) {
            val.code.reset();
            if (none == ';') return 0;
            continue;
        }
        val.code = s;
        if (r == q_last) return 0;
    }
}

int statement_reader::var_text_list(bool notex, int problem) {
    int idx = 0;
    if (!noted_ref(idx, '=', problem)) return 0;
    variable& v = t.vars[static_cast<std::size_t>(idx)];
    return text_list_of(notex ? v.notex : v.note, problem);
}

value* statement_reader::noted_value(int problem) {
    int idx = 0;
    if (!noted_ref(idx, ',', problem)) return nullptr;
    variable& v = t.vars[static_cast<std::size_t>(idx)];
    int pos = value_ref(v);
    if (pos < 0) {
        note(problem);
        return nullptr;
    }
    return &v.values[static_cast<std::size_t>(pos)];
}

int statement_reader::value_note(bool notex, int problem) {
    value* val = noted_value(problem);
    if (!val) return 0;
    // A list that is read replaces the earlier one; a faulty one keeps it.
    text_list list;
    const int r = text_list_of(list, problem);
    if (!list.empty()) (notex ? val->valuenotex : val->valuenote) = std::move(list);
    return r;
}

// CELLNOTE(, CELLNOTEX( and DATANOTECELL(: one quoted reference per
// variable in chain order, ")", "=", then the text as one or more quoted
// strings. An entry is taken whole or not at all, so the k-th reference of
// every variable and the k-th text always belong together.
int statement_reader::cell_entry(int kind, int problem) {
    const bool batch_x = kind == kw_cellnotex && cfg.cellnotex_batch_rules;
    auto reject = [&] {
        note(problem);
        if (batch_x) {
            // The batch rules drop every CELLNOTEX entry read so far.
            t.cellnotex_texts.clear();
            for (variable& v : t.vars) v.cellnotex_refs.clear();
        }
        return 0;
    };

    std::vector<std::string> refs;
    std::string s;
    for (;;) {
        int r = read_quoted(f, s, 257);
        if (r == q_comma || r == q_newline) {
            refs.push_back(s);
            continue;
        }
        if (r == q_paren) {
            s.pop_back();
            refs.push_back(s);
            break;
        }
        return reject();  // ";" ends the list too early, or it is malformed
    }
    if (skip_to(f, '=') == in_file::eof) return reject();

    std::string text;
    const bool text_ok = read_joined_strings(f, text) == q_last;

    if (refs.size() != t.vars.size()) return reject();
    std::vector<cell_ref> resolved(refs.size());
    for (std::size_t i = 0; i < refs.size(); ++i) {
        if (refs[i] == "*") {
            resolved[i] = any_value;
            continue;
        }
        const variable& v = t.vars[i];
        int p = kind == kw_datanotecell ? finder.key(v, refs[i]) : finder.text(v, refs[i]);
        if (p < 0) return reject();
        resolved[i] = p;
    }
    if (!text_ok) {
        if (!batch_x) return reject();
        text = "Wrong text!";
        note(problem);
    }

    for (std::size_t i = 0; i < t.vars.size(); ++i) {
        variable& v = t.vars[i];
        cell_ref_list& list = kind == kw_cellnote    ? v.cellnote_refs
                              : kind == kw_cellnotex ? v.cellnotex_refs
                                                     : v.datanotecell_refs;
        list.push_back(resolved[i]);
        if (kind == kw_datanotecell) {
            datanotecell rec;
            rec.position = static_cast<int>(i);
            rec.count = v.value_count;
            rec.marks.assign(static_cast<std::size_t>(v.value_count), resolved[i] == any_value ? 1 : 0);
            if (resolved[i] != any_value) {
                rec.marks[static_cast<std::size_t>(resolved[i])] = 1;
                v.values[static_cast<std::size_t>(resolved[i])].has_datanote = 1;
            }
            if (i + 1 == t.vars.size()) rec.symbol = text.substr(0, 20);
            t.datanotecells.push_back(std::move(rec));
        }
    }
    text_list& texts = kind == kw_cellnote    ? t.cellnote_texts
                       : kind == kw_cellnotex ? t.cellnotex_texts
                                              : t.datanotecell_texts;
    texts.push_back(std::move(text));
    return 0;
}

// ELIMINATION("var")=YES; or ELIMINATION("var")="value text";
int statement_reader::elimination(int problem) {
    int idx = 0;
    if (!noted_ref(idx, '=', problem)) return 0;
    variable& v = t.vars[static_cast<std::size_t>(idx)];
    std::string s;
    if (skip_space(f) == '"') {
        if (read_bare_quoted(f, s, 256) != 0) {
            note(problem);
            return 0;
        }
        int p = finder.text(v, s);
        if (p < 0) {
            note(codes::reader_no_such_value);
            return 0;
        }
        v.elimination_value = p;
        return 0;
    }
    if (!read_word(f, s, 9) || !plat::equal_nocase(s, "YES")) {
        note(problem);
        return 0;
    }
    v.elimination = 1;
    return 0;
}

// PARTITIONED("var")="text",start[,length]; After the first failure every
// later PARTITIONED( is ignored and the failing variable loses its list,
// so no variable is left with a partial set of partitions.
int statement_reader::partitioned(int problem) {
    if (partition_failed) return 0;
    int idx = -1;
    int r = ref(idx, '=', problem);
    if (r == unknown_variable) return 0;
    auto fail = [&] {
        partition_failed = true;
        if (idx >= 0) t.vars[static_cast<std::size_t>(idx)].partitions.clear();
        note(problem);
        return 0;
    };
    if (r != 0) {
        idx = -1;
        return fail();
    }
    partition p;
    if (read_quoted(f, p.text, 70) != q_comma) return fail();
    int stop = read_digits_until(f, p.start, ",;");
    if (stop == 0) return fail();
    if (stop == ',' && read_digits_until(f, p.length, ";") == 0) return fail();
    t.vars[static_cast<std::size_t>(idx)].partitions.push_back(std::move(p));
    return 0;
}

// PRECISION("var","value")=n; with one digit.
int statement_reader::precision(int problem) {
    value* val = noted_value(problem);
    if (!val) return 0;
    int c = first_char(f, false);
    if (c < '0' || c > '9' || first_char(f, false) != ';') {
        note(problem);
        return 0;
    }
    val->precision = c - '0';
    return 0;
}

// DOMAIN(, MAP( and VARIABLE-TYPE(: a variable reference and one string.
int statement_reader::var_string(opt_string variable::*field, std::size_t max, int problem, string_rule rule) {
    int idx = 0;
    int r = ref(idx, '=', problem);
    if (r == unknown_variable) return 0;
    if (r != 0) {
        if (rule == string_rule::fatal) return problem;
        note(problem);
        return 0;
    }
    return one_string(t.vars[static_cast<std::size_t>(idx)].*field, max, problem, rule);
}

// TIMEVAL("var")=TLIST(s),"c1","c2",...; or TIMEVAL("var")=TLIST(s,"first"-"last");
// A list that does not fit is dropped without a problem, and so is every
// later TIMEVAL(; values made from its codes remain.
int statement_reader::timeval() {
    if (timeval_failed) return 0;
    int idx = 0;
    int r = ref(idx, '=', codes::reader_malformed);
    if (r == unknown_variable) return 0;
    timeval_failed = true;  // cleared below once the list is accepted
    if (r != 0) return 0;
    variable& v = t.vars[static_cast<std::size_t>(idx)];

    std::string word;
    skip_space(f);
    for (int i = 0; i < 6; ++i) {
        int c = f.get();
        if (c == in_file::eof) return 0;
        word.push_back(static_cast<char>(upper(c)));
    }
    if (word != "TLIST(") return 0;
    std::string scale;
    for (int i = 0; i < 2; ++i) {
        int c = f.get();
        if (c == in_file::eof) return 0;
        scale.push_back(static_cast<char>(upper(c)));
    }
    if (scale != "A1" && scale != "H1" && scale != "Q1" && scale != "M1" && scale != "W1") return 0;

    std::vector<timeval_entry> list;
    int c = first_char(f, false);
    if (c == ')') {
        // TLIST(s),"c1","c2",...;
        if (first_char(f, false) != ',') return 0;
        std::string code;
        for (;;) {
            r = read_quoted(f, code, 257);
            if (r != q_last && r != q_comma && r != q_newline) return 0;
            list.push_back({scale, code});
            if (r == q_last) break;
        }
    } else if (c == ',') {
        // TLIST(s,"first"-"last");
        std::string first, last;
        if (read_bare_quoted(f, first, 256) != 0) return 0;
        if (first_char(f, false) != '-') return 0;
        if (read_bare_quoted(f, last, 256) != 0) return 0;
        if (first_char(f, false) != ')') return 0;
        if (skip_space(f) == ';') f.get();
        if (!timeval_range(scale, first, last, list)) return 0;
    } else {
        return 0;
    }

    if (v.values.empty()) {
        finder.forget();
        // The time list makes the values.
        int maxlen = 0;
        for (const timeval_entry& e : list) {
            value val;
            val.text = timeval_text(e.scale, e.code);
            maxlen = std::max(maxlen, static_cast<int>(val.text.size()));
            v.values.push_back(std::move(val));
        }
        v.value_count = static_cast<int>(v.values.size());
        v.max_text_len = maxlen;
        v.prestext = 1;
    }
    if (!timeval_valid(v, list)) return 0;
    t.timeval = std::move(list);
    v.is_time = 1;
    timeval_failed = false;
    seen[kw_timeval] = true;
    return 0;
}

// PRESTEXT("var")=n; the number is stored even when it is out of range.
int statement_reader::prestext(int problem) {
    int idx = 0;
    int r = ref(idx, '=', problem);
    if (r == unknown_variable) return 0;
    int n = 0;
    if (r != 0 || !read_digits(f, n)) {
        note(problem);
        return 0;
    }
    t.vars[static_cast<std::size_t>(idx)].prestext = n;
    if (n > 3) note(problem);
    return 0;
}

// KEYS("stub variable")=VALUES; or =CODES;
int statement_reader::keys() {
    ++keys_count;
    std::string name;
    if (read_quoted(f, name, 257) != q_paren) return codes::reader_bad_keys;
    name.pop_back();
    int idx = -1;
    for (std::size_t i = 0; i < stub_n && i < t.vars.size(); ++i)
        if (t.vars[i].name == name) idx = static_cast<int>(i);
    if (idx < 0 || skip_to(f, '=') == in_file::eof) return codes::reader_bad_keys;
    std::string word;
    if (!read_word(f, word, 6)) return codes::reader_bad_keys;
    int mode = plat::equal_nocase(word, "VALUES") ? 1 : plat::equal_nocase(word, "CODES") ? 2 : 0;
    if (mode == 0) return codes::reader_bad_keys;
    t.vars[static_cast<std::size_t>(idx)].keys_mode = mode;
    return 0;
}

int statement_reader::doublecolumn(int problem) {
    int idx = 0;
    if (!noted_ref(idx, '=', problem)) return 0;
    int yn = yes_no_word(problem);
    if (yn >= 0) {
        t.vars[static_cast<std::size_t>(idx)].doublecolumn = yn;
        if (yn == 1) ++doublecolumn_yes;
    }
    return 0;
}

// HIERARCHYLEVELSOPEN( and HIERARCHYLEVELS(: a reference and unquoted digits.
int statement_reader::hierarchy_digits(int variable::*field, bool fatal, int problem) {
    int idx = 0;
    if (!noted_ref(idx, '=', problem)) return 0;
    int n = 0;
    if (!read_digits(f, n)) {
        if (fatal) return problem;
        note(problem);
        return 0;
    }
    t.vars[static_cast<std::size_t>(idx)].*field = n;
    return 0;
}

int statement_reader::hierarchynames(int problem) {
    int idx = 0;
    if (!noted_ref(idx, '=', problem)) return 0;
    return text_list_of(t.vars[static_cast<std::size_t>(idx)].hierarchynames, problem);
}

// "root","parent":"child","parent":"child",...;
int statement_reader::hierarchies(int problem) {
    int idx = 0;
    if (!noted_ref(idx, '=', problem)) return 0;
    std::vector<hierarchy_link> links;
    std::string s;
    opt_string parent;
    for (;;) {
        if (read_bare_quoted(f, s, 256) != 0) {
            note(problem);
            return 0;
        }
        int c = first_char(f, false);
        if (c == ':') {
            if (parent) {
                note(problem);
                return 0;
            }
            parent = s;
            continue;
        }
        if (c != ',' && c != ';') {
            note(problem);
            return 0;
        }
        links.push_back({parent ? *parent : std::string("START"), s});
        parent.reset();
        if (c == ';') break;
    }
    variable& v = t.vars[static_cast<std::size_t>(idx)];
    v.hierarchies = std::move(links);
    v.has_hierarchy = 1;
    return 0;
}

// ---------------------------------------------------------------------------
// Per-content statements: LAST-UPDATED("c")= and its kin give one item of
// the contents value c, so they need CONTVARIABLE= first.

int statement_reader::per_content(int code, int problem) {
    if (contvariable_ok == 0) {
        note(codes::reader_bad_contvariable);
        return 0;
    }
    std::string content;
    if (read_quoted(f, content, 257) != q_paren) {
        note(problem);
        return 0;
    }
    content.pop_back();
    const variable* cv = contents_variable();
    if (!cv || finder.text(*cv, content) < 0 || skip_to(f, '=') == in_file::eof) {
        note(problem);
        return 0;
    }

    continfo item;
    bool ok = true;
    switch (code) {
    case kw_baseperiod_c:
    case kw_contact_c:
    case kw_refperiod_c: {
        text_list list;
        int r = read_text_list(f, list);
        if (r == codes::no_memory) return r;
        ok = r == 0;
        if (code == kw_baseperiod_c) item.baseperiod = std::move(list);
        if (code == kw_contact_c) item.contact = std::move(list);
        if (code == kw_refperiod_c) item.refperiod = std::move(list);
        break;
    }
    case kw_last_updated_c:
    case kw_units_c: {
        int r = read_single_string(f, 256, code == kw_units_c ? item.units : item.last_updated);
        if (r == codes::no_memory) return r;
        ok = r == 0;
        break;
    }
    case kw_cfprices_c:
    case kw_stockfa_c: {
        int c = upper(first_char(f, true));
        ok = code == kw_cfprices_c ? (c == 'C' || c == 'F') : (c == 'S' || c == 'F' || c == 'A');
        if (ok && code == kw_cfprices_c) item.cfprices = static_cast<char>(c);
        if (ok && code == kw_stockfa_c) item.stockfa = static_cast<char>(c);
        break;
    }
    default: {  // SEASADJ(, DAYADJ(
        int c = upper(first_char(f, false));
        int yn = c == 'Y' ? 1 : c == 'N' ? 0 : -1;
        ok = yn >= 0;
        if (code == kw_seasadj_c) item.seasadj = yn;
        else item.dayadj = yn;
        break;
    }
    }
    if (!ok) {
        note(problem);
        return 0;
    }

    continfo* rec = nullptr;
    for (continfo& ci : t.continfos)
        if (ci.content == content) rec = &ci;
    if (!rec && !t.continfos.front().content) rec = &t.continfos.front();
    if (!rec) rec = &t.continfos.emplace_back();
    rec->content = content;
    switch (code) {
    case kw_baseperiod_c: rec->baseperiod = std::move(item.baseperiod); break;
    case kw_contact_c: rec->contact = std::move(item.contact); break;
    case kw_refperiod_c: rec->refperiod = std::move(item.refperiod); break;
    case kw_last_updated_c: rec->last_updated = std::move(item.last_updated); break;
    case kw_units_c: rec->units = std::move(item.units); break;
    case kw_cfprices_c: rec->cfprices = item.cfprices; break;
    case kw_stockfa_c: rec->stockfa = item.stockfa; break;
    case kw_seasadj_c: rec->seasadj = item.seasadj; break;
    default: rec->dayadj = item.dayadj; break;
    }
    per_content_used = true;
    return 0;
}

}  // namespace vt::reading
