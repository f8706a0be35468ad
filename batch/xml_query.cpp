// The XML query reader of vtbatch: the token scanner, the step reader that
// turns each step into a job, and the run loop that hands the jobs to the
// driver one by one.
#include "batch/xml_query.h"

#include <array>
#include <cstdio>
#include <string_view>
#include <utility>

#include "batch/driver.h"
#include "batch/ini_query.h"
#include "core/codes.h"
#include "core/infile.h"
#include "core/reader.h"
#include "core/table.h"
#include "platform/fsinfo.h"

namespace vt::batch {

using plat::overwrites_input;

namespace {

bool starts_with(std::string_view s, std::string_view prefix) noexcept {
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

// ---------------------------------------------------------------------------
// Tokens.

// The query file in memory, cut into tokens on demand. A query file is a
// few kilobytes; holding it whole keeps the scanning a plain index walk.
class scanner {
public:
    // False when the file cannot be opened or read. A Ctrl-Z byte ends the
    // text, as it does for every text file this system reads.
    bool load(const std::string& path) {
        if (!plat::read_regular_file(plat::native_path(path), data_)) return false;
        const std::size_t eof_mark = data_.find('\x1A');
        if (eof_mark != std::string::npos) data_.resize(eof_mark);
        return true;
    }

    // The next token: from the first byte that is no blank, tab or line end
    // up to and including the next ">" or up to the line end. False at the
    // end of the file.
    bool next(std::string& tok) {
        if (has_pending_) {
            tok = std::move(pending_);
            has_pending_ = false;
            return true;
        }
        while (pos_ < data_.size() && is_space(data_[pos_])) ++pos_;
        if (pos_ >= data_.size()) return false;
        const std::size_t start = pos_;
        while (pos_ < data_.size() && !is_line_end(data_[pos_]))
            if (data_[pos_++] == '>') break;
        tok.assign(data_, start, pos_ - start);
        return true;
    }

    // Gives a token back: the next call of next() returns it again.
    void unget(std::string tok) {
        pending_ = std::move(tok);
        has_pending_ = true;
    }

    // The content of the element whose start token was just taken: the text
    // up to the next "<" or line end, as written. When a "<" ends it, the
    // rest of the end tag (up to ">" or the line end) is taken too, so the
    // element is read completely.
    std::string content() {
        const std::size_t start = pos_;
        while (pos_ < data_.size() && data_[pos_] != '<' && !is_line_end(data_[pos_])) ++pos_;
        std::string out(data_, start, pos_ - start);
        if (pos_ < data_.size() && data_[pos_] == '<') {
            ++pos_;
            while (pos_ < data_.size() && !is_line_end(data_[pos_]))
                if (data_[pos_++] == '>') break;
        }
        return out;
    }

private:
    static bool is_line_end(char c) noexcept { return c == '\r' || c == '\n'; }
    static bool is_space(char c) noexcept { return c == ' ' || c == '\t' || is_line_end(c); }

    std::string data_;
    std::size_t pos_ = 0;
    std::string pending_;
    bool has_pending_ = false;
};

// The start of a plain element: "<name>".
bool is_element(std::string_view tok, std::string_view name) noexcept {
    return tok.size() == name.size() + 2 && tok.front() == '<' && tok.back() == '>' &&
           tok.compare(1, name.size(), name) == 0;
}

constexpr std::string_view step_start = "<vtquery step=";
constexpr std::string_view first_step_start = "<vtquery step=\"1";

// The text of attribute `attr` (written attr="..." or attr='...') in a
// start token, or "" when the token has no such attribute. A token cut by a
// line end has no closing quote: its text then runs to the token's end.
std::string attribute(std::string_view tok, std::string_view attr) {
    const std::string key = " " + std::string(attr) + "=";
    const std::size_t at = tok.find(key);
    if (at == std::string_view::npos) return {};
    std::size_t i = at + key.size();
    if (i >= tok.size()) return {};
    const char quote = tok[i];
    if (quote != '"' && quote != '\'') return {};
    ++i;
    std::size_t end = tok.find(quote, i);
    if (end == std::string_view::npos) {
        end = tok.size();
        if (end > i && tok[end - 1] == '>') --end;
    }
    return std::string(tok.substr(i, end - i));
}

// The header elements (before the first step).
void read_header_element(scanner& sc, const std::string& tok, xml_settings& s) {
    static constexpr std::array<std::string_view, 4> word_ids = {"and", "by", "dist", "unit"};
    static constexpr std::array<std::string_view, 8> symbol_names = {
        "symbol1", "symbol2", "symbol3", "symbol4", "symbol5", "symbol6", "symbol7", "symbolnil"};
    if (is_element(tok, "vtlangsuffix")) {
        const std::string c = sc.content();
        // Two leading blanks are how a query says "no language".
        s.language = starts_with(c, "  ") ? std::string() : c;
        s.language_given = true;
        return;
    }
    if (is_element(tok, "rounding")) {
        s.rounding = starts_with(sc.content(), "1") ? 1 : 0;
        return;
    }
    if (is_element(tok, "secrecy")) {
        s.secrecy = starts_with(sc.content(), "1") ? 1 : 0;
        return;
    }
    for (std::size_t i = 0; i < word_ids.size(); ++i) {
        if (tok == "<text id=\"" + std::string(word_ids[i]) + "\">") {
            s.words[i] = sc.content();
            return;
        }
    }
    for (std::size_t i = 0; i < symbol_names.size(); ++i) {
        if (is_element(tok, symbol_names[i])) {
            s.symbols[i] = sc.content();
            return;
        }
    }
}

// ---------------------------------------------------------------------------
// Input tables of the selection steps.

// Reads the keyword part of `path` in `language` without leaving the
// language selected for the reads that follow. 0, 400 or the reader's code.
int read_input_table(const std::string& path, const std::string& language, table& t) {
    const reader_language_scope scope(language, true);
    in_file f;
    return read_table_file(path, f, t);
}

// The 1-based position of the variable named exactly `name`, or 0.
int find_variable(const table& t, const std::string& name) noexcept {
    for (std::size_t i = 0; i < t.vars.size(); ++i)
        if (t.vars[i].name && *t.vars[i].name == name) return static_cast<int>(i) + 1;
    return 0;
}

// The 1-based position of the value with this code (or text), or 0.
int find_value(const variable& v, const std::string& wanted, bool by_code) noexcept {
    for (std::size_t i = 0; i < v.values.size(); ++i) {
        const value& val = v.values[i];
        if (by_code ? (val.code && *val.code == wanted) : val.text == wanted) return static_cast<int>(i) + 1;
    }
    return 0;
}

std::string number_run(int from, int to) {
    std::string out;
    for (int i = from; i <= to; ++i) {
        if (!out.empty()) out += ',';
        out += std::to_string(i);
    }
    return out;
}

// One variable block's selection as its value elements build it.
struct block_result {
    std::string list;
    int first_pos = 0;  // position found for the first looked-up value
    int last_pos = 0;   // ... and for the last one
};

// ---------------------------------------------------------------------------
// The step reader.

class query_reader {
public:
    bool open(const std::string& path) {
        path_ = path;
        return sc_.load(path);
    }

    const xml_settings& current() const { return s_; }

    // Reads the next step into `st`. False when there is none (the file
    // ended, or an earlier step ended the run).
    bool next(xml_step& st) {
        if (done_) return false;
        if (!header_read_) read_header();
        if (!at_step_) {
            done_ = true;
            return false;
        }
        at_step_ = false;
        st = xml_step{};
        if (!read_step_header()) {
            done_ = true;
            return false;
        }
        st.name = s_.function;
        st.j.query_path = path_;
        fill_common(s_, st.j);
        if (same_input_output()) return stop(st, codes::batch_same_file);

        const xml_function f = find_xml_function(st.name);
        if (!f.row) {
            skip_to_next_step();
            return true;
        }
        st.row = f.row;
        st.j.function = f.row->name;
        st.runs = f.runs;
        if (f.xml_type != 0) s_.xml_type = f.xml_type;
        return read_function(*f.row, st);
    }

private:
    bool stop(xml_step& st, int code, bool log = false) {
        st.stop = code;
        st.log_stop = log;
        st.runs = false;
        done_ = true;
        return true;
    }

    void read_header() {
        header_read_ = true;
        std::string tok;
        while (sc_.next(tok)) {
            if (starts_with(tok, first_step_start)) {
                at_step_ = true;
                return;
            }
            read_header_element(sc_, tok, s_);
        }
    }

    // Reads function, infile and outfile in any order up to errorfile. A
    // step whose errorfile is missing reads on into the next step. False
    // when the file ends first.
    bool read_step_header() {
        std::string tok;
        while (sc_.next(tok)) {
            if (is_element(tok, "function")) s_.function = sc_.content();
            else if (is_element(tok, "infile")) s_.infile = sc_.content();
            else if (is_element(tok, "outfile")) s_.outfile = sc_.content();
            else if (is_element(tok, "errorfile")) {
                s_.errorfile = sc_.content();
                return true;
            }
        }
        return false;
    }

    // Equal names ignoring case, or two names of one existing file: the
    // output would replace the input it is made from or the query itself,
    // or the error line would replace the output.
    bool same_input_output() const {
        return overwrites_input(s_.infile, s_.outfile) || overwrites_input(path_, s_.outfile) ||
               (!s_.errorfile.empty() && overwrites_input(s_.outfile, s_.errorfile));
    }

    // The next token of this step; false at the step's end (the next step's
    // token is kept for next()).
    bool step_token(std::string& tok) {
        if (!sc_.next(tok)) return false;
        if (starts_with(tok, step_start)) {
            at_step_ = true;
            return false;
        }
        return true;
    }

    void skip_to_next_step() {
        std::string tok;
        while (step_token(tok)) {
        }
    }

    bool read_function(const function_row& row, xml_step& st) {
        xml_lists l;
        table t;
        int time_pos = 0;
        int time_count = 0;
        const bool needs_table =
            row.xml == xml_kind::selection || row.xml == xml_kind::aggregation || row.xml == xml_kind::calculation;
        if (needs_table) {
            const int rc = read_input_table(s_.infile, s_.language, t);
            // A reader problem is written under the function's name for the
            // selections; a calculation leaves only the code.
            if (rc == codes::cannot_open) return stop(st, rc);
            if (rc != 0) return stop(st, rc, row.xml != xml_kind::calculation);
            for (std::size_t i = 0; i < t.vars.size(); ++i) {
                if (t.vars[i].is_time) {
                    time_pos = static_cast<int>(i) + 1;
                    time_count = static_cast<int>(t.vars[i].values.size());
                    break;
                }
            }
        }

        bool blocks_read = false;
        std::string tok;
        while (step_token(tok)) {
            if (tok.size() > 2 && tok[0] == '<' && tok.back() == '>') {
                const std::string_view name(tok.data() + 1, tok.size() - 2);
                if (in_word_list(row.xml_elements, name)) {
                    s_.values[std::string(name)] = sc_.content();
                    continue;
                }
            }
            int rc = 0;
            switch (row.xml) {
            case xml_kind::selection:
            case xml_kind::aggregation:
                if (!blocks_read && starts_with(tok, "<variable")) {
                    blocks_read = true;
                    const int opt = s_.get_int("timeoption", 0);
                    l.time_option = time_pos > 0 && opt >= 1 && opt <= 3 ? opt : 0;
                    l.time_var = time_pos;
                    l.time_values = time_count;
                    rc = read_selection_blocks(tok, t, row.xml == xml_kind::aggregation, l);
                }
                break;
            case xml_kind::calculation:
                if (starts_with(tok, "<variable")) rc = read_calculation_block(tok, t, l);
                break;
            case xml_kind::valueorder:
                read_value_order(tok, l);
                break;
            case xml_kind::chgtexts:
                if (starts_with(tok, "<variable order=")) l.variable_texts += sc_.content() + ";";
                break;
            case xml_kind::vardelete:
                if (is_element(tok, "remove") || is_element(tok, "sum")) {
                    l.remove = is_element(tok, "remove") ? 1 : 0;
                    l.delete_list = sc_.content();
                }
                break;
            default:
                break;
            }
            if (rc != 0) return stop(st, rc);
        }

        if (row.xml == xml_kind::selection || row.xml == xml_kind::aggregation) {
            // The variable blocks the step announced never came.
            if (!blocks_read && s_.get_int("noofvar", 0) > 0) return stop(st, codes::batch_bad_variable);
        }
        if (row.xml == xml_kind::calculation) {
            const int rc = check_calculation();
            if (rc != 0) return stop(st, rc);
        }
        // The step's own elements are in now: build the job from them.
        fill_common(s_, st.j);
        if (row.fill_xml) row.fill_xml(s_, l, st.j);
        if (row.xml == xml_kind::split) fill_split(s_, st.j.split);
        return true;
    }

    // The value elements of one variable block, after its start token: the
    // optional valuespecification (and aggreg), then the values, up to the
    // first other token, which closes the block. 0 or 715.
    int read_block_values(const variable& v, bool aggregation, block_result& out) {
        bool by_code = false;
        std::string aggreg;
        std::string tok;
        while (step_token(tok)) {
            if (is_element(tok, "valuespecification")) {
                by_code = sc_.content() == "code";
            } else if (aggregation && is_element(tok, "aggreg")) {
                aggreg = sc_.content();
            } else if (aggregation && is_element(tok, "classcat")) {
                s_.values["classcat"] = sc_.content();
            } else if (starts_with(tok, "<value order=")) {
                const std::string val = sc_.content();
                if (val == "elimination") {
                    out.list.clear();
                } else if (val == "*") {
                    out.list = number_run(1, static_cast<int>(v.values.size()));
                } else if (!aggreg.empty()) {
                    out.list += out.list.empty() ? "A;" + aggreg + ";" + val : "," + val;
                } else {
                    const int pos = find_value(v, val, by_code);
                    if (pos == 0) return codes::batch_no_value;
                    if (!out.list.empty()) out.list += ',';
                    out.list += std::to_string(pos);
                    if (out.first_pos == 0) out.first_pos = pos;
                    out.last_pos = pos;
                }
            } else {
                return 0;  // the block's end tag (or whatever stands in its place)
            }
        }
        return 0;
    }

    // Variable blocks 1..noofvar of a selection or aggregation, the first
    // start token already taken. Each must begin <variable order="k" name=.
    // 0, 714, 715 or 716.
    int read_selection_blocks(std::string tok, const table& t, bool aggregation, xml_lists& l) {
        const int count = s_.get_int("noofvar", 0);
        if (count <= 0) return 0;  // no blocks announced: the elements are skipped
        for (int k = 1; k <= count; ++k) {
            if (k > 1 && !step_token(tok)) return codes::batch_bad_variable;
            if (!starts_with(tok, "<variable order=\"" + std::to_string(k) + "\" name=")) return codes::batch_bad_variable;
            const int pos = find_variable(t, attribute(tok, "name"));
            if (pos == 0) return codes::batch_no_variable;
            const variable& v = t.vars[static_cast<std::size_t>(pos - 1)];
            block_result b;
            const int rc = read_block_values(v, aggregation, b);
            if (rc != 0) return rc;
            if (k == l.time_var && l.time_option != 0) apply_time_option(l, b);
            if (k <= static_cast<int>(max_selected_vars)) l.selection[static_cast<std::size_t>(k - 1)] = b.list;
        }
        return 0;
    }

    // The time options replace the time variable's list: 1 the last period,
    // 2 as many latest periods as the last value's position says, 3 every
    // period from the first value on. Without a looked-up value options 2
    // and 3 keep the list as the values built it.
    static void apply_time_option(const xml_lists& l, block_result& b) {
        const int n = l.time_values;
        if (l.time_option == 1) b.list = std::to_string(n);
        else if (l.time_option == 2 && b.last_pos > 0) b.list = number_run(n - b.last_pos + 1, n);
        else if (l.time_option == 3 && b.first_pos > 0) b.list = number_run(b.first_pos, n);
    }

    // A calculation's variable block: <variable name="X">, any order and
    // number; the variable's position in the table picks its list. 0, 714,
    // 715 or 716.
    int read_calculation_block(const std::string& tok, const table& t, xml_lists& l) {
        if (!starts_with(tok, "<variable name=")) return codes::batch_bad_variable;
        const int pos = find_variable(t, attribute(tok, "name"));
        if (pos == 0) return codes::batch_no_variable;
        block_result b;
        const int rc = read_block_values(t.vars[static_cast<std::size_t>(pos - 1)], false, b);
        if (rc != 0) return rc;
        if (pos <= static_cast<int>(max_selected_vars)) l.selection[static_cast<std::size_t>(pos - 1)] = b.list;
        return 0;
    }

    // The driver's own checks of a calculation, in this order.
    int check_calculation() const {
        if (!s_.given("operation")) return codes::batch_no_operation;
        if (!s_.given("includeexclude")) return codes::batch_no_inclexcl;
        const bool include = starts_with(s_.get("includeexclude"), "i");
        if (include && !s_.given("newvalue")) return codes::batch_no_newvalue;
        const int op = calc_operation_code(s_.get("operation"));
        if (s_.get_int("order", 0) == 0 && operation_needs_order(op)) return codes::batch_no_order;
        return 0;
    }

    // <variable name="X"> names the variable; each <value order="i" xxxx="n">
    // adds n, the value's number in the new order.
    void read_value_order(const std::string& tok, xml_lists& l) {
        if (starts_with(tok, "<variable name=")) {
            l.order_variable = attribute(tok, "name");
        } else if (starts_with(tok, "<value order=")) {
            // The order attribute's closing quote, then the next attribute's value.
            const std::size_t close = tok.find('"', std::string_view("<value order=\"").size());
            std::size_t i = close == std::string::npos ? tok.size() : tok.find('=', close);
            int n = 0;
            if (i != std::string::npos && i + 2 <= tok.size()) n = decimal_to_int(std::string_view(tok).substr(i + 2));
            if (!l.value_order.empty()) l.value_order += ',';
            l.value_order += std::to_string(n);
            sc_.content();  // the value's text is not needed
        }
    }

    scanner sc_;
    xml_settings s_;
    std::string path_;
    bool header_read_ = false;
    bool at_step_ = false;
    bool done_ = false;
};

int read_all(const std::string& path, std::vector<xml_step>& steps) {
    steps.clear();
    query_reader r;
    if (!r.open(path)) return codes::cannot_open;
    xml_step st;
    while (r.next(st)) steps.push_back(std::move(st));
    return 0;
}

int run_all(const std::string& path) {
    query_reader r;
    if (!r.open(path)) return codes::cannot_open;
    // The header's language is the reader's for this run only.
    reader_language_scope scope;
    int kept = 0;
    bool any_step = false;
    std::string last_errorfile;
    xml_step st;
    while (r.next(st)) {
        if (!any_step && r.current().language_given) scope.select(r.current().language);
        any_step = true;
        last_errorfile = st.j.errorfile;
        if (st.stop != 0) {
            if (st.log_stop) log_error(st.j.errorfile, st.name, st.stop);
            kept = st.stop;
            break;
        }
        // A function whose routine is not available runs nothing and
        // writes nothing, like a name the query does not know.
        if (!st.runs || st.row == nullptr || st.row->run == nullptr) continue;
        kept = run_routine(st.j, st.row->run, st.name);
        // A selection leaves no language behind for the steps after it.
        if (st.row->xml == xml_kind::selection || st.row->xml == xml_kind::aggregation)
            reader_state().selected_language.clear();
    }
    // A query from which not one step could be read ran nothing: that is
    // no success (an empty file, not XML, cut short, another encoding).
    if (!any_step) return codes::batch_no_step;
    log_check(last_errorfile, kept);
    return kept;
}

}  // namespace

int read_xml_query(const std::string& path, std::vector<xml_step>& steps) noexcept {
    try {
        return read_all(path, steps);
    } catch (...) {
        return codes::internal_fault;  // out of memory: nothing sensible was read
    }
}

int run_xml_query(const std::string& path) noexcept {
    try {
        return run_all(path);
    } catch (...) {
        return codes::internal_fault;
    }
}

}  // namespace vt::batch
