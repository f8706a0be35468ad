// The table file reader: reads the keyword part of a table file into a
// table and stops right after "DATA=", where the data section begins.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/infile.h"
#include "core/table.h"

namespace vt {

// Settings shared by every read in the process (one read at a time).
struct reader_settings {
    // Two-letter language whose texts are read (KEYWORD[xx]=); empty reads
    // the default-language texts. A successful language read clears it.
    std::string selected_language;
    // Convert the characters of strings from OEM (code page 850) to ANSI.
    // Every read starts converting; CHARSET= switches it.
    bool oem_input = true;
    // How a bad CELLNOTEX entry is treated. The batch program and the
    // operations library keep an unreadable text as "Wrong text!" and drop
    // every CELLNOTEX entry read so far when one is rejected; the conversion
    // library reads CELLNOTEX entries exactly like CELLNOTE entries.
    bool cellnotex_batch_rules = true;
};
reader_settings& reader_state() noexcept;

// The reader's language for a stretch of work: the language before it
// comes back when the scope ends, so a job that reads in another language
// leaves nothing behind for the next job in the process.
class reader_language_scope {
public:
    // Keeps the current language; select() may change it.
    reader_language_scope() : saved_(reader_state().selected_language) {}
    // Selects `language` (an empty one only when `select_empty`).
    explicit reader_language_scope(std::string_view language, bool select_empty = false)
        : reader_language_scope() {
        if (!language.empty() || select_empty) select(language);
    }
    reader_language_scope(const reader_language_scope&) = delete;
    reader_language_scope& operator=(const reader_language_scope&) = delete;
    ~reader_language_scope() {
        if (only_untaken_ && (!selected_ || reader_state().selected_language != chosen_)) return;
        reader_state().selected_language = std::move(saved_);
    }

    void select(std::string_view language) {
        chosen_.assign(language);
        selected_ = true;
        reader_state().selected_language = chosen_;
    }
    // The earlier language comes back only when this scope selected one and
    // the reader did not take it: a read that found the language clears it,
    // and the cleared setting then stays.
    void restore_only_untaken() noexcept { only_untaken_ = true; }

private:
    std::string saved_;
    std::string chosen_;
    bool selected_ = false;
    bool only_untaken_ = false;
};

// Keyword codes returned by the recogniser (and on which the reader
// dispatches). read_keyword also returns kw_none when a tab, a double quote
// or a semicolon interrupted the scan, and kw_eof at the end of the file.
enum keyword_code : int {
    kw_none = 0,
    kw_matrix = 1, kw_subject_area, kw_units, kw_title, kw_description, kw_stub,
    kw_heading, kw_values, kw_codes /* and TEXTS( */, kw_note, kw_note_var,
    kw_valuenote, kw_cellnote, kw_compressed, kw_elimination, kw_decimals,
    kw_partitioned, kw_notex, kw_notex_var, kw_contents, kw_keys_no, kw_notep,
    kw_precision, kw_domain, kw_subject_code, kw_valuenotex, kw_copyright,
    kw_dayadj, kw_seasadj, kw_source, kw_contact, kw_refperiod, kw_velt_version,
    kw_last_updated, kw_creation_date, kw_stockfa, kw_cfprices, kw_timeval,
    kw_baseperiod, kw_database, kw_infofile, kw_contvariable,
    kw_baseperiod_c /* 43 */, kw_cfprices_c, kw_contact_c, kw_last_updated_c,
    kw_refperiod_c, kw_seasadj_c, kw_stockfa_c,
    kw_data = 50,
    kw_dayadj_c = 51, kw_showdecimals, kw_units_c, kw_cellnotex, kw_prestext,
    kw_keys, kw_charset, kw_map, kw_language, kw_aggregallowed, kw_autopen,
    kw_doublecolumn, kw_descriptiondefault, kw_confidential, kw_codepage,
    kw_languages, kw_datasymbol1 /* 67 .. 72 */,
    kw_datasymbolsum = 73, kw_datasymbolnil, kw_datanotecell, kw_datanotesum,
    kw_next_update, kw_vt_server, kw_directory_path, kw_update_frequency,
    kw_info, kw_link, kw_survey, kw_variable_type, kw_default_graph, kw_tableid,
    kw_hierarchylevelsopen, kw_hierarchylevels, kw_hierarchynames,
    kw_hierarchies, kw_synonyms, kw_rounding /* 92 */,
    kw_eof = 100,
};

// Reads the keyword part. 0 when every statement was read without a
// problem; otherwise a fatal code the moment it is met, or the first noted
// problem after the end checks. The table keeps what was read either way
// (the caller frees it). On 0 the file stands at the first byte after
// "DATA=".
int metain(in_file& f, table& t);

// The keyword recognisers (the second for a selected language).
int read_keyword(in_file& f);
int read_keyword_lang(in_file& f);

// Result values of read_quoted.
enum quoted_result : int {
    q_last = 0,       // string followed by ";"
    q_comma = 1,      // string followed by ","
    q_newline = 2,    // string followed by a line break
    q_paren = 3,      // string followed by ")" (appended to the string)
    q_none = 4,       // "," or ";" instead of a string
    q_bad = 100,      // anything else, or a string longer than max - 1
};

// Reads one quoted string of at most max - 1 characters into out (out
// holds what was read also on failure). When q_none is returned,
// *none_char (if given) receives the ',' or ';' that was met.
int read_quoted(in_file& f, std::string& out, std::size_t max, int* none_char = nullptr);

// The strings of a statement such as TITLE= joined without a separator:
// strings of at most 256 characters, continued after "," or a line break,
// up to the ";" that ends the statement. Returns q_last when the ";" came,
// else the read_quoted result that ended the statement early (`out` then
// holds what was read before it).
int read_joined_strings(in_file& f, std::string& out);

// One quoted string of at most max characters followed by its terminator;
// the string is stored in out also on failure. Returns the read_quoted
// result (200 when memory runs out).
int read_single_string(in_file& f, std::size_t max, opt_string& out);

// A comma-separated list of quoted strings ended by ";" (a line break after
// a string continues the list like a comma), each at most 256 characters.
// 0, 100 for a malformed list, 200 when memory runs out.
int read_text_list(in_file& f, text_list& out);

// As read_text_list, creating one variable per name; counter grows by the
// number of names.
int read_name_list(in_file& f, std::vector<variable>& out, int& counter);

// As read_text_list with at most 255 characters per string, creating
// values; count and maxlen receive their number and the longest text.
int read_value_list(in_file& f, int& count, int& maxlen, std::vector<value>& out);

// After the "(" of a per-variable statement: a quoted variable name or a
// 1-based position among the names read so far, then everything up to the
// next "=" or ",". 0 with the variable's chain position in var_index (and
// the "=" or "," in *stop_char), 100 when malformed, 110 for no such
// variable.
int find_variable_ref(in_file& f, const table& t, int names_read, int& var_index,
                      int* stop_char = nullptr);

// Convenience for tools and tests: opens the file, reads the keyword part
// into t and leaves the file open at the data in f. Returns 400 when the
// file cannot be opened, else the metain result.
int read_table_file(const std::string& path, in_file& f, table& t);

}  // namespace vt
