// The in-memory table: one statistical table with its metadata, its
// variables and values, and (once loaded) its data matrix.
//
// Every field corresponds to one keyword of the table file; names follow the
// keyword in lower case. Strings are bytes in the ANSI code page
// (Windows-1252). A string that may be absent is an `opt_string`
// (std::nullopt = not given, which is different from an empty string).
// Text lists are never present-but-empty when read from a file, so an empty
// vector means "not given".
//
// The variables form one chain: the stub variables first, then the heading
// variables. The chain is `table::vars`; `table::heading` is the position of
// the first heading variable in it (equal to vars.size() when the table has
// no heading variables). References from one record to another (elimination
// value, cell-note references) are positions, so copies stay valid.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/datablock.h"

namespace vt {

using opt_string = std::optional<std::string>;
using text_list = std::vector<std::string>;

// The notes of one value (VALUENOTEX or VALUENOTE). Almost every value has
// none, and a variable may have hundreds of thousands of values, so the list
// lives behind one pointer that stays null until the list has texts: an
// empty list costs 8 bytes and no allocation. It reads like a text_list and
// converts to one; changes go through assignment or edit().
class note_list {
public:
    using value_type = std::string;
    using size_type = std::size_t;
    using iterator = text_list::const_iterator;
    using const_iterator = text_list::const_iterator;

    note_list() noexcept = default;
    note_list(text_list l) { *this = std::move(l); }
    note_list(std::initializer_list<std::string> l) : note_list(text_list(l)) {}
    note_list(const note_list& o) : p_(o.empty() ? nullptr : std::make_unique<text_list>(*o.p_)) {}
    note_list(note_list&&) noexcept = default;
    note_list& operator=(const note_list& o) {
        if (this != &o) p_ = o.empty() ? nullptr : std::make_unique<text_list>(*o.p_);
        return *this;
    }
    note_list& operator=(note_list&&) noexcept = default;
    note_list& operator=(text_list l) {
        if (l.empty()) p_.reset();
        else if (p_) *p_ = std::move(l);
        else p_ = std::make_unique<text_list>(std::move(l));
        return *this;
    }
    note_list& operator=(std::initializer_list<std::string> l) { return *this = text_list(l); }

    const text_list& list() const noexcept { return p_ ? *p_ : none(); }
    operator const text_list&() const noexcept { return list(); }
    // The list for changing in place (allocated when there was none).
    text_list& edit() {
        if (!p_) p_ = std::make_unique<text_list>();
        return *p_;
    }
    void clear() noexcept { p_.reset(); }

    bool empty() const noexcept { return !p_ || p_->empty(); }
    std::size_t size() const noexcept { return p_ ? p_->size() : 0; }
    const_iterator begin() const noexcept { return list().begin(); }
    const_iterator end() const noexcept { return list().end(); }
    const std::string& front() const { return list().front(); }
    const std::string& back() const { return list().back(); }
    const std::string& operator[](std::size_t i) const { return list()[i]; }

    friend bool operator==(const note_list& a, const note_list& b) { return a.list() == b.list(); }
    friend bool operator==(const note_list& a, const text_list& b) { return a.list() == b; }

private:
    static const text_list& none() noexcept {
        static const text_list empty_list;
        return empty_list;
    }
    std::unique_ptr<text_list> p_;
};

// A value of a variable. Long variables hold many of these, so the record
// is kept small: the text and code use the strings' own inline room for
// short texts, and the note lists cost nothing while empty.
struct value {
    std::string text;
    opt_string code;          // CODES; absent when the value has none
    int precision = 0;        // PRECISION; 0 = none
    int spare = 0;            // kept 0 by the reader; free for the operations
    int has_datanote = 0;     // 1 when a DATANOTECELL entry names this value
    note_list valuenotex;
    note_list valuenote;
};

// A PARTITIONED statement of a variable.
struct partition {
    std::string text;   // at most 69 characters
    int start = 0;
    int length = 0;     // 0 = not given
};

// One entry of a TIMEVAL list.
struct timeval_entry {
    std::string scale;  // "A1", "H1", "Q1", "M1" or "W1"
    std::string code;   // the period code
};

// One HIERARCHIES entry; the first entry's parent is "START".
struct hierarchy_link {
    std::string parent;
    std::string child;
};

// One element of a cell reference list: the position of a value of the
// variable, or any_value for "*".
using cell_ref = int;
inline constexpr cell_ref any_value = -1;
using cell_ref_list = std::vector<cell_ref>;

// One variable's part of a DATANOTECELL entry.
struct datanotecell {
    int position = 0;        // index of the variable in the chain
    int count = 0;           // that variable's number of values
    std::vector<int> marks;  // 1 where the entry names the value (all 1 for "*")
    std::string symbol;      // at most 20 characters; set on the entry's last record
};

// Contents information: table-level items in the first record, per-content
// items (LAST-UPDATED("x")= ...) in the record whose `content` is "x".
struct continfo {
    opt_string content;      // absent for a record not yet claimed
    text_list baseperiod;
    char cfprices = ' ';     // 'C', 'F' or ' '
    text_list contact;
    opt_string last_updated;
    text_list refperiod;
    int seasadj = -1;        // 1 YES, 0 NO, -1 not given
    int dayadj = -1;
    char stockfa = ' ';      // 'S', 'F', 'A' or ' '
    opt_string units;
};

struct variable {
    opt_string name;          // absent for the pseudo-variable "$$SORT" after reading
    opt_string grouping;      // set by operations; suppresses DOMAIN when writing
    int value_count = 0;
    int is_time = 0;
    std::int64_t stride = 0;
    int max_text_len = 0;
    int elimination = 0;      // 1 when ELIMINATION("var")=YES
    opt_string domain;
    opt_string map;
    int prestext = 0;
    std::vector<partition> partitions;
    int elimination_value = -1;  // position of the ELIMINATION value, -1 = none
    std::vector<value> values;
    text_list notex;
    text_list note;
    cell_ref_list cellnotex_refs;
    cell_ref_list cellnote_refs;
    int keys_mode = 0;        // 0 no KEYS, 1 VALUES, 2 CODES
    int doublecolumn = 0;
    cell_ref_list datanotecell_refs;
    opt_string variable_type;
    int has_hierarchy = 0;
    int hierarchylevelsopen = 0;
    int hierarchylevels = 0;
    std::vector<std::string> hierarchynames;
    std::vector<hierarchy_link> hierarchies;
};

struct table {
    opt_string subject_area;
    opt_string subject_code;
    opt_string matrix;
    text_list title;
    opt_string contents;
    opt_string units;
    int decimals = 0;
    int showdecimals = 0;
    std::vector<variable> vars;   // the chain: stub variables, then heading variables
    std::size_t heading = 0;      // position of the first heading variable in vars
    text_list reserved;           // copied and freed with the table, never read or written
    plat::data_block data_handle; // the data matrix (empty while no data is loaded)
    text_list notex;
    text_list note;
    text_list description;
    int compressed = 0;
    int copyright = 0;            // 1 YES, 0 NO, -1 not given
    text_list source;
    text_list database;
    opt_string velt_version;
    opt_string language;
    opt_string creation_date;
    std::vector<timeval_entry> timeval;
    text_list infofile;
    text_list cellnotex_texts;
    text_list cellnote_texts;
    opt_string contvariable;
    std::vector<continfo> continfos = std::vector<continfo>(1);  // never empty
    int aggregallowed = 0;
    int autopen = 0;
    int descriptiondefault = 0;
    opt_string confidential;
    opt_string codepage;
    opt_string languages;
    opt_string datasymbol[6];     // DATASYMBOL1..DATASYMBOL6
    opt_string datasymbolsum;
    opt_string datasymbolnil;
    opt_string datanotesum;
    text_list datanotecell_texts;
    std::vector<datanotecell> datanotecells;
    opt_string tableid;
    opt_string next_update;
    opt_string vt_server;
    opt_string directory_path;
    opt_string update_frequency;
    text_list info;
    opt_string link;
    opt_string survey;
    int default_graph = 0;
    opt_string synonyms;
    int rounding = 0;             // -1 not given (set by the reader), else 0 or 1

    // The loaded cells, or nullptr while no data is loaded.
    double* data() noexcept { return data_handle.cells(); }
    const double* data() const noexcept { return data_handle.cells(); }

    // Chain walks.
    std::size_t stub_count() const noexcept { return heading < vars.size() ? heading : vars.size(); }
    bool has_heading() const noexcept { return heading < vars.size(); }
    std::size_t heading_count() const noexcept { return vars.size() - stub_count(); }
};

// A new empty table with its first contents record. Tables are values: the
// destructor frees everything (strings, lists, variables, the data block).
table table_new();

// Releases everything the table holds and leaves it as table_new() made it.
// Returns 0.
int table_free(table& t);

// Sets every variable's stride (last variable 1, each earlier one the
// product of the value counts after it) and returns the number of cells.
std::int64_t compute_strides(std::vector<variable>& vars) noexcept;

// The product of all value counts (1 for an empty chain); strides untouched.
std::int64_t count_cells(const std::vector<variable>& vars) noexcept;

// A new table holding copies of the variables of `from` (the fields an
// operation carries over) and a fresh first contents record.
table copy_variables(const table& from);

// Copies the head of `from` (strings, numbers, text lists, contents
// information) into `to`, picks `to`'s heading variable and carries the
// TIMEVAL list over when it still fits. Cell notes and data are not copied.
void copy_head(const table& from, table& to);

}  // namespace vt
