// Reading an INI query file into a job description: the keys every job
// has, then the function's own keys as its row in batch/functions.cpp says
// (the value limits and the key readers are in batch/ini_keys.h).
#include "batch/ini_query.h"

#include <cstdio>

#include "batch/functions.h"
#include "batch/ini_keys.h"
#include "core/codes.h"
#include "core/infile.h"
#include "core/reader.h"
#include "platform/fsinfo.h"
#include "platform/text.h"

namespace vt::batch {

using plat::equal_nocase;
using plat::overwrites_input;

namespace {

using namespace ini_size;

// ---- Common keys.

void read_data_keys(const ini_keys& q, job& j) {
    j.rounding = q.text("Data", "rounding", 3, "0").starts_with('1') ? 1 : 0;
    j.decimalpoint = q.text("Data", "decimalpoint", 3, ".");
    j.stubtype = q.number("Data", "stubtype", size_short, "1");
    j.nozero = q.number("Data", "nozero", size_short, "0");
    j.thousand = q.number("Data", "thousand", size_short, "0");
    j.doublecolumn = q.number("Data", "doublecolumn", size_short, "0");
    j.completeinfo = q.number("Data", "completeinfo", size_short, "0");
    j.rowlength = q.number("Data", "rowlength", size_short, "100");
    j.pagelength = q.number("Data", "pagelength", size_short, "100");
    j.marglength = q.number("Data", "marglength", size_short, "0");
    const std::string delim = q.text("Data", "delim", size_short);
    j.delim = delim.empty() ? " " : delim == "tab" ? "\t" : delim;

    static constexpr const char* symbol_keys[] = {"Symbol1", "Symbol2", "Symbol3", "Symbol4",
                                                  "Symbol5", "Symbol6", "Symbol7", "Symbolnil"};
    static constexpr const char* symbol_defaults[] = {".",      "..",      "...",     "....",
                                                      ".....", "......", ".......", "-"};
    std::string symbols;
    for (std::size_t i = 0; i < std::size(symbol_keys); ++i) {
        if (i > 0) symbols += ';';
        symbols += q.text("Data", symbol_keys[i], size_short, symbol_defaults[i]);
    }
    j.symbol_list = symbols;
    j.datanote_place = q.number("Data", "datanoteoptplace", size_short, "0");
}

void read_text_words(const ini_keys& q, job& j) {
    std::string words;
    for (int i = 1; i <= 4; ++i) {
        if (i > 1) words += ';';
        words += q.text("Texts", "Text" + std::to_string(i), size_name);
    }
    j.text_words = words;
}

// ---- Selection functions.

// Reads the input table's keyword part to find its time variable. 0, 400
// when the file cannot be opened, else the reader's code.
int locate_time_variable(const std::string& infile, selection_args& s) {
    in_file f;
    table t = table_new();
    const int rc = read_table_file(infile, f, t);
    if (rc != 0) return rc;
    find_time_variable(t, s.time_var, s.time_values);
    return 0;
}

// The selection list of the time variable under a time option: the last
// value (1), the last m values where m is the number of values listed (2),
// or the listed first value and every value after it (3).
std::string time_selection(const ini_keys& q, const std::string& section, const selection_args& s) {
    const int n = s.time_values;
    std::string list;
    auto append = [&list](const std::string& entry) {
        if (!list.empty()) list += ',';
        list += entry;
    };
    if (s.time_option == 1) return std::to_string(n);
    if (s.time_option == 2) {
        int m = 0;
        while (!q.text(section, "Value" + std::to_string(m + 1), size_path).empty()) ++m;
        // Listing more values than the variable has selects all of them.
        for (int v = std::max(n - m + 1, 1); v <= n; ++v) append(std::to_string(v));
        return list;
    }
    const std::string first = q.text(section, "Value1", size_path);
    if (!first.empty()) append(first);
    for (int v = decimal_to_int(first) + 1; v <= n; ++v) append(std::to_string(v));
    return list;
}

// The listed values of one variable; "ELIM" adds nothing, so a variable
// whose only value is ELIM gets the empty list that eliminates it.
std::string listed_selection(const ini_keys& q, const std::string& section) {
    std::string list;
    for (int i = 1;; ++i) {
        const std::string v = q.text(section, "Value" + std::to_string(i), size_path);
        if (v.empty()) break;
        if (equal_nocase(v, "ELIM")) continue;
        if (!list.empty()) list += ',';
        list += v;
    }
    return list;
}

void read_selection_lists(const ini_keys& q, selection_args& s) {
    const int count = std::min(s.no_of_var, static_cast<int>(max_selected_vars));
    for (int i = 1; i <= count; ++i) {
        const std::string section = "Var" + std::to_string(i);
        const bool timed = s.time_option != 0 && i == s.time_var;
        s.lists[static_cast<std::size_t>(i - 1)] = timed ? time_selection(q, section, s)
                                                         : listed_selection(q, section);
    }
}

// The function's own keys: 0 or the code that ends the job.
int read_own_keys(const function_row& f, const ini_keys& q, job& j) { return f.read_ini ? f.read_ini(q, j) : 0; }

// The selection functions, and every name no other stage knows: the lists
// are read (and the time option may read the input table) before the
// function's own keys. A name without a row runs nothing.
int read_selection_job(const ini_keys& q, job& j) {
    const function_row* f = find_ini_function(j.function, ini_stage::selection);
    if (!f) f = find_ini_function(j.function, ini_stage::calculation);
    selection_args& s = j.selection;

    s.no_of_var = q.number("Data", "NoOfVar", size_short);
    s.secrecy = q.number("Data", "Secrecy", size_short);
    s.descr = q.number("Query", "Descr", size_short, "0");
    if (s.no_of_var == 0 && f && f->ini == ini_stage::selection) return codes::batch_no_variables;

    s.time_option = q.number("Query", "TimeOpt", size_short);
    if (s.time_option < 1 || s.time_option > 3) s.time_option = 0;
    if (s.time_option != 0) {
        if (const int rc = locate_time_variable(j.infile, s); rc != 0) return rc;
        if (s.time_var == 0) s.time_option = 0;
    }
    read_selection_lists(q, s);

    if (!f) {
        j.complete = false;
        return 0;
    }
    return read_own_keys(*f, q, j);
}

}  // namespace

void find_time_variable(const table& t, int& position, int& value_count) noexcept {
    position = 0;
    value_count = 0;
    for (std::size_t i = 0; i < t.vars.size(); ++i) {
        if (t.vars[i].is_time == 1) {
            position = static_cast<int>(i) + 1;
            value_count = t.vars[i].value_count;
            return;
        }
    }
}

int read_ini_job(const std::string& path, job& out) {
    out = job{};
    out.query_path = path;
    plat::ini_file file;
    file.load(path);  // a missing query file reads as empty: no Infile
    const ini_keys q(file);

    out.infile = q.text("Files", "Infile", size_path);
    if (out.infile.empty()) return codes::batch_no_infile;
    out.outfile = q.text("Files", "Outfile", size_path);
    if (out.outfile.empty()) return codes::batch_no_outfile;
    out.errorfile = q.text("Files", "Errorfile", size_path);
    if (overwrites_input(out.infile, out.errorfile)) {
        // Even the line that reports the problem would destroy the input.
        out.errorfile.clear();
        return codes::batch_same_file;
    }
    if (overwrites_input(out.infile, out.outfile)) return codes::batch_same_file;
    // The query file is an input too (the splits read it while they run).
    if (overwrites_input(path, out.errorfile)) {
        out.errorfile.clear();
        return codes::batch_same_file;
    }
    if (overwrites_input(path, out.outfile)) return codes::batch_same_file;
    // The error line would take the place of the output it reports on.
    if (!out.errorfile.empty() && overwrites_input(out.outfile, out.errorfile)) return codes::batch_same_file;
    const std::string textfile = q.text("Files", "textfile", size_short);
    out.textfile = textfile.empty() ? "*" : textfile;
    out.function = q.text("Query", "Function", size_name);
    if (out.function.empty()) return codes::batch_no_function;

    read_data_keys(q, out);
    if (const function_row* f = find_ini_function(out.function, ini_stage::conversion))
        return read_own_keys(*f, q, out);
    read_text_words(q, out);
    if (const function_row* f = find_ini_function(out.function, ini_stage::operation))
        return read_own_keys(*f, q, out);
    return read_selection_job(q, out);
}

}  // namespace vt::batch
