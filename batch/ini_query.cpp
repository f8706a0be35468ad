// Reading an INI query file into a job description.
//
// Every value is read with the profile reader into a buffer of a fixed size
// and silently cut to that size minus one byte; the sizes below are those
// buffer sizes. A key counts as given when its value has at least one byte,
// so an empty value and a missing key are the same for the mandatory keys
// and the value lists. A default, as with the platform's profile reader,
// stands in only for a missing key.
#include "batch/ini_query.h"

#include <climits>
#include <cstdio>

#include "batch/driver.h"
#include "core/infile.h"
#include "core/reader.h"
#include "platform/fsinfo.h"
#include "platform/ini.h"
#include "platform/text.h"

namespace vt::batch {

using plat::equal_nocase;
using plat::overwrites_input;

namespace {

// Buffer sizes of the query values.
constexpr std::size_t size_short = 9;
constexpr std::size_t size_name = 99;
constexpr std::size_t size_text = 255;
constexpr std::size_t size_long = 259;
constexpr std::size_t size_coordinates = 499;
constexpr std::size_t size_path = 999;

// Read access to the query file, as the functions' key readers see it.
class query {
public:
    explicit query(const plat::ini_file& f) : f_(f) {}

    std::string text(std::string_view section, std::string_view key, std::size_t size,
                     std::string_view deflt = "") const {
        return f_.get_string(section, key, deflt, size);
    }
    int number(std::string_view section, std::string_view key, std::size_t size,
               std::string_view deflt = "") const {
        return decimal_to_int(text(section, key, size, deflt));
    }

    // Value1, Value2, ... of `section` up to the first one not given, joined
    // with `sep`. Value1 has a larger buffer than the rest.
    std::string value_list(std::string_view section, std::size_t first_size, std::size_t size,
                           char sep) const {
        std::string list;
        for (int i = 1;; ++i) {
            const std::string v = text(section, "Value" + std::to_string(i), i == 1 ? first_size : size);
            if (v.empty()) break;
            if (i > 1) list += sep;
            list += v;
        }
        return list;
    }

private:
    const plat::ini_file& f_;
};

// ---- Functions that take no text words: conversions and simple operations.

void read_nothing(const query&, job&) {}

void read_decimals(const query& q, job& j) { j.decimals = q.text("Data", "decimals", size_short); }

void read_excel(const query& q, job& j) {
    j.excel.datanote = q.number("Data", "datanote", size_short);
    j.excel.decimals = q.number("Data", "decimals", size_short);
}

void read_vtml(const query& q, job& j) { j.xml.vtml_type = q.number("Query", "VTMLtype", size_short); }

void read_xmlc(const query& q, job& j) {
    j.xml.xml_type = q.number("Query", "XMLtype", size_short);
    j.xml.inc_dtd = q.number("Query", "IncDtd", size_short);
    j.xml.language = q.text("Query", "Language", size_short);
}

void read_sdmx(const query& q, job& j) {
    j.xml.xml_type = q.number("Query", "XMLtype", size_short);
    j.xml.language = q.text("Query", "Language", size_short);
}

void read_asp(const query& q, job& j) {
    j.asp.vtlang = q.text("Query", "vtlang", size_short);
    j.asp.guilang = q.text("Query", "guilang", size_short);
    j.asp.uppercase = q.text("Query", "Uppercase", size_short);
}

void read_kml(const query& q, job& j) { j.coordinates = q.text("Data", "coordinates", size_coordinates); }

void read_unit_var(const query& q, job& j) { j.unit_var = q.text("Query", "UnitVar", size_long); }

void read_delimited(const query& q, job& j) {
    j.delimited.iteration = q.number("Query", "iteration", size_short);
    j.delimited.textdelim = q.text("Query", "textdelim", size_short);
}

// ARR1 .. ARR<ARRvar> form list A and the rest up to ARR16 list B; every
// given value is followed by ":", and list A drops its final ":".
void read_arr_lists(const query& q, gesmes_args& g) {
    for (int i = 1; i <= 16; ++i) {
        const std::string v = q.text("Gesmes", "ARR" + std::to_string(i), size_name);
        if (v.empty()) continue;
        std::string& list = i <= g.arr_var ? g.list_a : g.list_b;
        list += v;
        list += ':';
    }
    if (!g.list_a.empty()) g.list_a.pop_back();
}

void read_gesmes(const query& q, job& j) {
    read_unit_var(q, j);
    gesmes_args& g = j.gesmes;
    std::string* const mandatory[] = {&g.sender, &g.receiver, &g.interchange_msg, &g.message_ref,
                                      &g.dsn,    &g.datastruct, &g.conf,          &g.obs_status};
    const char* const names[] = {"Sender", "Receiver", "InterchangeMsg", "MessageRef",
                                 "DSN",    "Datastruct", "Conf",         "ObsStatus"};
    for (std::size_t i = 0; i < std::size(names); ++i) {
        *mandatory[i] = q.text("Gesmes", names[i], size_name);
        if (mandatory[i]->empty()) {
            j.complete = false;
            return;
        }
    }
    g.include = q.text("Gesmes", "Include", size_short, "D");
    g.code_list_org = q.text("Gesmes", "CodeListOrg", size_name);
    if (g.code_list_org.empty()) {
        j.complete = false;
        return;
    }
    g.test = q.number("Gesmes", "Test", size_short);
    // A code file that cannot be opened is passed as none at all.
    g.code_file = q.text("Gesmes", "CodeFile", size_path);
    if (!g.code_file.empty()) {
        if (std::FILE* f = std::fopen(plat::native_path(g.code_file).c_str(), "r")) {
            std::fclose(f);
        } else {
            g.code_file.clear();
        }
    }
    g.arr_var = q.number("Gesmes", "ARRvar", size_name);
    read_arr_lists(q, g);
    g.contact_name = q.text("Gesmes", "ContactName", size_name, "missing");
    g.contact_email = q.text("Gesmes", "ContactEmail", size_name, "missing");
}

// ---- Table operations that take the text words.

void read_vtfile(const query& q, job& j) {
    j.vtfile.keys = q.text("Data", "keys", size_short, "0");
    j.vtfile.descript = q.text("Query", "descript", size_text);
    j.vtfile.subject = q.text("Query", "subject", size_text);
    j.vtfile.contents = q.text("Query", "contents", size_text);
    j.vtfile.descdefault = q.text("Query", "descdefault", size_short, "0");
}

void read_pivotauto(const query& q, job& j) {
    j.edit.pivot_alt = q.number("Query", "PivotAlt", size_short);
    read_unit_var(q, j);
}

void read_pivotmanual(const query& q, job& j) {
    j.edit.stub_order = q.text("Query", "StubOrder", size_name);
    j.edit.head_order = q.text("Query", "HeadOrder", size_name);
    read_unit_var(q, j);
}

void read_valueorder(const query& q, job& j) {
    j.edit.variable = q.text("Query", "VariableValues", size_name);
    read_unit_var(q, j);
    j.edit.value_list = q.value_list("ValueList", size_long, size_name, ',');
}

// The values to remove come from [Remove] when it has a Value1, else the
// values to keep from [Use].
void read_vardelete(const query& q, job& j) {
    j.edit.variable = q.text("Query", "Variable", size_name);
    read_unit_var(q, j);
    j.edit.titleadd = q.text("Query", "Titleadd", size_long);
    j.edit.remove = q.text("Remove", "Value1", size_long).empty() ? 0 : 1;
    j.edit.value_list = q.value_list(j.edit.remove ? "Remove" : "Use", size_long, size_name, ',');
}

void read_textcode(const query& q, job& j) {
    j.edit.textcode_options = q.text("Query", "textcodeoptions", size_name);
}

void read_chgtextcontents(const query& q, job& j) {
    j.edit.contentstext = q.text("Query", "contentstext", size_text);
}

// The new variable names keep their positions: Var1 .. Var<NoOfVar> are
// joined with ";" between them, empty ones included.
void read_chgtexts(const query& q, job& j) {
    j.edit.contentstext = q.text("Query", "contentstext", size_text);
    j.edit.unittext = q.text("Query", "unittext", size_text);
    j.edit.no_of_var = q.number("Data", "NoOfVar", size_short);
    std::string names;
    for (int i = 1; i <= j.edit.no_of_var; ++i) {
        if (i > 1) names += ';';
        names += q.text("Variables", "Var" + std::to_string(i), size_text);
    }
    j.edit.variable_texts = names;
}

// A constant is used when one is given, and also when there is neither a
// constant nor a match file (the constant is then 1).
void read_filecalc(const query& q, job& j) {
    filecalc_args& c = j.filecalc;
    c.constant = q.text("Query", "Constant", size_name);
    c.matchfile = q.text("Query", "Matchfile", size_name);
    for (int i = 0; i < 3; ++i)
        c.newvalues[static_cast<std::size_t>(i)] = q.text("Query", "Newvalue" + std::to_string(i + 1), size_long);
    c.newvar = q.text("Query", "Newvar", size_name);
    c.option = q.number("Query", "Option", size_short);
    c.incl_excl = q.text("Query", "InclExcl", size_short);
    c.constant_flag = c.constant.empty() ? 0 : 1;
    if (c.constant.empty() && c.matchfile.empty()) {
        c.constant_flag = 1;
        c.constant = "1";
    }
}

using key_reader = void (*)(const query&, job&);

struct function_keys {
    const char* name;
    key_reader read;
};

// Conversions and simple operations, compared in this order before [Texts]
// is read.
constexpr function_keys plain_functions[] = {
    {"splitquarters", read_nothing},  // the split reads its own keys
    {"splitmonths", read_nothing},
    {"decimals", read_decimals},
    {"excel", read_excel},
    {"VTML", read_vtml},
    {"XMLC", read_xmlc},
    {"SDMX", read_sdmx},
    {"asp", read_asp},
    {"kml", read_kml},
    {"kml2", read_kml},
    {"kml3", read_kml},
    {"text", read_nothing},
    {"dbase1", read_unit_var},
    {"dbase2", read_nothing},
    {"dbase3", read_nothing},
    {"dbase4", read_nothing},
    {"graph", read_delimited},
    {"matrix", read_delimited},
    {"lotus", read_nothing},
    {"html1", read_nothing},
    {"html2", read_nothing},
    {"prnmatrix", read_nothing},
    {"prntable", read_nothing},
    {"reltable", read_delimited},
    {"gesmes", read_gesmes},
};

// Table operations that rebuild titles with the text words.
constexpr function_keys worded_functions[] = {
    {"vtfile", read_vtfile},
    {"pivotauto", read_pivotauto},
    {"pivotmanual", read_pivotmanual},
    {"valueorder", read_valueorder},
    {"vardelete", read_vardelete},
    {"textcode", read_textcode},
    {"chgtextcontents", read_chgtextcontents},
    {"chgtexts", read_chgtexts},
    {"filecalc", read_filecalc},
};

template <std::size_t N>
const function_keys* find_function(const function_keys (&rows)[N], std::string_view name) {
    for (const function_keys& row : rows)
        if (equal_nocase(row.name, name)) return &row;
    return nullptr;
}

// ---- Common keys.

void read_data_keys(const query& q, job& j) {
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

void read_text_words(const query& q, job& j) {
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
std::string time_selection(const query& q, const std::string& section, const selection_args& s) {
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
std::string listed_selection(const query& q, const std::string& section) {
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

void read_selection_lists(const query& q, selection_args& s) {
    const int count = std::min(s.no_of_var, max_selection_vars);
    for (int i = 1; i <= count; ++i) {
        const std::string section = "Var" + std::to_string(i);
        const bool timed = s.time_option != 0 && i == s.time_var;
        s.lists[static_cast<std::size_t>(i - 1)] = timed ? time_selection(q, section, s)
                                                         : listed_selection(q, section);
    }
}

// The calculation settings, checked in this order once all are read.
int read_calcvalues(const query& q, selection_args& s) {
    const std::string operation = q.text("Query", "Operation", size_name);
    s.operation = decimal_to_int(operation);
    const std::string incl_excl = q.text("Query", "InclExcl", size_name);
    s.incl_excl = plat::lower_ascii(incl_excl);
    s.constant = q.text("Query", "Constant", size_name);
    s.newvalue = q.text("Query", "Newvalue", size_long);
    s.betavalue = q.text("Query", "Betavalue", size_long);
    s.order = q.number("Query", "Order", size_short);
    if (operation.empty()) return code_no_operation;
    if (incl_excl.empty()) return code_no_inclexcl;
    if (s.incl_excl == "m" && s.newvalue.empty()) return code_no_newvalue;
    if (s.order == 0 && (s.operation == 12 || s.operation == 14)) return code_no_order;
    return 0;
}

int read_selection_job(const query& q, job& j) {
    selection_args& s = j.selection;
    const bool selvalues = equal_nocase(j.function, "selvalues");
    const bool aggvalues = equal_nocase(j.function, "aggvalues");
    const bool calcvalues = equal_nocase(j.function, "calcvalues");

    s.no_of_var = q.number("Data", "NoOfVar", size_short);
    s.secrecy = q.number("Data", "Secrecy", size_short);
    s.descr = q.number("Query", "Descr", size_short, "0");
    if (s.no_of_var == 0 && (selvalues || aggvalues)) return code_no_variables;

    s.time_option = q.number("Query", "TimeOpt", size_short);
    if (s.time_option < 1 || s.time_option > 3) s.time_option = 0;
    if (s.time_option != 0) {
        if (const int rc = locate_time_variable(j.infile, s); rc != 0) return rc;
        if (s.time_var == 0) s.time_option = 0;
    }
    read_selection_lists(q, s);

    if (selvalues || aggvalues) {
        s.vtlang = q.text("Query", "vtlang", size_short);
        if (aggvalues) s.classcat = q.text("Query", "Classcat", size_path);
        return 0;
    }
    if (calcvalues) return read_calcvalues(q, s);
    // No such function: nothing runs.
    j.complete = false;
    return 0;
}

}  // namespace

int decimal_to_int(std::string_view text) noexcept {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    return static_cast<int>(value);
}

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
    const query q(file);

    out.infile = q.text("Files", "Infile", size_path);
    if (out.infile.empty()) return code_no_infile;
    out.outfile = q.text("Files", "Outfile", size_path);
    if (out.outfile.empty()) return code_no_outfile;
    out.errorfile = q.text("Files", "Errorfile", size_path);
    if (overwrites_input(out.infile, out.errorfile)) {
        // Even the line that reports the problem would destroy the input.
        out.errorfile.clear();
        return code_same_file;
    }
    if (overwrites_input(out.infile, out.outfile)) return code_same_file;
    // The query file is an input too (the splits read it while they run).
    if (overwrites_input(path, out.errorfile)) {
        out.errorfile.clear();
        return code_same_file;
    }
    if (overwrites_input(path, out.outfile)) return code_same_file;
    const std::string textfile = q.text("Files", "textfile", size_short);
    out.textfile = textfile.empty() ? "*" : textfile;
    out.function = q.text("Query", "Function", size_name);
    if (out.function.empty()) return code_no_function;

    read_data_keys(q, out);
    if (const function_keys* f = find_function(plain_functions, out.function)) {
        f->read(q, out);
        return 0;
    }
    read_text_words(q, out);
    if (const function_keys* f = find_function(worded_functions, out.function)) {
        f->read(q, out);
        return 0;
    }
    return read_selection_job(q, out);
}

}  // namespace vt::batch
