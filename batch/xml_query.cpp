// The XML query reader of vtbatch: the token scanner, the step reader that
// turns each step into a job, and the run loop that hands the jobs to the
// driver one by one.
#include "batch/xml_query.h"

#include <array>
#include <cstdio>
#include <functional>
#include <map>
#include <string_view>
#include <utility>

#include "batch/driver.h"
#include "batch/ini_query.h"
#include "platform/fsinfo.h"
#include "platform/text.h"
#include "core/infile.h"
#include "core/reader.h"
#include "core/table.h"
#include "platform/fsinfo.h"

namespace vt::batch {

using plat::equal_nocase;
using plat::overwrites_input;
namespace {

bool starts_with(std::string_view s, std::string_view prefix) noexcept {
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

// Whole numbers in element contents read as in the INI query.
int to_int(std::string_view s) noexcept { return decimal_to_int(s); }

// ---------------------------------------------------------------------------
// Tokens.

// The query file in memory, cut into tokens on demand. A query file is a
// few kilobytes; holding it whole keeps the scanning a plain index walk.
class scanner {
public:
    // False when the file cannot be opened or read. A Ctrl-Z byte ends the
    // text, as it does for every text file this system reads.
    bool load(const std::string& path) {
        std::FILE* fp = std::fopen(plat::native_path(path).c_str(), "rb");
        if (!fp) return false;
        char buf[8192];
        std::size_t n = 0;
        while ((n = std::fread(buf, 1, sizeof buf, fp)) > 0) data_.append(buf, n);
        const bool bad = std::ferror(fp) != 0;
        std::fclose(fp);
        if (bad) return false;
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

// ---------------------------------------------------------------------------
// Settings: everything that stays in force from one step to the next.

struct settings {
    // Header.
    std::string language;                 // vtlangsuffix
    bool language_given = false;
    std::array<std::string, 4> words;     // and, by, dist, unit
    int rounding = 0;
    int secrecy = 0;
    std::array<std::string, 8> symbols = {".", "..", "...", "....", ".....", "......", ".......", "-"};
    // Step header.
    std::string function, infile, outfile, errorfile;
    // The type an "XMLCn" step set; the "SDMX" step passes it on.
    int xml_type = 0;
    // Function elements by name, as written.
    std::map<std::string, std::string, std::less<>> values;

    const std::string& get(std::string_view name) const {
        static const std::string none;
        const auto it = values.find(name);
        return it == values.end() ? none : it->second;
    }
    bool given(std::string_view name) const { return !get(name).empty(); }
    std::string get_or(std::string_view name, std::string_view deflt) const {
        return given(name) ? get(name) : std::string(deflt);
    }
    int get_int(std::string_view name, int deflt) const { return given(name) ? to_int(get(name)) : deflt; }

    // The symbol texts in order, each followed by ";".
    std::string symbol_list() const {
        std::string out;
        for (const std::string& s : symbols) out += s + ";";
        return out;
    }
    std::string text_words() const { return words[0] + ";" + words[1] + ";" + words[2] + ";" + words[3]; }
};

// The header elements (before the first step).
void read_header_element(scanner& sc, const std::string& tok, settings& s) {
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
// The functions of the XML query.

enum class kind {
    plain, selection, aggregation, calculation, valueorder, chgtexts, vardelete, split, filecalc
};

// The lists one step builds from its own elements.
struct step_lists {
    std::array<std::optional<std::string>, max_selection_vars> selection;
    int time_var = 0;
    int time_values = 0;
    int time_option = 0;
    std::string value_order;     // valueorder
    std::string order_variable;  // valueorder: <variable name="X">
    std::string variable_texts;  // chgtexts
    std::string delete_list;     // vardelete
    int remove = 0;              // vardelete
};

using fill_fn = void (*)(const settings&, const step_lists&, job&);

struct function_row {
    const char* name;      // as the query names it; compared without regard to case
    const char* routine;   // the registry's name of the routine
    kind k;
    const char* elements;  // the plain elements the step reads, separated by blanks
    fill_fn fill;
};

bool lists_element(std::string_view list, std::string_view name) noexcept {
    while (!list.empty()) {
        const std::size_t sp = list.find(' ');
        const std::string_view word = list.substr(0, sp);
        if (word == name) return true;
        if (sp == std::string_view::npos) break;
        list.remove_prefix(sp + 1);
    }
    return false;
}

void fill_none(const settings&, const step_lists&, job&) {}

void fill_selection(const settings& s, const step_lists& l, job& j) {
    selection_args& a = j.selection;
    a.no_of_var = s.get_int("noofvar", 0);
    a.secrecy = s.secrecy;
    a.descr = s.get_int("keepdescription", 0);
    a.time_option = l.time_option;
    a.time_var = l.time_var;
    a.time_values = l.time_values;
    a.vtlang = s.language;
    a.lists = l.selection;
}

void fill_aggregation(const settings& s, const step_lists& l, job& j) {
    fill_selection(s, l, j);
    j.selection.classcat = s.get("classcat");
}

// "include..." selects ("m"), everything else excludes ("u").
std::string include_exclude(const std::string& content) { return starts_with(content, "i") ? "m" : "u"; }

struct named_code {
    std::string_view name;
    int code;
};

int operation_code(const std::string& content, const named_code* names, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        if (content == names[i].name) return names[i].code;
    return to_int(content);
}

constexpr named_code calc_operations[] = {{"remove", 33},  {"sum", 18},      {"percent", 21},  {"permille", 23},
                                          {"add", 11},     {"subtract", 12}, {"multiply", 13}, {"divide", 14}};
constexpr named_code filecalc_operations[] = {{"linktab", 61}, {"overlaytab", 71}, {"add", 41},
                                              {"subtract", 42}, {"multiply", 43},  {"divide", 44}};

void fill_calculation(const settings& s, const step_lists& l, job& j) {
    selection_args& a = j.selection;
    a.lists = l.selection;
    a.operation = operation_code(s.get("operation"), calc_operations, std::size(calc_operations));
    a.incl_excl = include_exclude(s.get("includeexclude"));
    a.constant = s.get("constant");
    a.newvalue = s.get("newvalue");
    if (s.given("newcode")) a.newvalue += "#" + s.get("newcode");
    a.betavalue = s.get("betavalue");
    a.order = s.get_int("order", 0);
}

void fill_pivotmanual(const settings& s, const step_lists&, job& j) {
    j.edit.stub_order = s.get("stuborder");
    j.edit.head_order = s.get("headorder");
}

void fill_pivotauto(const settings& s, const step_lists&, job& j) { j.edit.pivot_alt = s.get_int("pivotoption", 0); }

void fill_valueorder(const settings&, const step_lists& l, job& j) {
    j.edit.variable = l.order_variable;
    j.edit.value_list = l.value_order;
}

void fill_decimals(const settings& s, const step_lists&, job& j) { j.decimals = s.get("decimals"); }

void fill_chgtexts(const settings& s, const step_lists& l, job& j) {
    j.edit.contentstext = s.get("contentstext");
    j.edit.unittext = s.get("unittext");
    j.edit.no_of_var = s.get_int("noofvar", 0);
    j.edit.variable_texts = l.variable_texts;
}

void fill_excel(const settings& s, const step_lists&, job& j) {
    j.excel.datanote = s.get_int("datanote", 0);
    j.excel.decimals = s.get_int("decimals", 0);
}

void fill_asp(const settings& s, const step_lists&, job& j) {
    j.asp.vtlang = s.language;
    j.asp.guilang = s.get("guilanguage");
    j.asp.uppercase = s.get("uppercase");
    j.datanote_place = s.get_int("datanoteoption", 0);
}

void fill_xmlc(const settings& s, const step_lists&, job& j) {
    j.xml.xml_type = s.xml_type;
    j.xml.inc_dtd = s.get_int("incDtd", 0);
    j.xml.language = s.language;
}

void fill_sdmx(const settings& s, const step_lists&, job& j) {
    j.xml.xml_type = s.xml_type;
    j.xml.language = s.language;
}

void fill_delimited(const settings& s, const step_lists&, job& j) {
    j.delimited.textdelim = s.get("delimiter");
    j.delimited.iteration = s.get_int("iteration", 0);
}

void fill_prn(const settings& s, const step_lists&, job& j) {
    const std::string& d = s.get("delimiter");
    j.delim = d == "tab" ? std::string("\t") : d.empty() ? std::string(" ") : d;
}

void fill_vtfile(const settings& s, const step_lists&, job& j) {
    j.vtfile.keys = s.get_or("keys", "0");
    j.vtfile.descript = s.get("descript");
    j.vtfile.subject = s.get("subject");
    j.vtfile.contents = s.get("contents");
    j.vtfile.descdefault = s.get_or("descdefault", "0");
}

void fill_vardelete(const settings& s, const step_lists& l, job& j) {
    j.edit.variable = s.get("variable");
    j.edit.titleadd = s.get("titleadd");
    j.edit.value_list = l.delete_list;
    j.edit.remove = l.remove;
}

// The first 16 option letters as digits: T 1, C 2, B 3, anything else 0;
// always 16 digits.
void fill_textcode(const settings& s, const step_lists&, job& j) {
    const std::string& opts = s.get("textcodeoptions");
    std::string digits(16, '0');
    for (std::size_t i = 0; i < digits.size() && i < opts.size(); ++i)
        digits[i] = opts[i] == 'T' ? '1' : opts[i] == 'C' ? '2' : opts[i] == 'B' ? '3' : '0';
    j.edit.textcode_options = digits;
}

void fill_filecalc(const settings& s, const step_lists&, job& j) {
    filecalc_args& a = j.filecalc;
    a.constant = s.get("constant");
    a.matchfile = s.get("matchfile");
    a.constant_flag = s.given("constant") ? 1 : 0;
    if (!s.given("constant") && !s.given("matchfile")) {
        a.constant_flag = 1;
        a.constant = "1";
    }
    for (std::size_t k = 0; k < a.newvalues.size(); ++k) {
        const std::string n = std::to_string(k + 1);
        a.newvalues[k] = s.get("newvalue" + n) + "#" + s.get("newcode" + n);
    }
    a.newvar = s.get("newvar");
    a.option = operation_code(s.get("operation"), filecalc_operations, std::size(filecalc_operations));
    a.incl_excl = include_exclude(s.get("includeexclude"));
}

constexpr const char* split_elements =
    "variablename noofperiods firstyear yeartext quartertext quarter1 quarter2 quarter3 quarter4 monthtext "
    "month1 month2 month3 month4 month5 month6 month7 month8 month9 month10 month11 month12";

// One row per function name of the XML query. The plain elements of a row
// are stored as written; the fill function turns them into the job.
constexpr function_row functions[] = {
    {"selection", "selvalues", kind::selection, "keepdescription timeoption noofvar", fill_selection},
    {"aggregation", "aggvalues", kind::aggregation, "keepdescription timeoption noofvar classcat",
     fill_aggregation},
    {"calculation", "calcvalues", kind::calculation,
     "operation includeexclude newvalue newcode betavalue order constant", fill_calculation},
    {"pivotmanual", "pivotmanual", kind::plain, "stuborder headorder", fill_pivotmanual},
    {"pivotauto", "pivotauto", kind::plain, "pivotoption", fill_pivotauto},
    {"valueorder", "valueorder", kind::valueorder, "", fill_valueorder},
    {"splitquarters", "splitquarters", kind::split, split_elements, fill_none},
    {"splitmonths", "splitmonths", kind::split, split_elements, fill_none},
    {"decimals", "decimals", kind::plain, "decimals", fill_decimals},
    {"chgtexts", "chgtexts", kind::chgtexts, "contentstext unittext noofvar", fill_chgtexts},
    {"excel", "excel", kind::plain, "completeinfo doublecolumn datanote decimals", fill_excel},
    {"asp", "asp", kind::plain,
     "uppercase decimalpoint stubtype nozero thousand guilanguage completeinfo doublecolumn datanoteoption",
     fill_asp},
    {"XMLC1", "XMLC", kind::plain, "incDtd", fill_xmlc},
    {"XMLC2", "XMLC", kind::plain, "incDtd", fill_xmlc},
    {"XMLC3", "XMLC", kind::plain, "incDtd", fill_xmlc},
    {"SDMX", "SDMX", kind::plain, "", fill_sdmx},
    {"text", "text", kind::plain, "rowlength pagelength marglength decimalpoint doublecolumn completeinfo thousand",
     fill_none},
    {"dbase1", "dbase1", kind::plain, "", fill_none},
    {"dbase2", "dbase2", kind::plain, "", fill_none},
    {"dbase3", "dbase3", kind::plain, "", fill_none},
    {"dbase4", "dbase4", kind::plain, "doublecolumn completeinfo", fill_none},
    {"graph", "graph", kind::plain, "decimalpoint delimiter iteration", fill_delimited},
    {"matrix", "matrix", kind::plain, "decimalpoint delimiter iteration", fill_delimited},
    {"lotus", "lotus", kind::plain, "", fill_none},
    {"html1", "html1", kind::plain, "", fill_none},
    {"html2", "html2", kind::plain, "", fill_none},
    {"prnmatrix", "prnmatrix", kind::plain, "delimiter", fill_prn},
    {"prntable", "prntable", kind::plain, "delimiter", fill_prn},
    {"reltable", "reltable", kind::plain, "delimiter decimalpoint iteration", fill_delimited},
    {"vtfile", "vtfile", kind::plain, "keys descript subject contents descdefault", fill_vtfile},
    {"vardelete", "vardelete", kind::vardelete, "variable titleadd", fill_vardelete},
    {"textcode", "textcode", kind::plain, "textcodeoptions", fill_textcode},
    {"filecalculation", "filecalc", kind::filecalc,
     "constant matchfile newvalue1 newvalue2 newvalue3 newcode1 newcode2 newcode3 newvar operation includeexclude",
     fill_filecalc},
};

const function_row* find_function(std::string_view name) noexcept {
    for (const function_row& row : functions)
        if (equal_nocase(name, row.name)) return &row;
    return nullptr;
}

// The settings every function shares; the row's fill adds its own.
void fill_common(const settings& s, job& j) {
    j.infile = s.infile;
    j.outfile = s.outfile;
    j.errorfile = s.errorfile;
    j.textfile = "*";
    j.rounding = s.rounding;
    j.decimalpoint = s.get_or("decimalpoint", ".");
    j.stubtype = s.get_int("stubtype", 1);
    j.nozero = s.get_int("nozero", 0);
    j.thousand = s.get_int("thousand", 0);
    j.doublecolumn = s.get_int("doublecolumn", 0);
    j.completeinfo = s.get_int("completeinfo", 0);
    j.rowlength = s.get_int("rowlength", 100);
    j.pagelength = s.get_int("pagelength", 100);
    j.marglength = s.get_int("marglength", 0);
    j.datanote_place = 0;
    j.symbol_list = s.symbol_list();
    j.text_words = s.text_words();
    j.unit_var = s.words[3];
}

void fill_split(const settings& s, xml_split_args& a) {
    a.variablename = s.get("variablename");
    a.noofperiods = s.get("noofperiods");
    a.firstyear = s.get("firstyear");
    a.yeartext = s.get("yeartext");
    a.quartertext = s.get("quartertext");
    a.monthtext = s.get("monthtext");
    for (int i = 0; i < 4; ++i) a.quarters[i] = s.get("quarter" + std::to_string(i + 1));
    for (int i = 0; i < 12; ++i) a.months[i] = s.get("month" + std::to_string(i + 1));
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

    const settings& current() const { return s_; }

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
        if (same_input_output()) return stop(st, xml_same_file);

        const function_row* row = find_function(st.name);
        if (!row) {
            skip_to_next_step();
            return true;
        }
        st.j.function = row->routine;
        // The two selection functions are only called when written in
        // lower case; in any other spelling the step is read but not run.
        const bool exact_case = row->k != kind::selection && row->k != kind::aggregation;
        st.runs = exact_case || st.name == row->name;
        if (starts_with(row->name, "XMLC")) s_.xml_type = row->name[4] - '0';
        return read_function(*row, st);
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
    // output would replace the input it is made from.
    bool same_input_output() const {
        return overwrites_input(s_.infile, s_.outfile);
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
        step_lists l;
        table t;
        int time_pos = 0;
        int time_count = 0;
        const bool needs_table =
            row.k == kind::selection || row.k == kind::aggregation || row.k == kind::calculation;
        if (needs_table) {
            const int rc = read_input_table(s_.infile, s_.language, t);
            // A reader problem is written under the function's name for the
            // selections; a calculation leaves only the code.
            if (rc == 400) return stop(st, rc);
            if (rc != 0) return stop(st, rc, row.k != kind::calculation);
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
                if (lists_element(row.elements, name)) {
                    s_.values[std::string(name)] = sc_.content();
                    continue;
                }
            }
            int rc = 0;
            switch (row.k) {
            case kind::selection:
            case kind::aggregation:
                if (!blocks_read && starts_with(tok, "<variable")) {
                    blocks_read = true;
                    const int opt = s_.get_int("timeoption", 0);
                    l.time_option = time_pos > 0 && opt >= 1 && opt <= 3 ? opt : 0;
                    l.time_var = time_pos;
                    l.time_values = time_count;
                    rc = read_selection_blocks(tok, t, row.k == kind::aggregation, l);
                }
                break;
            case kind::calculation:
                if (starts_with(tok, "<variable")) rc = read_calculation_block(tok, t, l);
                break;
            case kind::valueorder:
                read_value_order(tok, l);
                break;
            case kind::chgtexts:
                if (starts_with(tok, "<variable order=")) l.variable_texts += sc_.content() + ";";
                break;
            case kind::vardelete:
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

        if (row.k == kind::selection || row.k == kind::aggregation) {
            // The variable blocks the step announced never came.
            if (!blocks_read && s_.get_int("noofvar", 0) > 0) return stop(st, xml_bad_variable);
        }
        if (row.k == kind::calculation) {
            const int rc = check_calculation();
            if (rc != 0) return stop(st, rc);
        }
        // The step's own elements are in now: build the job from them.
        fill_common(s_, st.j);
        row.fill(s_, l, st.j);
        if (row.k == kind::split) fill_split(s_, st.split);
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
                    if (pos == 0) return xml_no_value;
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
    int read_selection_blocks(std::string tok, const table& t, bool aggregation, step_lists& l) {
        const int count = s_.get_int("noofvar", 0);
        if (count <= 0) return 0;  // no blocks announced: the elements are skipped
        for (int k = 1; k <= count; ++k) {
            if (k > 1 && !step_token(tok)) return xml_bad_variable;
            if (!starts_with(tok, "<variable order=\"" + std::to_string(k) + "\" name=")) return xml_bad_variable;
            const int pos = find_variable(t, attribute(tok, "name"));
            if (pos == 0) return xml_no_variable;
            const variable& v = t.vars[static_cast<std::size_t>(pos - 1)];
            block_result b;
            const int rc = read_block_values(v, aggregation, b);
            if (rc != 0) return rc;
            if (k == l.time_var && l.time_option != 0) apply_time_option(l, b);
            if (k <= max_selection_vars) l.selection[static_cast<std::size_t>(k - 1)] = b.list;
        }
        return 0;
    }

    // The time options replace the time variable's list: 1 the last period,
    // 2 as many latest periods as the last value's position says, 3 every
    // period from the first value on. Without a looked-up value options 2
    // and 3 keep the list as the values built it.
    static void apply_time_option(const step_lists& l, block_result& b) {
        const int n = l.time_values;
        if (l.time_option == 1) b.list = std::to_string(n);
        else if (l.time_option == 2 && b.last_pos > 0) b.list = number_run(n - b.last_pos + 1, n);
        else if (l.time_option == 3 && b.first_pos > 0) b.list = number_run(b.first_pos, n);
    }

    // A calculation's variable block: <variable name="X">, any order and
    // number; the variable's position in the table picks its list. 0, 714,
    // 715 or 716.
    int read_calculation_block(const std::string& tok, const table& t, step_lists& l) {
        if (!starts_with(tok, "<variable name=")) return xml_bad_variable;
        const int pos = find_variable(t, attribute(tok, "name"));
        if (pos == 0) return xml_no_variable;
        block_result b;
        const int rc = read_block_values(t.vars[static_cast<std::size_t>(pos - 1)], false, b);
        if (rc != 0) return rc;
        if (pos <= max_selection_vars) l.selection[static_cast<std::size_t>(pos - 1)] = b.list;
        return 0;
    }

    // The driver's own checks of a calculation, in this order.
    int check_calculation() const {
        if (!s_.given("operation")) return 706;
        if (!s_.given("includeexclude")) return 707;
        const bool include = starts_with(s_.get("includeexclude"), "i");
        if (include && !s_.given("newvalue")) return 708;
        const int op = operation_code(s_.get("operation"), calc_operations, std::size(calc_operations));
        if (s_.get_int("order", 0) == 0 && (op == 12 || op == 14)) return 711;
        return 0;
    }

    // <variable name="X"> names the variable; each <value order="i" xxxx="n">
    // adds n, the value's number in the new order.
    void read_value_order(const std::string& tok, step_lists& l) {
        if (starts_with(tok, "<variable name=")) {
            l.order_variable = attribute(tok, "name");
        } else if (starts_with(tok, "<value order=")) {
            // The order attribute's closing quote, then the next attribute's value.
            const std::size_t close = tok.find('"', std::string_view("<value order=\"").size());
            std::size_t i = close == std::string::npos ? tok.size() : tok.find('=', close);
            int n = 0;
            if (i != std::string::npos && i + 2 <= tok.size()) n = to_int(std::string_view(tok).substr(i + 2));
            if (!l.value_order.empty()) l.value_order += ',';
            l.value_order += std::to_string(n);
            sc_.content();  // the value's text is not needed
        }
    }

    scanner sc_;
    settings s_;
    std::string path_;
    bool header_read_ = false;
    bool at_step_ = false;
    bool done_ = false;
};

bool is_split(std::string_view routine) noexcept {
    return routine == "splitquarters" || routine == "splitmonths";
}

}  // namespace

namespace {

int read_all(const std::string& path, std::vector<xml_step>& steps) {
    steps.clear();
    query_reader r;
    if (!r.open(path)) return 400;
    xml_step st;
    while (r.next(st)) steps.push_back(std::move(st));
    return 0;
}

int run_all(const std::string& path) {
    query_reader r;
    if (!r.open(path)) return 400;
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
        if (!st.runs || find_routine(st.j.function) == nullptr) continue;
        // The split routines read their settings from an INI query; a job
        // cannot carry the settings of an XML split step yet, so such a step
        // runs nothing rather than reading INI keys from this file.
        if (is_split(st.j.function)) continue;
        kept = run_job(st.j, st.name);
        if (st.j.function == std::string_view("selvalues") || st.j.function == std::string_view("aggvalues"))
            reader_state().selected_language.clear();
    }
    if (kept > 700 && any_step) log_error(last_errorfile, "check", kept);
    return kept;
}

}  // namespace

int read_xml_query(const std::string& path, std::vector<xml_step>& steps) noexcept {
    try {
        return read_all(path, steps);
    } catch (...) {
        return code_internal;  // out of memory: nothing sensible was read
    }
}

int run_xml_query(const std::string& path) noexcept {
    try {
        return run_all(path);
    } catch (...) {
        return code_internal;
    }
}

}  // namespace vt::batch
