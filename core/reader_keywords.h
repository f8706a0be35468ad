// Inside the table file reader: the keyword table (one row per keyword
// pattern, in the order the recogniser tries them, with the handler that
// reads the statement) and the state of one read that the handlers fill.
// Only the reader's own files include this; everyone else uses
// core/reader.h.
#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/infile.h"
#include "core/reader.h"
#include "core/table.h"

namespace vt::reading {

struct statement_reader;
struct keyword_row;

// Reads one statement whose keyword was just recognised: 0, or a fatal code
// that ends the read at once. Problems that let the read go on are noted.
using keyword_handler = int (*)(statement_reader&, const keyword_row&);

// What a second statement of a keyword does.
enum class repeat_rule : unsigned char {
    read_each,    // every statement is read
    first_only,   // only the first counts; later ones are scanned as keyword text
    first_noted,  // as first_only, and a repeat notes the keyword's problem code
    first_taken,  // later ones are ignored once the handler has taken one
};

struct keyword_row {
    int code;               // what the recogniser returns (keyword_code)
    const char* pattern;    // upper case, blanks never part of it
    repeat_rule repeat;
    int problem;            // the code a faulty statement gives; 0 for none
    keyword_handler handle;
};

inline constexpr int keyword_count = 93;
extern const keyword_row keyword_table[keyword_count];

// The row that reads statements of `code`, or nullptr for codes with none.
const keyword_row* row_for(int code) noexcept;

// How a one-string statement treats a string that is missing or malformed,
// and one followed by ",", a line break or ")" instead of ";".
enum class string_rule : unsigned char {
    fatal,           // a missing string stops the read with the keyword's code,
                     // a wrong terminator with the terminator's result (1, 2, 3)
    noted,           // both are noted under the keyword's code; the string is kept
    terminator_fatal // a missing string is noted, a wrong terminator stops the read
};

// The characters of a quoted string after its opening quote up to and
// including the closing one (false when the file ends first or the text is
// longer than `limit`). Defined with read_quoted.
bool take_string_body(in_file& f, std::string& out, std::size_t limit);

inline bool is_blank(int c) noexcept { return c == ' ' || c == '\t' || c == '\n'; }

// Skips blanks, tabs and line breaks and returns the next byte unread.
inline int skip_space(in_file& f) noexcept {
    int c = f.peek();
    while (c != in_file::eof && is_blank(c)) {
        f.get();
        c = f.peek();
    }
    return c;
}

// Skips everything up to and including the next of the stop characters.
// Returns the stop character met, or eof.
inline int skip_to(in_file& f, char a, char b = '\0') noexcept {
    for (;;) {
        int c = f.get();
        if (c == in_file::eof) return c;
        if (c == a || (b && c == b)) return c;
    }
}

// The text of a quoted string whose opening quote is next (after blanks),
// up to the closing quote; nothing after it is taken. At most `limit`
// characters. 0, or q_bad when there is no string, it is too long or the
// file ends inside it.
inline int read_bare_quoted(in_file& f, std::string& out, std::size_t limit) {
    out.clear();
    if (skip_space(f) != '"') return q_bad;
    f.get();
    return take_string_body(f, out, limit) ? 0 : q_bad;
}

// Finds values by text (or by DATANOTECELL key: the code, or the text when
// the value has no code) through a hash index once a variable has more than
// a handful of values, so files with many value references on big
// variables are read in linear time. forget() must follow every change of
// variables, values or codes.
class value_finder {
public:
    int text(const variable& v, std::string_view s) { return find(v, s, false); }
    int key(const variable& v, std::string_view s) { return find(v, s, true); }
    void forget() noexcept { maps_.clear(); }

private:
    int find(const variable& v, std::string_view s, bool by_key);
    std::map<std::pair<const variable*, bool>, std::unordered_map<std::string_view, int>> maps_;
};

// One read of a keyword part. The keyword table's handlers are free
// functions, so what they work on is open to them.
struct statement_reader {
    statement_reader(in_file& file, table& tab) : f(file), t(tab), cfg(reader_state()) {}

    // Reads statements up to "DATA=" or the end of the file, then runs the
    // end checks: 0, a fatal code, or the first problem noted.
    int run();

    void note(int code) {
        if (errors.size() < 100) errors.push_back(code);
    }

    // ---- Helpers of the handlers (core/reader_handlers.cpp).

    // The variable of a per-variable statement: 0 with idx set,
    // codes::reader_unknown_variable to ignore the statement, or `problem`
    // when the reference is malformed or not followed by `expect` ("=", or
    // "," when a value reference follows).
    int ref(int& idx, char expect, int problem);
    // As ref, but a malformed reference is noted: true when the statement
    // goes on with the variable in idx.
    bool noted_ref(int& idx, char expect, int problem);
    int one_string(opt_string& dst, std::size_t max, int problem, string_rule rule);
    int text_list_of(text_list& dst, int problem);
    // COPYRIGHT=, DAYADJ=, SEASADJ=: Y or N as the first character after blanks.
    int yes_no_first(int& dst, int problem);
    // AGGREGALLOWED=, AUTOPEN=, DOUBLECOLUMN(, DESCRIPTIONDEFAULT=: an
    // unquoted word judged by its first letter: 1, 0, or -1 when refused
    // (noted).
    int yes_no_word(int problem);
    // After the variable reference of VALUENOTE(, VALUENOTEX( and
    // PRECISION(: a quoted value text or a 1-based position, then up to
    // "=". The value's position, or -1.
    int value_ref(const variable& v);
    // The variable and the value reference of VALUENOTE(, VALUENOTEX( and
    // PRECISION(: the value, or nullptr when the statement is ignored (a
    // malformed reference or no such value is noted under `problem`).
    value* noted_value(int problem);
    const variable* contents_variable() const;

    // ---- Handlers of the keywords that need more than a line.
    int units();
    int names(bool stub, int problem);
    int values(int problem);
    int value_codes(int problem);
    int var_text_list(bool notex, int problem);
    int value_note(bool notex, int problem);
    int cell_entry(int kind, int problem);
    int elimination(int problem);
    int partitioned(int problem);
    int precision(int problem);
    int var_string(opt_string variable::*field, std::size_t max, int problem, string_rule rule);
    int unquoted_number(int& dst, int most, int problem, bool fatal);
    int velt_version(int problem);
    int letter_choice(char& dst, std::string_view letters, int problem);
    int timeval();
    int contvariable();
    int per_content(int code, int problem);
    int prestext(int problem);
    int keys_no();
    int keys();
    int charset(int problem);
    int doublecolumn(int problem);
    int descriptiondefault(int problem);
    int hierarchy_digits(int variable::*field, bool fatal, int problem);
    int hierarchynames(int problem);
    int hierarchies(int problem);
    int rounding(int problem);

    // The checks when the keyword part ends (got_data: "DATA=" was met).
    int end_checks(bool got_data);

    in_file& f;
    table& t;
    reader_settings& cfg;
    std::array<bool, 101> seen{};   // by keyword code: the keyword was taken
    std::size_t stub_n = 0;         // stub variables at the front of the chain
    int names_read = 0;             // names of STUB= and HEADING= together
    int keys_count = 0;             // KEYS( statements
    bool keys_no_read = false;      // KEYS=NO
    int doublecolumn_yes = 0;       // DOUBLECOLUMN(...)=YES statements
    int contvariable_ok = 0;        // CONTVARIABLE= statements accepted
    bool timeval_failed = false;    // a TIMEVAL( failed: later ones are ignored
    bool partition_failed = false;  // a PARTITIONED( failed: later ones are ignored
    bool per_content_used = false;  // a per-content statement was accepted
    std::vector<int> errors;        // problems noted, in reading order
    value_finder finder;
};

}  // namespace vt::reading
