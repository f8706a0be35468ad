// The table file reader: keyword recognition, the string and list readers
// and metain. The keyword table and the statement loop are in
// core/reader_keywords.cpp, the statement handlers in
// core/reader_handlers.cpp.
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
#include <string_view>

#include "core/codes.h"
#include "core/reader_keywords.h"
#include "platform/bigmem.h"
#include "platform/codepage.h"
#include "platform/message.h"

namespace vt {

reader_settings& reader_state() noexcept {
    static reader_settings settings;
    return settings;
}

namespace {

using reading::keyword_table;
constexpr int npat = reading::keyword_count;

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
    // The bytes some pattern holds. Any other byte sends every pattern
    // back to its start, so a run of them (junk, NUL bytes) is passed over
    // without trying the patterns one by one.
    std::array<bool, 256> used{};
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
    for (const std::string& t : ps.text)
        for (const char ch : t) ps.used[static_cast<unsigned char>(ch)] = true;
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
    for (int i = 0; i < npat; ++i) ps.text[static_cast<std::size_t>(i)] = keyword_table[i].pattern;
    set_guards(ps);
    return ps;
}

pattern_set make_language() {
    pattern_set ps;
    for (int i = 0; i < npat; ++i) {
        std::string t = keyword_table[i].pattern;
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
    bool in_progress = false;  // some pattern is past its start
    for (;;) {
        int c = f.get();
        if (c == in_file::eof) return kw_eof;
        if (c == ' ') continue;
        if (c == '\t' || c == '"' || c == ';') return kw_none;
        if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
        if (!ps.used[static_cast<unsigned char>(c)]) {
            if (in_progress) pos.fill(0);
            in_progress = false;
            continue;
        }
        in_progress = true;

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
        if (!language || p.back() != '[') return keyword_table[winner].code;

        // KEYWORD[xx] followed by one more character ("=" or "(").
        pos.fill(0);
        in_progress = false;
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
        return keyword_table[winner].code;
    }
}

}  // namespace

int read_keyword(in_file& f) { return recognise(f, plain_patterns(), nullptr); }

int read_keyword_lang(in_file& f) {
    const std::string& lang = reader_state().selected_language;
    if (lang.size() < 2) return recognise(f, plain_patterns(), nullptr);
    return recognise(f, language_patterns(), &lang);
}

namespace reading {
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
}  // namespace reading

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
    if (!reading::take_string_body(f, out, max > 0 ? max - 1 : 0)) return q_bad;
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

int read_joined_strings(in_file& f, std::string& out) {
    out.clear();
    std::string s;
    for (;;) {
        const int r = read_quoted(f, s, 257);
        if (r != q_last && r != q_comma && r != q_newline) return r;
        out += s;
        if (r == q_last) return q_last;
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
        return codes::no_memory;
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
                return codes::reader_malformed;
            }
            if (r != q_last && r != q_comma && r != q_newline) return codes::reader_malformed;
            add(s);
            if (r == q_last) return 0;
            prev = r;
        }
    } catch (const std::bad_alloc&) {
        return codes::no_memory;
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

namespace {
// The texts of a value list while it is read: each text as one length byte
// and its characters, in blocks that are never moved. A list of half a
// million values then costs a few bytes per value until the records are
// made, and the records are made once at their final number, not grown and
// copied as the list gets longer.
class text_arena {
public:
    void add(const std::string& s) {
        if (blocks_.empty() || blocks_.back().size() + s.size() + 1 > blocks_.back().capacity()) {
            // Blocks grow with the list, so short lists stay small.
            const std::size_t size = blocks_.empty() ? first_block : std::min(blocks_.back().capacity() * 2, last_block);
            std::string& b = blocks_.emplace_back();
            b.reserve(size);
            plat::advise_large_pages(b.data(), b.capacity());
        }
        blocks_.back().push_back(static_cast<char>(static_cast<unsigned char>(s.size())));
        blocks_.back().append(s);
        ++count_;
    }
    std::size_t count() const noexcept { return count_; }
    // Calls take(text) for every text in the order added.
    template <class Take>
    void each(Take&& take) const {
        for (const std::string& b : blocks_)
            for (std::size_t i = 0; i < b.size();) {
                const std::size_t n = static_cast<unsigned char>(b[i]);
                take(std::string_view(b.data() + i + 1, n));
                i += n + 1;
            }
    }

private:
    static constexpr std::size_t first_block = std::size_t{1} << 12;
    static constexpr std::size_t last_block = plat::large_block_bytes;
    std::vector<std::string> blocks_;
    std::size_t count_ = 0;
};
}  // namespace

int read_value_list(in_file& f, int& count, int& maxlen, std::vector<value>& out) {
    // Texts are at most 255 characters (the list reader refuses longer
    // ones), so one length byte holds each.
    text_arena texts;
    int longest = 0;
    int r = read_list(f, 256, [&](const std::string& s) {
        longest = std::max(longest, static_cast<int>(s.size()));
        texts.add(s);
    });
    if (r != 0) return r;
    try {
        std::vector<value> vals;
        plat::reserve_large(vals, texts.count());
        texts.each([&](std::string_view s) { vals.emplace_back().text.assign(s); });
        count = static_cast<int>(vals.size());
        maxlen = longest;
        out = std::move(vals);
    } catch (const std::bad_alloc&) {
        return codes::no_memory;
    }
    return 0;
}

int find_variable_ref(in_file& f, const table& t, int names_read, int& var_index, int* stop_char) {
    var_index = -1;
    int c = reading::skip_space(f);
    if (c == '"') {
        std::string name;
        if (reading::read_bare_quoted(f, name, 256) != 0) return codes::reader_malformed;
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
        return codes::reader_malformed;
    }
    int stop = reading::skip_to(f, '=', ',');
    if (stop == in_file::eof) return codes::reader_malformed;
    if (stop_char) *stop_char = stop;
    return var_index >= 0 ? 0 : codes::reader_unknown_variable;
}

int metain(in_file& f, table& t) {
    plat::trace("metain", "start");
    int r;
    try {
        reading::statement_reader rd(f, t);
        r = rd.run();
    } catch (const std::bad_alloc&) {
        r = codes::no_memory;
    }
    plat::trace("metain", "slut");
    return r;
}

int read_table_file(const std::string& path, in_file& f, table& t) {
    if (!f.open(path)) return codes::cannot_open;
    return metain(f, t);
}

}  // namespace vt
