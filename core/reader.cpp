// The table file reader: keyword recognition, the string and list readers,
// one handler per keyword, and the checks run when the keyword part ends.
//
// The keyword part is a stream of statements KEYWORD=value; or
// KEYWORD(references)=value; with optional language forms KEYWORD[xx]=.
// The recogniser does not tokenise: it offers every character to every
// keyword pattern and reports the first pattern completed. Text between
// recognised statements (unknown keywords, ignored repeats, values a handler
// did not take) is scanned the same way, so the reader never stalls on
// anything it does not understand.
#include "core/reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <map>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "core/timeval.h"
#include "platform/codepage.h"
#include "platform/message.h"

namespace vt {

reader_settings& reader_state() noexcept {
    static reader_settings settings;
    return settings;
}

// The patterns in the order they are tried. Codes follow the keyword list
// of the file format; TEXTS( and CODES( share code 9, DATA= is 50.
const keyword_pattern keyword_patterns[keyword_pattern_count] = {
    {1, "MATRIX="},           {2, "SUBJECT-AREA="},   {3, "UNITS="},
    {4, "TITLE="},            {5, "DESCRIPTION="},    {6, "STUB="},
    {7, "HEADING="},          {8, "VALUES("},         {9, "TEXTS("},
    {10, "NOTE="},            {11, "NOTE("},          {12, "VALUENOTE("},
    {13, "CELLNOTE("},        {14, "COMPRESSED="},    {15, "ELIMINATION("},
    {16, "DECIMALS="},        {17, "PARTITIONED("},   {9, "CODES("},
    {18, "NOTEX="},           {19, "NOTEX("},         {20, "CONTENTS="},
    {21, "KEYS="},            {22, "NOTEP="},         {23, "PRECISION("},
    {24, "DOMAIN("},          {25, "SUBJECT-CODE="},  {26, "VALUENOTEX("},
    {50, "DATA="},            {27, "COPYRIGHT="},     {28, "DAYADJ="},
    {29, "SEASADJ="},         {30, "SOURCE="},        {31, "CONTACT="},
    {32, "REFPERIOD="},       {33, "VELT-VERSION="},  {34, "LAST-UPDATED="},
    {35, "CREATION-DATE="},   {36, "STOCKFA="},       {37, "CFPRICES="},
    {38, "TIMEVAL("},         {39, "BASEPERIOD="},    {40, "DATABASE="},
    {41, "INFOFILE="},        {42, "CONTVARIABLE="},  {43, "BASEPERIOD("},
    {44, "CFPRICES("},        {45, "CONTACT("},       {46, "LAST-UPDATED("},
    {47, "REFPERIOD("},       {48, "SEASADJ("},       {49, "STOCKFA("},
    {51, "DAYADJ("},          {52, "SHOWDECIMALS="},  {53, "UNITS("},
    {54, "CELLNOTEX("},       {55, "PRESTEXT("},      {56, "KEYS("},
    {57, "CHARSET="},         {58, "MAP("},           {59, "LANGUAGE="},
    {60, "AGGREGALLOWED="},   {61, "AUTOPEN="},       {62, "DOUBLECOLUMN("},
    {63, "DESCRIPTIONDEFAULT="}, {64, "CONFIDENTIAL="}, {65, "CODEPAGE="},
    {66, "LANGUAGES="},       {67, "DATASYMBOL1="},   {68, "DATASYMBOL2="},
    {69, "DATASYMBOL3="},     {70, "DATASYMBOL4="},   {71, "DATASYMBOL5="},
    {72, "DATASYMBOL6="},     {73, "DATASYMBOLSUM="}, {74, "DATASYMBOLNIL="},
    {75, "DATANOTECELL("},    {76, "DATANOTESUM="},   {77, "NEXT-UPDATE="},
    {78, "VT-SERVER="},       {79, "DIRECTORY-PATH="}, {80, "UPDATE-FREQUENCY="},
    {81, "INFO="},            {82, "LINK="},          {83, "SURVEY="},
    {84, "VARIABLE-TYPE("},   {85, "DEFAULT-GRAPH="}, {86, "TABLEID="},
    {87, "HIERARCHYLEVELSOPEN("}, {88, "HIERARCHYLEVELS("}, {89, "HIERARCHYNAMES("},
    {90, "HIERARCHIES("},     {91, "SYNONYMS="},      {92, "ROUNDING="},
};

static_assert(kw_rounding == 92 && kw_data == 50 && kw_datasymbolsum == 73 && kw_units_c == 53);

namespace {

constexpr int npat = keyword_pattern_count;

// One of the two pattern sets the recogniser runs: the plain one, and the
// one for a selected language, where every language-dependent keyword ends
// in "[" and is followed by the language code in brackets.
struct pattern_set {
    std::array<std::string, npat> text;
    // Rows that must not be in progress for this row to count (the longer
    // keywords this one is the tail of).
    std::array<std::array<int, 2>, npat> guard{};
    // For the bracketed patterns that stand for both forms of a keyword,
    // the codes chosen by the character after "]": "=" and "(".
    std::array<int, npat> code_eq{};
    std::array<int, npat> code_paren{};
};

// Keywords whose statements are the same in every language.
constexpr const char* language_independent[] = {
    "MATRIX=", "COMPRESSED=", "DECIMALS=", "KEYS=", "SUBJECT-CODE=", "DATA=",
    "COPYRIGHT=", "DAYADJ=", "SEASADJ=", "VELT-VERSION=", "LAST-UPDATED=",
    "CREATION-DATE=", "STOCKFA=", "CFPRICES=", "SHOWDECIMALS=", "CHARSET=",
    "LANGUAGE=", "AGGREGALLOWED=", "AUTOPEN=", "DESCRIPTIONDEFAULT=",
    "CONFIDENTIAL=", "CODEPAGE=", "LANGUAGES=", "NEXT-UPDATE=", "VT-SERVER=",
    "DIRECTORY-PATH=", "UPDATE-FREQUENCY=", "DEFAULT-GRAPH=", "TABLEID=",
    "SYNONYMS=", "ROUNDING=",
};

// Keywords with one bracketed language pattern for both forms.
struct dual_form {
    const char* stem;
    int code_eq;
    int code_paren;
};
constexpr dual_form dual_forms[] = {
    {"NOTE", kw_note, kw_note_var},          {"NOTEX", kw_notex, kw_notex_var},
    {"UNITS", kw_units, kw_units_c},         {"REFPERIOD", kw_refperiod, kw_refperiod_c},
    {"BASEPERIOD", kw_baseperiod, kw_baseperiod_c}, {"CONTACT", kw_contact, kw_contact_c},
};

void set_guards(pattern_set& ps) {
    auto row_of = [&](const std::string& t) {
        for (int i = 0; i < npat; ++i)
            if (ps.text[static_cast<std::size_t>(i)] == t) return i;
        return -1;
    };
    for (int i = 0; i < npat; ++i) {
        auto& g = ps.guard[static_cast<std::size_t>(i)];
        g = {-1, -1};
        const std::string& t = ps.text[static_cast<std::size_t>(i)];
        if (t == "NOTE(" || t == "NOTE[" || t == "NOTEX(" || t == "NOTEX[") {
            g = {row_of("VALUE" + t), row_of("CELL" + t)};
        } else if (t == "DECIMALS=") {
            g = {row_of("SHOWDECIMALS="), -1};
        } else if (t == "VALUES(" || t == "VALUES[") {
            g = {row_of(t == "VALUES(" ? "TIMEVAL(" : "TIMEVAL["), -1};
        }
    }
}

pattern_set make_plain() {
    pattern_set ps;
    for (int i = 0; i < npat; ++i) ps.text[static_cast<std::size_t>(i)] = keyword_patterns[i].text;
    set_guards(ps);
    return ps;
}

pattern_set make_language() {
    pattern_set ps;
    for (int i = 0; i < npat; ++i) {
        std::string t = keyword_patterns[i].text;
        bool independent = false;
        for (const char* k : language_independent)
            if (t == k) independent = true;
        if (!independent) {
            std::string stem = t.substr(0, t.size() - 1);
            t = stem + "[";
            for (const dual_form& d : dual_forms) {
                if (stem == d.stem) {
                    ps.code_eq[static_cast<std::size_t>(i)] = d.code_eq;
                    ps.code_paren[static_cast<std::size_t>(i)] = d.code_paren;
                }
            }
        }
        ps.text[static_cast<std::size_t>(i)] = t;
    }
    set_guards(ps);
    return ps;
}

const pattern_set& plain_patterns() {
    static const pattern_set ps = make_plain();
    return ps;
}
const pattern_set& language_patterns() {
    static const pattern_set ps = make_language();
    return ps;
}

// The recogniser. Each pattern keeps its match position; a character that
// does not continue a pattern sends it back to the start without being
// tried as a new start.
int recognise(in_file& f, const pattern_set& ps, const std::string* language) {
    std::array<unsigned char, npat> pos{};
    for (;;) {
        int c = f.get();
        if (c == in_file::eof) return kw_eof;
        if (c == ' ') continue;
        if (c == '\t' || c == '"' || c == ';') return kw_none;
        if (c >= 'a' && c <= 'z') c -= 'a' - 'A';

        // Every pattern takes the character first; then the first completed
        // pattern wins unless a longer keyword it is the tail of completed
        // with it (VALUENOTE( holds NOTE(, SHOWDECIMALS= holds DECIMALS=).
        bool completed = false;
        for (int i = 0; i < npat; ++i) {
            const std::string& p = ps.text[static_cast<std::size_t>(i)];
            unsigned char& k = pos[static_cast<std::size_t>(i)];
            if (k < p.size() && static_cast<unsigned char>(p[k]) == c) {
                if (++k == p.size()) completed = true;
            } else {
                k = 0;
            }
        }
        int winner = -1;
        for (int i = 0; completed && i < npat && winner < 0; ++i) {
            if (pos[static_cast<std::size_t>(i)] != ps.text[static_cast<std::size_t>(i)].size()) continue;
            bool blocked = false;
            for (int r : ps.guard[static_cast<std::size_t>(i)])
                if (r >= 0 && pos[static_cast<std::size_t>(r)] > 0) blocked = true;
            if (!blocked) winner = i;
        }
        if (winner < 0) continue;

        const std::string& p = ps.text[static_cast<std::size_t>(winner)];
        if (!language || p.back() != '[') return keyword_patterns[winner].code;

        // KEYWORD[xx] followed by one more character ("=" or "(").
        pos.fill(0);
        int a = f.get();
        if (a == in_file::eof) return kw_eof;
        if (a != static_cast<unsigned char>((*language)[0])) continue;
        int b = f.get();
        if (b == in_file::eof) return kw_eof;
        if (b != static_cast<unsigned char>((*language)[1])) continue;
        int close = f.get();
        if (close == in_file::eof) return kw_eof;
        if (close != ']') continue;
        int form = f.get();
        if (form == in_file::eof) return kw_eof;
        std::size_t w = static_cast<std::size_t>(winner);
        if (ps.code_eq[w] != 0) {
            if (form == '=') return ps.code_eq[w];
            if (form == '(') return ps.code_paren[w];
            continue;
        }
        return keyword_patterns[winner].code;
    }
}

inline bool is_blank(int c) noexcept { return c == ' ' || c == '\t' || c == '\n'; }

// Skips blanks, tabs and line breaks and returns the next byte unread.
int skip_space(in_file& f) noexcept {
    int c = f.peek();
    while (c != in_file::eof && is_blank(c)) {
        f.get();
        c = f.peek();
    }
    return c;
}

bool take_string_body(in_file& f, std::string& out, std::size_t limit);

// Reads the text of a quoted string whose opening quote is next (after
// blanks), up to the closing quote; nothing after it is taken. At most
// `limit` characters. 0, or 100 when there is no string, it is too long or
// the file ends inside it.
int read_bare_quoted(in_file& f, std::string& out, std::size_t limit) {
    out.clear();
    if (skip_space(f) != '"') return q_bad;
    f.get();
    return take_string_body(f, out, limit) ? 0 : q_bad;
}

// Skips everything up to and including the next of the stop characters.
// Returns the stop character met, or eof.
int skip_to(in_file& f, char a, char b = '\0') noexcept {
    for (;;) {
        int c = f.get();
        if (c == in_file::eof) return c;
        if (c == a || (b && c == b)) return c;
    }
}

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

bool iequals(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x -= 'a' - 'A';
        if (y >= 'a' && y <= 'z') y -= 'a' - 'A';
        if (x != y) return false;
    }
    return true;
}

int find_value_text(const variable& v, std::string_view s) noexcept {
    for (std::size_t i = 0; i < v.values.size(); ++i)
        if (v.values[i].text == s) return static_cast<int>(i);
    return -1;
}

// DATANOTECELL references name a value by its code, or by its text when
// the value has no code.
int find_value_key(const variable& v, std::string_view s) noexcept {
    for (std::size_t i = 0; i < v.values.size(); ++i) {
        const value& val = v.values[i];
        if ((val.code ? *val.code : val.text) == s) return static_cast<int>(i);
    }
    return -1;
}

// Finds values by text (or DATANOTECELL key) through a hash index once a
// variable has more than a handful of values, so files with many value
// references on big variables are read in linear time. The reader calls
// forget() whenever variables, values or codes change.
class value_finder {
public:
    int text(const variable& v, std::string_view s) { return find(v, s, false); }
    int key(const variable& v, std::string_view s) { return find(v, s, true); }
    void forget() noexcept { maps_.clear(); }

private:
    int find(const variable& v, std::string_view s, bool by_key) {
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
    std::map<std::pair<const variable*, bool>, std::unordered_map<std::string_view, int>> maps_;
};

// ---------------------------------------------------------------------------
// One read of a keyword part.

class reader {
public:
    reader(in_file& f, table& t) : f_(f), t_(t), cfg_(reader_state()) {}
    int run();

private:
    // Statement handlers: 0 or a fatal code; problems that do not stop the
    // read are noted.
    int dispatch(int code);
    int single(opt_string& dst, std::size_t max, int problem, bool problem_fatal, int terminators);
    int text_list_kw(text_list& dst, int problem);
    int names(bool stub);
    int values_kw();
    int codes_kw();
    int var_text_list(int problem, bool notex);
    int value_note(int problem, bool notex);
    int cell_entry(int kind);
    int elimination_kw();
    int partitioned_kw();
    int precision_kw();
    int var_single(int problem, std::size_t max, bool problem_fatal, int terminators, int which);
    int timeval_kw();
    int contvariable_kw();
    int per_content(int code);
    int prestext_kw();
    int keys_kw();
    int doublecolumn_kw();
    int hierarchy_digits(int code);
    int hierarchynames_kw();
    int hierarchies_kw();
    int yes_no_first(int& dst, int problem);
    int yes_no_word(int& dst, int problem);
    int end_checks(bool got_data);

    void note(int code) {
        if (errors_.size() < 100) errors_.push_back(code);
    }
    // The variable of a per-variable statement: 0 with idx set, 110 to
    // ignore the statement, or `problem` when the reference is malformed
    // or not followed by the expected "=" (or "," when a value follows).
    int ref(int& idx, char expect, int problem) {
        int stop = 0;
        int r = find_variable_ref(f_, t_, names_read_, idx, &stop);
        if (r == 110) return 110;
        if (r != 0 || stop != expect) return problem;
        return 0;
    }
    int value_ref(const variable& v, int& pos);
    const variable* contents_variable() const;
    void drop_cellnotex();

    in_file& f_;
    table& t_;
    reader_settings& cfg_;
    std::array<bool, 101> seen_{};
    std::size_t stub_n_ = 0;
    int names_read_ = 0;
    int keys_count_ = 0;
    bool keys_no_ = false;
    int doublecolumn_yes_ = 0;
    int contvariable_ok_ = 0;
    bool timeval_failed_ = false;
    bool partition_failed_ = false;
    bool per_content_used_ = false;
    std::vector<int> errors_;
    value_finder finder_;
};

// How a single-string statement treats a string followed by ",", a line
// break or ")" instead of ";".
enum : int {
    term_fatal = 0,        // the terminator's result is returned as a fatal code
    term_note_own = 1,     // the keyword's own code is noted, the string kept
};

int reader::single(opt_string& dst, std::size_t max, int problem, bool problem_fatal,
                   int terminators) {
    int r = read_single_string(f_, max, dst);
    if (r == 0) return 0;
    if (r == 200) return 200;
    if (r == q_none || r == q_bad) {
        if (problem_fatal) return problem;
        note(problem);
        return 0;
    }
    if (terminators == term_fatal) return r;
    note(problem);
    return 0;
}

int reader::text_list_kw(text_list& dst, int problem) {
    text_list list;
    int r = read_text_list(f_, list);
    if (r == 200) return 200;
    if (r != 0) {
        note(problem);
        return 0;
    }
    dst = std::move(list);
    return 0;
}

int reader::names(bool stub) {
    std::vector<variable> vs;
    int r = read_name_list(f_, vs, names_read_);
    if (r == 200) return 200;
    if (r != 0) return stub ? 106 : 107;
    if (stub) {
        stub_n_ = vs.size();
        t_.vars.insert(t_.vars.begin(), std::make_move_iterator(vs.begin()),
                       std::make_move_iterator(vs.end()));
    } else {
        t_.vars.insert(t_.vars.end(), std::make_move_iterator(vs.begin()),
                       std::make_move_iterator(vs.end()));
    }
    t_.heading = stub_n_;
    finder_.forget();
    return 0;
}

int reader::values_kw() {
    int idx = 0;
    int r = ref(idx, '=', 108);
    if (r == 110) return 0;
    if (r != 0) return 108;
    std::vector<value> vals;
    int count = 0, maxlen = 0;
    r = read_value_list(f_, count, maxlen, vals);
    if (r == 200) return 200;
    if (r != 0) return 108;
    variable& v = t_.vars[static_cast<std::size_t>(idx)];
    // The first list of a variable stands: cell notes, codes and value notes
    // read since then refer to its positions, and a second list would leave
    // them pointing at values that are gone or different.
    if (!v.values.empty()) return 0;
    finder_.forget();
    v.values = std::move(vals);
    v.value_count = count;
    v.max_text_len = maxlen;
    v.prestext = 1;
    if (v.elimination_value >= count) v.elimination_value = -1;
    return 0;
}

int reader::codes_kw() {
    int idx = 0;
    int r = ref(idx, '=', 109);
    if (r == 110) return 0;
    if (r != 0) {
        note(109);
        return 0;
    }
    variable& v = t_.vars[static_cast<std::size_t>(idx)];
    finder_.forget();
    std::string s;
    for (int i = 0;; ++i) {
        int none = 0;
        r = read_quoted(f_, s, i == 0 ? 256 : 257, &none);
        if (r == q_bad || r == q_paren) {
            note(109);
            return 0;
        }
        if (i >= v.value_count) {
            if (r == q_none && none == ';') return 0;  // a trailing empty position
            for (value& val : v.values) val.code.reset();
            note(109);
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

int reader::var_text_list(int problem, bool notex) {
    int idx = 0;
    int r = ref(idx, '=', problem);
    if (r == 110) return 0;
    if (r != 0) {
        note(problem);
        return 0;
    }
    variable& v = t_.vars[static_cast<std::size_t>(idx)];
    return text_list_kw(notex ? v.notex : v.note, problem);
}

// After the variable reference of a VALUENOTE(, VALUENOTEX( or PRECISION(
// statement: a quoted value text or a 1-based position, then up to "=".
int reader::value_ref(const variable& v, int& pos) {
    int c = skip_space(f_);
    std::string s;
    if (c == '"') {
        if (read_bare_quoted(f_, s, 256) != 0) return -1;
        pos = finder_.text(v, s);
    } else if (c >= '0' && c <= '9') {
        long long n = 0;
        while ((c = f_.peek()) >= '0' && c <= '9') {
            n = std::min<long long>(n * 10 + (c - '0'), 1000000000LL);
            f_.get();
        }
        pos = (n >= 1 && n <= v.value_count) ? static_cast<int>(n - 1) : -1;
    } else {
        return -1;
    }
    if (skip_to(f_, '=') == in_file::eof) return -1;
    return pos >= 0 ? 0 : -1;
}

int reader::value_note(int problem, bool notex) {
    int idx = 0;
    int r = ref(idx, ',', problem);
    if (r == 110) return 0;
    if (r != 0) {
        note(problem);
        return 0;
    }
    variable& v = t_.vars[static_cast<std::size_t>(idx)];
    int pos = -1;
    if (value_ref(v, pos) != 0) {
        note(problem);
        return 0;
    }
    value& val = v.values[static_cast<std::size_t>(pos)];
    return text_list_kw(notex ? val.valuenotex : val.valuenote, problem);
}

void reader::drop_cellnotex() {
    t_.cellnotex_texts.clear();
    for (variable& v : t_.vars) v.cellnotex_refs.clear();
}

// CELLNOTE(, CELLNOTEX( and DATANOTECELL(: one quoted reference per
// variable in chain order, ")", "=", then the text as one or more quoted
// strings. An entry is taken whole or not at all, so the k-th reference of
// every variable and the k-th text always belong together.
int reader::cell_entry(int kind) {
    const int problem = kind == kw_datanotecell ? 176 : 113;
    const bool batch_x = kind == kw_cellnotex && cfg_.cellnotex_batch_rules;
    auto reject = [&] {
        note(problem);
        if (batch_x) drop_cellnotex();
        return 0;
    };

    std::vector<std::string> refs;
    std::string s;
    for (;;) {
        int r = read_quoted(f_, s, 257);
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
    if (skip_to(f_, '=') == in_file::eof) return reject();

    std::string text;
    bool text_ok = true;
    for (;;) {
        int r = read_quoted(f_, s, 257);
        if (r == q_last || r == q_comma || r == q_newline) {
            text += s;
            if (r == q_last) break;
            continue;
        }
        text_ok = false;
        break;
    }

    if (refs.size() != t_.vars.size()) return reject();
    std::vector<cell_ref> resolved(refs.size());
    for (std::size_t i = 0; i < refs.size(); ++i) {
        if (refs[i] == "*") {
            resolved[i] = any_value;
            continue;
        }
        const variable& v = t_.vars[i];
        int p = kind == kw_datanotecell ? finder_.key(v, refs[i]) : finder_.text(v, refs[i]);
        if (p < 0) return reject();
        resolved[i] = p;
    }
    if (!text_ok) {
        if (!batch_x) return reject();
        text = "Wrong text!";
        note(113);
    }

    for (std::size_t i = 0; i < t_.vars.size(); ++i) {
        variable& v = t_.vars[i];
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
            if (i + 1 == t_.vars.size()) rec.symbol = text.substr(0, 20);
            t_.datanotecells.push_back(std::move(rec));
        }
    }
    text_list& texts = kind == kw_cellnote    ? t_.cellnote_texts
                       : kind == kw_cellnotex ? t_.cellnotex_texts
                                              : t_.datanotecell_texts;
    texts.push_back(std::move(text));
    return 0;
}

int reader::elimination_kw() {
    int idx = 0;
    int r = ref(idx, '=', 115);
    if (r == 110) return 0;
    if (r != 0) {
        note(115);
        return 0;
    }
    variable& v = t_.vars[static_cast<std::size_t>(idx)];
    std::string s;
    if (skip_space(f_) == '"') {
        if (read_bare_quoted(f_, s, 256) != 0) {
            note(115);
            return 0;
        }
        int p = finder_.text(v, s);
        if (p < 0) {
            note(140);
            return 0;
        }
        v.elimination_value = p;
        return 0;
    }
    if (!read_word(f_, s, 9) || !iequals(s, "YES")) {
        note(115);
        return 0;
    }
    v.elimination = 1;
    return 0;
}

int reader::partitioned_kw() {
    if (partition_failed_) return 0;
    int idx = -1;
    int r = ref(idx, '=', 117);
    if (r == 110) return 0;
    auto fail = [&] {
        partition_failed_ = true;
        if (idx >= 0) t_.vars[static_cast<std::size_t>(idx)].partitions.clear();
        note(117);
        return 0;
    };
    if (r != 0) {
        idx = -1;
        return fail();
    }
    partition p;
    if (read_quoted(f_, p.text, 70) != q_comma) return fail();
    int stop = read_digits_until(f_, p.start, ",;");
    if (stop == 0) return fail();
    if (stop == ',' && read_digits_until(f_, p.length, ";") == 0) return fail();
    t_.vars[static_cast<std::size_t>(idx)].partitions.push_back(std::move(p));
    return 0;
}

int reader::precision_kw() {
    int idx = 0;
    int r = ref(idx, ',', 123);
    if (r == 110) return 0;
    if (r != 0) {
        note(123);
        return 0;
    }
    variable& v = t_.vars[static_cast<std::size_t>(idx)];
    int pos = -1;
    if (value_ref(v, pos) != 0) {
        note(123);
        return 0;
    }
    int c = first_char(f_, false);
    if (c < '0' || c > '9' || first_char(f_, false) != ';') {
        note(123);
        return 0;
    }
    v.values[static_cast<std::size_t>(pos)].precision = c - '0';
    return 0;
}

// DOMAIN(, MAP( and VARIABLE-TYPE(: a variable reference and one string.
int reader::var_single(int problem, std::size_t max, bool problem_fatal, int terminators, int which) {
    int idx = 0;
    int r = ref(idx, '=', problem);
    if (r == 110) return 0;
    if (r != 0) {
        if (problem_fatal) return problem;
        note(problem);
        return 0;
    }
    variable& v = t_.vars[static_cast<std::size_t>(idx)];
    opt_string& dst = which == kw_domain ? v.domain : which == kw_map ? v.map : v.variable_type;
    return single(dst, max, problem, problem_fatal, terminators);
}

int reader::timeval_kw() {
    if (timeval_failed_) return 0;
    int idx = 0;
    int r = ref(idx, '=', 100);
    if (r == 110) return 0;
    timeval_failed_ = true;  // cleared below once the list is accepted
    if (r != 0) return 0;
    variable& v = t_.vars[static_cast<std::size_t>(idx)];

    std::string word;
    skip_space(f_);
    for (int i = 0; i < 6; ++i) {
        int c = f_.get();
        if (c == in_file::eof) return 0;
        if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
        word.push_back(static_cast<char>(c));
    }
    if (word != "TLIST(") return 0;
    std::string scale;
    for (int i = 0; i < 2; ++i) {
        int c = f_.get();
        if (c == in_file::eof) return 0;
        if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
        scale.push_back(static_cast<char>(c));
    }
    if (scale != "A1" && scale != "H1" && scale != "Q1" && scale != "M1" && scale != "W1") return 0;

    std::vector<timeval_entry> list;
    int c = first_char(f_, false);
    if (c == ')') {
        // TLIST(s),"c1","c2",...;
        if (first_char(f_, false) != ',') return 0;
        std::string code;
        for (;;) {
            r = read_quoted(f_, code, 257);
            if (r != q_last && r != q_comma && r != q_newline) return 0;
            list.push_back({scale, code});
            if (r == q_last) break;
        }
    } else if (c == ',') {
        // TLIST(s,"first"-"last");
        std::string first, last;
        if (read_bare_quoted(f_, first, 256) != 0) return 0;
        if (first_char(f_, false) != '-') return 0;
        if (read_bare_quoted(f_, last, 256) != 0) return 0;
        if (first_char(f_, false) != ')') return 0;
        if (skip_space(f_) == ';') f_.get();
        const std::size_t len = scale == "A1" ? 4 : (scale == "H1" || scale == "Q1") ? 5 : 6;
        auto numeric = [&](const std::string& s) {
            return s.size() == len && std::all_of(s.begin(), s.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
        };
        if (!numeric(first) || !numeric(last) || first > last) return 0;
        const int top = scale == "H1" ? 2 : scale == "Q1" ? 4 : scale == "M1" ? 12 : 52;
        int year = std::stoi(first.substr(0, 4));
        int period = len == 4 ? 0 : std::stoi(first.substr(4));
        if (len != 4 && (period < 1 || period > top)) return 0;
        for (;;) {
            std::string code = std::to_string(year);
            code.insert(0, 4 - std::min<std::size_t>(4, code.size()), '0');
            if (len == 5) code += static_cast<char>('0' + period);
            if (len == 6) {
                code += static_cast<char>('0' + period / 10);
                code += static_cast<char>('0' + period % 10);
            }
            if (code.size() != len || code > last) return 0;
            list.push_back({scale, code});
            if (code == last) break;
            if (len == 4 || period == top) {
                ++year;
                period = 1;
            } else {
                ++period;
            }
        }
    } else {
        return 0;
    }

    if (v.values.empty()) {
        finder_.forget();
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
    t_.timeval = std::move(list);
    v.is_time = 1;
    timeval_failed_ = false;
    seen_[kw_timeval] = true;
    return 0;
}

int reader::contvariable_kw() {
    if (seen_[kw_contvariable]) {
        note(160);
        return 0;
    }
    seen_[kw_contvariable] = true;
    opt_string name;
    int r = read_single_string(f_, 80, name);
    if (r == 200) return 200;
    bool exists = false;
    if (r == 0)
        for (const variable& v : t_.vars)
            if (v.name == name) exists = true;
    if (!exists) {
        note(160);
        return 0;
    }
    t_.contvariable = std::move(name);
    ++contvariable_ok_;
    return 0;
}

const variable* reader::contents_variable() const {
    for (const variable& v : t_.vars)
        if (t_.contvariable && v.name == t_.contvariable) return &v;
    return nullptr;
}

// LAST-UPDATED("c")= and its kin: items of the contents value c.
int reader::per_content(int code) {
    int problem = 0;
    switch (code) {
    case kw_baseperiod_c: problem = 154; break;
    case kw_cfprices_c: problem = 152; break;
    case kw_contact_c: problem = 146; break;
    case kw_last_updated_c: problem = 149; break;
    case kw_refperiod_c: problem = 147; break;
    case kw_seasadj_c: problem = 144; break;
    case kw_stockfa_c: problem = 151; break;
    case kw_dayadj_c: problem = 143; break;
    default: problem = 103; break;
    }
    if (contvariable_ok_ == 0) {
        note(160);
        return 0;
    }
    std::string content;
    if (read_quoted(f_, content, 257) != q_paren) {
        note(problem);
        return 0;
    }
    content.pop_back();
    const variable* cv = contents_variable();
    if (!cv || finder_.text(*cv, content) < 0 || skip_to(f_, '=') == in_file::eof) {
        note(problem);
        return 0;
    }

    continfo item;
    int r = 0;
    switch (code) {
    case kw_baseperiod_c:
    case kw_contact_c:
    case kw_refperiod_c: {
        text_list list;
        r = read_text_list(f_, list);
        if (r == 200) return 200;
        if (code == kw_baseperiod_c) item.baseperiod = std::move(list);
        if (code == kw_contact_c) item.contact = std::move(list);
        if (code == kw_refperiod_c) item.refperiod = std::move(list);
        break;
    }
    case kw_last_updated_c:
    case kw_units_c:
        r = read_single_string(f_, 256, code == kw_units_c ? item.units : item.last_updated);
        if (r == 200) return 200;
        break;
    case kw_cfprices_c:
    case kw_stockfa_c: {
        int c = first_char(f_, true);
        if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
        bool ok = code == kw_cfprices_c ? (c == 'C' || c == 'F') : (c == 'S' || c == 'F' || c == 'A');
        if (!ok) r = 1;
        else if (code == kw_cfprices_c) item.cfprices = static_cast<char>(c);
        else item.stockfa = static_cast<char>(c);
        break;
    }
    default: {  // SEASADJ(, DAYADJ(
        int c = first_char(f_, false);
        int yn = (c == 'Y' || c == 'y') ? 1 : (c == 'N' || c == 'n') ? 0 : -1;
        if (yn < 0) r = 1;
        else if (code == kw_seasadj_c) item.seasadj = yn;
        else item.dayadj = yn;
        break;
    }
    }
    if (r != 0) {
        note(problem);
        return 0;
    }

    continfo* rec = nullptr;
    for (continfo& ci : t_.continfos)
        if (ci.content == content) rec = &ci;
    if (!rec && !t_.continfos.front().content) rec = &t_.continfos.front();
    if (!rec) rec = &t_.continfos.emplace_back();
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
    per_content_used_ = true;
    return 0;
}

int reader::prestext_kw() {
    int idx = 0;
    int r = ref(idx, '=', 162);
    if (r == 110) return 0;
    int n = 0;
    if (r != 0 || !read_digits(f_, n)) {
        note(162);
        return 0;
    }
    t_.vars[static_cast<std::size_t>(idx)].prestext = n;
    if (n > 3) note(162);
    return 0;
}

int reader::keys_kw() {
    ++keys_count_;
    std::string name;
    if (read_quoted(f_, name, 257) != q_paren) return 121;
    name.pop_back();
    int idx = -1;
    for (std::size_t i = 0; i < stub_n_ && i < t_.vars.size(); ++i)
        if (t_.vars[i].name == name) idx = static_cast<int>(i);
    if (idx < 0 || skip_to(f_, '=') == in_file::eof) return 121;
    std::string word;
    if (!read_word(f_, word, 6)) return 121;
    int mode = iequals(word, "VALUES") ? 1 : iequals(word, "CODES") ? 2 : 0;
    if (mode == 0) return 121;
    t_.vars[static_cast<std::size_t>(idx)].keys_mode = mode;
    return 0;
}

int reader::doublecolumn_kw() {
    int idx = 0;
    int r = ref(idx, '=', 168);
    if (r == 110) return 0;
    if (r != 0) {
        note(168);
        return 0;
    }
    int yn = -1;
    r = yes_no_word(yn, 168);
    if (r == 0 && yn >= 0) {
        t_.vars[static_cast<std::size_t>(idx)].doublecolumn = yn;
        if (yn == 1) ++doublecolumn_yes_;
    }
    return r;
}

int reader::hierarchy_digits(int code) {
    int idx = 0;
    int r = ref(idx, '=', 1);
    if (r == 110) return 0;
    if (r != 0) {
        note(code == kw_hierarchylevels ? 201 : 189);
        return 0;
    }
    int n = 0;
    if (!read_digits(f_, n)) {
        if (code == kw_hierarchylevels) return 201;
        note(189);
        return 0;
    }
    variable& v = t_.vars[static_cast<std::size_t>(idx)];
    (code == kw_hierarchylevels ? v.hierarchylevels : v.hierarchylevelsopen) = n;
    return 0;
}

int reader::hierarchynames_kw() {
    int idx = 0;
    int r = ref(idx, '=', 202);
    if (r == 110) return 0;
    if (r != 0) {
        note(202);
        return 0;
    }
    return text_list_kw(t_.vars[static_cast<std::size_t>(idx)].hierarchynames, 202);
}

// "root","parent":"child","parent":"child",...;
int reader::hierarchies_kw() {
    int idx = 0;
    int r = ref(idx, '=', 203);
    if (r == 110) return 0;
    if (r != 0) {
        note(203);
        return 0;
    }
    std::vector<hierarchy_link> links;
    std::string s;
    opt_string parent;
    for (;;) {
        if (read_bare_quoted(f_, s, 256) != 0) {
            note(203);
            return 0;
        }
        int c = first_char(f_, false);
        if (c == ':') {
            if (parent) {
                note(203);
                return 0;
            }
            parent = s;
            continue;
        }
        if (c != ',' && c != ';') {
            note(203);
            return 0;
        }
        links.push_back({parent ? *parent : std::string("START"), s});
        parent.reset();
        if (c == ';') break;
    }
    variable& v = t_.vars[static_cast<std::size_t>(idx)];
    v.hierarchies = std::move(links);
    v.has_hierarchy = 1;
    return 0;
}

// COPYRIGHT=, DAYADJ=, SEASADJ=: the first character after blanks.
int reader::yes_no_first(int& dst, int problem) {
    int c = first_char(f_, false);
    if (c == 'Y' || c == 'y') dst = 1;
    else if (c == 'N' || c == 'n') dst = 0;
    else note(problem);
    return 0;
}

// AGGREGALLOWED=, AUTOPEN=, DOUBLECOLUMN(, DESCRIPTIONDEFAULT=: an unquoted
// word of at most 9 characters, judged by its first letter. dst is -1 when
// the word is refused.
int reader::yes_no_word(int& dst, int problem) {
    std::string w;
    dst = -1;
    if (read_word(f_, w, 9) && !w.empty()) {
        if (w[0] == 'Y' || w[0] == 'y') dst = 1;
        else if (w[0] == 'N' || w[0] == 'n') dst = 0;
    }
    if (dst < 0) note(problem);
    return 0;
}

int reader::dispatch(int code) {
    // Statements used once: a repeat is left to the recogniser, except
    // where a repeat is itself a problem.
    switch (code) {
    case kw_matrix: case kw_subject_area: case kw_units: case kw_title: case kw_stub:
    case kw_heading: case kw_decimals: case kw_contents: case kw_subject_code:
    case kw_dayadj: case kw_seasadj: case kw_source: case kw_contact: case kw_refperiod:
    case kw_velt_version: case kw_last_updated: case kw_stockfa: case kw_cfprices:
    case kw_baseperiod: case kw_infofile: case kw_showdecimals: case kw_language:
    case kw_aggregallowed: case kw_confidential: case kw_codepage:
    case 67: case 68: case 69: case 70: case 71: case 72:
    case kw_datasymbolsum: case kw_datasymbolnil: case kw_datanotesum:
    case kw_next_update: case kw_vt_server: case kw_directory_path:
    case kw_update_frequency: case kw_info: case kw_link: case kw_survey:
    case kw_default_graph: case kw_tableid: case kw_synonyms:
        if (seen_[static_cast<std::size_t>(code)]) return 0;
        seen_[static_cast<std::size_t>(code)] = true;
        break;
    case kw_description: case kw_copyright: case kw_creation_date: case kw_database: {
        if (seen_[static_cast<std::size_t>(code)]) {
            note(code == kw_description ? 105 : code == kw_copyright ? 142
                 : code == kw_creation_date ? 150 : 155);
            return 0;
        }
        seen_[static_cast<std::size_t>(code)] = true;
        break;
    }
    default:
        break;
    }

    continfo& ci0 = t_.continfos.front();
    switch (code) {
    case kw_matrix: return single(t_.matrix, 20, 101, true, term_fatal);
    case kw_subject_area: return single(t_.subject_area, 256, 102, true, term_fatal);
    case kw_subject_code: return single(t_.subject_code, 20, 125, true, term_fatal);
    case kw_contents: return single(t_.contents, 256, 120, true, term_fatal);
    case kw_units: {
        int r = read_single_string(f_, 256, t_.units);
        if (r == 200) return 200;
        if (r == q_none || r == q_bad || r == q_paren) return r == q_paren ? r : 103;
        if (t_.units) {
            std::string& u = *t_.units;
            while (!u.empty() && u.back() == ' ') u.pop_back();
            if (u.empty()) t_.units.reset();
        }
        // A string followed by "," or a line break goes on as a
        // per-content UNITS( statement.
        if (r == q_comma || r == q_newline) return per_content(kw_units_c);
        return 0;
    }
    case kw_title: {
        int r = read_text_list(f_, t_.title);
        if (r == 200) return 200;
        return r == 0 ? 0 : 104;
    }
    case kw_description: return text_list_kw(t_.description, 105);
    case kw_stub: return names(true);
    case kw_heading: return names(false);
    case kw_values: return values_kw();
    case kw_codes: return codes_kw();
    case kw_note: return text_list_kw(t_.note, 110);
    case kw_notex: return text_list_kw(t_.notex, 110);
    case kw_note_var: return var_text_list(111, false);
    case kw_notex_var: return var_text_list(111, true);
    case kw_valuenote: return value_note(112, false);
    case kw_valuenotex: return value_note(112, true);
    case kw_cellnote:
    case kw_cellnotex:
    case kw_datanotecell: return cell_entry(code);
    case kw_compressed:
    case kw_notep: return 0;
    case kw_elimination: return elimination_kw();
    case kw_decimals: {
        int n = 0;
        if (!read_digits(f_, n) || n > 15) return 137;
        t_.decimals = n;
        return 0;
    }
    case kw_showdecimals: {
        int n = 0;
        if (!read_digits(f_, n) || n > 6) note(138);
        else t_.showdecimals = n;
        return 0;
    }
    case kw_default_graph: {
        int n = 0;
        if (!read_digits(f_, n) || n > 10) return 187;
        t_.default_graph = n;
        return 0;
    }
    case kw_partitioned: return partitioned_kw();
    case kw_keys_no: {
        int c = first_char(f_, false);
        if (c != 'N' && c != 'n') return 121;
        keys_no_ = true;
        return 0;
    }
    case kw_precision: return precision_kw();
    case kw_domain: return var_single(124, 256, false, term_note_own, kw_domain);
    case kw_map: return var_single(164, 256, true, term_fatal, kw_map);
    case kw_variable_type: return var_single(186, 80, false, term_fatal, kw_variable_type);
    case kw_copyright: return yes_no_first(t_.copyright, 142);
    case kw_dayadj: return yes_no_first(ci0.dayadj, 143);
    case kw_seasadj: return yes_no_first(ci0.seasadj, 143);
    case kw_source: return text_list_kw(t_.source, 145);
    case kw_contact: return text_list_kw(ci0.contact, 146);
    case kw_refperiod: return text_list_kw(ci0.refperiod, 147);
    case kw_baseperiod: return text_list_kw(ci0.baseperiod, 154);
    case kw_database: return text_list_kw(t_.database, 155);
    case kw_infofile: return text_list_kw(t_.infofile, 156);
    case kw_info: return text_list_kw(t_.info, 183);
    case kw_velt_version: {
        int r = read_single_string(f_, 256, t_.velt_version);
        if (r == 200) return 200;
        if (r == q_none || r == q_bad) {
            t_.velt_version.reset();
            note(148);
        } else if (r != 0) {
            note(r);
        }
        return 0;
    }
    case kw_last_updated: return single(ci0.last_updated, 256, 149, false, term_note_own);
    case kw_creation_date: return single(t_.creation_date, 256, 150, false, term_note_own);
    case kw_stockfa:
    case kw_cfprices: {
        int c = first_char(f_, true);
        if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
        if (code == kw_stockfa) {
            if (c == 'S' || c == 'F' || c == 'A') ci0.stockfa = static_cast<char>(c);
            else note(151);
        } else {
            if (c == 'C' || c == 'F') ci0.cfprices = static_cast<char>(c);
            else note(152);
        }
        return 0;
    }
    case kw_timeval:
        if (seen_[kw_timeval]) return 0;
        return timeval_kw();
    case kw_contvariable: return contvariable_kw();
    case kw_baseperiod_c: case kw_cfprices_c: case kw_contact_c: case kw_last_updated_c:
    case kw_refperiod_c: case kw_seasadj_c: case kw_stockfa_c: case kw_dayadj_c:
    case kw_units_c:
        return per_content(code);
    case kw_prestext: return prestext_kw();
    case kw_keys: return keys_kw();
    case kw_charset: {
        opt_string cs;
        int r = read_single_string(f_, 20, cs);
        if (r == 200) return 200;
        char c = (r == 0 && cs && !cs->empty()) ? (*cs)[0] : '\0';
        if (c == 'O' || c == 'o') cfg_.oem_input = true;
        else if (c == 'A' || c == 'a') cfg_.oem_input = false;
        else note(163);
        return 0;
    }
    case kw_language: return single(t_.language, 2, 165, false, term_note_own);
    case kw_aggregallowed: {
        int yn = -1;
        yes_no_word(yn, 166);
        if (yn >= 0) t_.aggregallowed = yn;
        return 0;
    }
    case kw_autopen: {
        int yn = -1;
        yes_no_word(yn, 167);
        if (yn >= 0) t_.autopen = yn;
        return 0;
    }
    case kw_doublecolumn: return doublecolumn_kw();
    case kw_descriptiondefault: {
        int yn = -1;
        yes_no_word(yn, 169);
        if (yn == 0) t_.descriptiondefault = 0;
        // YES counts only for a table that has a description.
        if (yn == 1 && !t_.description.empty()) t_.descriptiondefault = 1;
        return 0;
    }
    case kw_confidential: return single(t_.confidential, 20, 170, false, term_note_own);
    case kw_codepage: return single(t_.codepage, 20, 171, false, term_note_own);
    case kw_languages:
        if (!seen_[kw_languages] && t_.language) {
            seen_[kw_languages] = true;
            t_.languages = cfg_.selected_language;
        }
        return 0;
    case 67: case 68: case 69: case 70: case 71: case 72:
        return single(t_.datasymbol[code - 67], 20, 173, false, term_note_own);
    case kw_datasymbolsum: return single(t_.datasymbolsum, 20, 174, false, term_note_own);
    case kw_datasymbolnil: return single(t_.datasymbolnil, 20, 175, false, term_note_own);
    case kw_datanotesum: return single(t_.datanotesum, 20, 177, false, term_note_own);
    case kw_next_update: return single(t_.next_update, 256, 178, false, term_note_own);
    case kw_vt_server: return single(t_.vt_server, 256, 179, false, term_note_own);
    case kw_directory_path: return single(t_.directory_path, 256, 181, false, term_note_own);
    case kw_update_frequency: return single(t_.update_frequency, 256, 182, false, term_note_own);
    case kw_link: return single(t_.link, 256, 184, false, term_note_own);
    case kw_survey: return single(t_.survey, 256, 185, false, term_note_own);
    case kw_tableid: return single(t_.tableid, 256, 188, false, term_note_own);
    case kw_synonyms: return single(t_.synonyms, 256, 205, false, term_note_own);
    case kw_hierarchylevelsopen:
    case kw_hierarchylevels: return hierarchy_digits(code);
    case kw_hierarchynames: return hierarchynames_kw();
    case kw_hierarchies: return hierarchies_kw();
    case kw_rounding: {
        std::string w;
        if (read_word(f_, w, 9) && (w == "0" || w == "1")) t_.rounding = w[0] - '0';
        else note(206);
        return 0;
    }
    default:
        return 0;
    }
}

int reader::end_checks(bool got_data) {
    // 1. Mandatory keywords.
    if (!seen_[kw_matrix]) return 131;
    if (!seen_[kw_subject_area]) return 132;
    if (!seen_[kw_subject_code]) return 133;
    if (!seen_[kw_stub] && !seen_[kw_heading]) return 134;
    if (!seen_[kw_units]) return 135;
    if (!seen_[kw_contents]) return 136;
    if (!seen_[kw_decimals]) return 137;
    // 2. A missing title is taken from the description.
    if (!seen_[kw_title]) {
        if (t_.description.empty()) return 130;
        t_.title.assign(1, t_.description.front());
    }
    // 3.
    if (!seen_[kw_copyright]) t_.copyright = -1;
    // 4.
    if (per_content_used_ && (!t_.contvariable || t_.contvariable->empty())) note(161);
    // 5.
    if (doublecolumn_yes_ > 0)
        for (const variable& v : t_.vars)
            if (v.doublecolumn == 1 && (v.values.empty() || !v.values.front().code)) note(168);
    // 6.
    if (contvariable_ok_ > 0 && !contents_variable()) note(100);
    // 7.
    if (seen_[kw_showdecimals]) {
        if (t_.decimals < t_.showdecimals) note(138);
    } else {
        t_.showdecimals = t_.decimals;
    }
    // 8. Keyed data needs one KEYS( per stub variable, and no KEYS=NO.
    if (keys_count_ > 0) {
        if (keys_no_) return 121;
        if (static_cast<std::size_t>(keys_count_) != stub_n_) return 121;
        for (std::size_t i = 0; i < stub_n_; ++i)
            if (t_.vars[i].keys_mode == 0) return 121;
    }
    // 9. Without stub variables the chain starts at the heading: nothing to
    // do, the chain always starts with the stub.
    // 10.
    bool has_sort = false;
    for (variable& v : t_.vars) {
        if (v.name && *v.name == "$$SORT") {
            v.name.reset();
            t_.units.reset();
            has_sort = true;
        }
        if (v.values.empty()) return 141;
        if (!v.values.front().code) v.prestext = 1;
    }
    // 11.
    if (!has_sort && !t_.units) t_.units = "?";
    // 12.
    if (cfg_.selected_language.size() == 2 && t_.language && t_.language->size() == 2) {
        t_.language = cfg_.selected_language;
        cfg_.selected_language.clear();
    }
    // 13.
    if (!got_data) return 180;
    // 14.
    compute_strides(t_.vars);
    return errors_.empty() ? 0 : errors_.front();
}

int reader::run() {
    cfg_.oem_input = true;
    t_.compressed = 0;
    t_.aggregallowed = 1;
    t_.rounding = -1;
    for (variable& v : t_.vars) v.keys_mode = 0;
    stub_n_ = t_.heading <= t_.vars.size() ? t_.heading : t_.vars.size();

    const bool lang = !cfg_.selected_language.empty();
    bool got_data = false;
    for (;;) {
        int code = lang ? read_keyword_lang(f_) : read_keyword(f_);
        if (code == kw_eof) break;
        if (code == kw_none) continue;
        if (code == kw_data) {
            got_data = true;
            break;
        }
        int r = dispatch(code);
        if (r != 0) return r;
    }
    return end_checks(got_data);
}

}  // namespace

int read_keyword(in_file& f) { return recognise(f, plain_patterns(), nullptr); }

int read_keyword_lang(in_file& f) {
    const std::string& lang = reader_state().selected_language;
    if (lang.size() < 2) return recognise(f, plain_patterns(), nullptr);
    return recognise(f, language_patterns(), &lang);
}

namespace {
// The characters of a quoted string after its opening quote, up to and
// including the closing quote: converted from OEM when asked, line breaks
// dropped, tabs made blanks. Works on the buffered bytes a stretch at a
// time, since value lists of big tables are most of a keyword part. False
// when the file ends first or more than `limit` characters come.
bool take_string_body(in_file& f, std::string& out, std::size_t limit) {
    const bool oem = reader_state().oem_input;
    for (;;) {
        const char* b = f.window_begin();
        const char* e = f.window_end();
        if (b == e) {
            if (!f.refill()) return false;
            continue;
        }
        const char* q = static_cast<const char*>(std::memchr(b, '"', static_cast<std::size_t>(e - b)));
        const char* stop = q ? q : e;
        const std::size_t n = static_cast<std::size_t>(stop - b);
        const std::size_t old = out.size();
        out.append(b, n);
        char* d = out.data() + old;
        if (oem) plat::oem_to_ansi(d, n);
        char* w = d;
        for (char* r = d; r < d + n; ++r) {
            if (*r == '\n') continue;
            *w++ = *r == '\t' ? ' ' : *r;
        }
        out.resize(static_cast<std::size_t>(w - out.data()));
        if (out.size() > limit) return false;
        f.advance(n);
        if (q) {
            f.advance(1);
            return true;
        }
    }
}
}  // namespace

int read_quoted(in_file& f, std::string& out, std::size_t max, int* none_char) {
    out.clear();
    int c;
    do c = f.get();
    while (c == ' ' || c == '\t' || c == '\n');
    if (c == ',' || c == ';') {
        if (none_char) *none_char = c;
        return q_none;
    }
    if (c != '"') return q_bad;
    if (!take_string_body(f, out, max > 0 ? max - 1 : 0)) return q_bad;
    do c = f.get();
    while (c == ' ');
    switch (c) {
    case ';': return q_last;
    case ',': return q_comma;
    case '\n': return q_newline;
    case ')':
        out.push_back(')');
        return q_paren;
    default: return q_bad;
    }
}

int read_single_string(in_file& f, std::size_t max, opt_string& out) {
    try {
        std::string s;
        s.reserve(std::min<std::size_t>(max + 1, 64));
        int r = read_quoted(f, s, max + 1);
        out = std::move(s);
        return r;
    } catch (const std::bad_alloc&) {
        return 200;
    }
}

namespace {
// The list readers share one loop: strings separated by "," or line breaks
// and ended by ";". A ";" on the line after the last string also ends the
// list.
template <class Add>
int read_list(in_file& f, std::size_t max, Add&& add) {
    try {
        std::string s;
        int prev = -1;
        for (;;) {
            int none = 0;
            int r = read_quoted(f, s, max, &none);
            if (r == q_none) {
                if (prev == q_newline && none == ';') return 0;
                return 100;
            }
            if (r != q_last && r != q_comma && r != q_newline) return 100;
            add(s);
            if (r == q_last) return 0;
            prev = r;
        }
    } catch (const std::bad_alloc&) {
        return 200;
    }
}
}  // namespace

int read_text_list(in_file& f, text_list& out) {
    text_list list;
    int r = read_list(f, 257, [&](const std::string& s) { list.push_back(s); });
    if (r == 0) out = std::move(list);
    return r;
}

int read_name_list(in_file& f, std::vector<variable>& out, int& counter) {
    std::vector<variable> vars;
    int r = read_list(f, 257, [&](const std::string& s) {
        variable v;
        v.name = s;
        vars.push_back(std::move(v));
    });
    if (r == 0) {
        counter += static_cast<int>(vars.size());
        out = std::move(vars);
    }
    return r;
}

int read_value_list(in_file& f, int& count, int& maxlen, std::vector<value>& out) {
    // The texts are gathered first so the value records, which are much
    // larger, are allocated once at their final number.
    std::vector<std::string> texts;
    int longest = 0;
    int r = read_list(f, 256, [&](const std::string& s) {
        longest = std::max(longest, static_cast<int>(s.size()));
        texts.push_back(s);
    });
    if (r != 0) return r;
    try {
        std::vector<value> vals(texts.size());
        for (std::size_t i = 0; i < texts.size(); ++i) vals[i].text = std::move(texts[i]);
        count = static_cast<int>(vals.size());
        maxlen = longest;
        out = std::move(vals);
    } catch (const std::bad_alloc&) {
        return 200;
    }
    return 0;
}

int find_variable_ref(in_file& f, const table& t, int names_read, int& var_index, int* stop_char) {
    var_index = -1;
    int c = skip_space(f);
    if (c == '"') {
        std::string name;
        if (read_bare_quoted(f, name, 256) != 0) return 100;
        for (std::size_t i = 0; i < t.vars.size(); ++i)
            if (t.vars[i].name == name) {
                var_index = static_cast<int>(i);
                break;
            }
    } else if (c >= '0' && c <= '9') {
        long long n = 0;
        while ((c = f.peek()) >= '0' && c <= '9') {
            n = std::min<long long>(n * 10 + (c - '0'), 1000000000LL);
            f.get();
        }
        if (n >= 1 && n <= names_read && n <= static_cast<long long>(t.vars.size()))
            var_index = static_cast<int>(n - 1);
    } else {
        return 100;
    }
    int stop = skip_to(f, '=', ',');
    if (stop == in_file::eof) return 100;
    if (stop_char) *stop_char = stop;
    return var_index >= 0 ? 0 : 110;
}

int metain(in_file& f, table& t) {
    plat::trace("metain", "start");
    int r;
    try {
        reader rd(f, t);
        r = rd.run();
    } catch (const std::bad_alloc&) {
        r = 200;
    }
    plat::trace("metain", "slut");
    return r;
}

int read_table_file(const std::string& path, in_file& f, table& t) {
    if (!f.open(path)) return 400;
    return metain(f, t);
}

// ---------------------------------------------------------------------------
// Time lists.

std::string timeval_text(const std::string& scale, const std::string& code) {
    if (scale == "A1" || code.size() < 4) return code;
    char mark = scale.empty() ? ' ' : scale[0];
    return code.substr(0, 4) + mark + code.substr(4);
}

bool timeval_valid(const variable& v, const std::vector<timeval_entry>& list) {
    if (list.empty() || list.size() != v.values.size()) return false;
    const std::string& scale = list.front().scale;
    std::size_t len;
    int top;
    if (scale == "A1") { len = 4; top = 0; }
    else if (scale == "H1") { len = 5; top = 2; }
    else if (scale == "Q1") { len = 5; top = 4; }
    else if (scale == "M1") { len = 6; top = 12; }
    else if (scale == "W1") { len = 6; top = 52; }
    else return false;

    std::unordered_set<std::string_view> texts;
    if (len == 4)
        for (const value& val : v.values) texts.insert(val.text);
    int prev_year = 0, prev_period = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string& code = list[i].code;
        if (list[i].scale != scale || code.size() != len) return false;
        if (!std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return false;
        int year = std::stoi(code.substr(0, 4));
        int period = len == 4 ? 0 : std::stoi(code.substr(4));
        if (len != 4 && (period < 1 || period > top)) return false;
        if (len == 4) {
            if (!texts.count(code)) return false;
            if (i > 0 && year != prev_year + 1) return false;
        } else {
            std::string text = v.values[i].text;
            if (text.size() > 5) text.erase(4, 1);
            if (text != code) return false;
            if (i > 0) {
                bool next = (period == prev_period + 1 && year == prev_year) ||
                            (prev_period == top && period == 1 && year == prev_year + 1);
                if (!next) return false;
            }
        }
        prev_year = year;
        prev_period = period;
    }
    return true;
}

}  // namespace vt
