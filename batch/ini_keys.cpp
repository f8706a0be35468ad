// The keys of an INI query and the key reader of every function that has
// keys of its own.
#include "batch/ini_keys.h"

#include <cstdio>

#include "batch/ini_query.h"
#include "core/codes.h"
#include "platform/fsinfo.h"
#include "platform/text.h"

namespace vt::batch {

using namespace ini_size;

int ini_keys::number(std::string_view section, std::string_view key, std::size_t size,
                     std::string_view deflt) const {
    return decimal_to_int(text(section, key, size, deflt));
}

std::string ini_keys::value_list(std::string_view section, std::size_t first_size, std::size_t size,
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

namespace {

// ARR1 .. ARR<ARRvar> form list A and the rest up to ARR16 list B; every
// given value is followed by ":", and list A drops its final ":".
void read_arr_lists(const ini_keys& q, gesmes_args& g) {
    for (int i = 1; i <= 16; ++i) {
        const std::string v = q.text("Gesmes", "ARR" + std::to_string(i), size_name);
        if (v.empty()) continue;
        std::string& list = i <= g.arr_var ? g.list_a : g.list_b;
        list += v;
        list += ':';
    }
    if (!g.list_a.empty()) g.list_a.pop_back();
}

}  // namespace

namespace ini_read {

// ---- Functions that take no text words: conversions and simple operations.

int decimals(const ini_keys& q, job& j) {
    j.decimals = q.text("Data", "decimals", size_short);
    return 0;
}

int excel(const ini_keys& q, job& j) {
    j.excel.datanote = q.number("Data", "datanote", size_short);
    j.excel.decimals = q.number("Data", "decimals", size_short);
    return 0;
}

int vtml(const ini_keys& q, job& j) {
    j.xml.vtml_type = q.number("Query", "VTMLtype", size_short);
    return 0;
}

int xmlc(const ini_keys& q, job& j) {
    j.xml.xml_type = q.number("Query", "XMLtype", size_short);
    j.xml.inc_dtd = q.number("Query", "IncDtd", size_short);
    j.xml.language = q.text("Query", "Language", size_short);
    return 0;
}

int sdmx(const ini_keys& q, job& j) {
    j.xml.xml_type = q.number("Query", "XMLtype", size_short);
    j.xml.language = q.text("Query", "Language", size_short);
    return 0;
}

int asp(const ini_keys& q, job& j) {
    j.asp.vtlang = q.text("Query", "vtlang", size_short);
    j.asp.guilang = q.text("Query", "guilang", size_short);
    j.asp.uppercase = q.text("Query", "Uppercase", size_short);
    return 0;
}

int kml(const ini_keys& q, job& j) {
    j.coordinates = q.text("Data", "coordinates", size_coordinates);
    return 0;
}

int unit_var(const ini_keys& q, job& j) {
    j.unit_var = q.text("Query", "UnitVar", size_long);
    return 0;
}

int delimited(const ini_keys& q, job& j) {
    j.delimited.iteration = q.number("Query", "iteration", size_short);
    j.delimited.textdelim = q.text("Query", "textdelim", size_short);
    return 0;
}

// A missing mandatory key leaves the job incomplete: it then runs nothing
// and writes nothing.
int gesmes(const ini_keys& q, job& j) {
    unit_var(q, j);
    gesmes_args& g = j.gesmes;
    std::string* const mandatory[] = {&g.sender, &g.receiver, &g.interchange_msg, &g.message_ref,
                                      &g.dsn,    &g.datastruct, &g.conf,          &g.obs_status};
    const char* const names[] = {"Sender", "Receiver", "InterchangeMsg", "MessageRef",
                                 "DSN",    "Datastruct", "Conf",         "ObsStatus"};
    for (std::size_t i = 0; i < std::size(names); ++i) {
        *mandatory[i] = q.text("Gesmes", names[i], size_name);
        if (mandatory[i]->empty()) {
            j.complete = false;
            return 0;
        }
    }
    g.include = q.text("Gesmes", "Include", size_short, "D");
    g.code_list_org = q.text("Gesmes", "CodeListOrg", size_name);
    if (g.code_list_org.empty()) {
        j.complete = false;
        return 0;
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
    return 0;
}

// ---- Table operations that take the text words.

int vtfile(const ini_keys& q, job& j) {
    j.vtfile.keys = q.text("Data", "keys", size_short, "0");
    j.vtfile.descript = q.text("Query", "descript", size_text);
    j.vtfile.subject = q.text("Query", "subject", size_text);
    j.vtfile.contents = q.text("Query", "contents", size_text);
    j.vtfile.descdefault = q.text("Query", "descdefault", size_short, "0");
    return 0;
}

int pivotauto(const ini_keys& q, job& j) {
    j.edit.pivot_alt = q.number("Query", "PivotAlt", size_short);
    return unit_var(q, j);
}

int pivotmanual(const ini_keys& q, job& j) {
    j.edit.stub_order = q.text("Query", "StubOrder", size_name);
    j.edit.head_order = q.text("Query", "HeadOrder", size_name);
    return unit_var(q, j);
}

int valueorder(const ini_keys& q, job& j) {
    j.edit.variable = q.text("Query", "VariableValues", size_name);
    unit_var(q, j);
    j.edit.value_list = q.value_list("ValueList", size_long, size_name, ',');
    return 0;
}

// The values to remove come from [Remove] when it has a Value1, else the
// values to keep from [Use].
int vardelete(const ini_keys& q, job& j) {
    j.edit.variable = q.text("Query", "Variable", size_name);
    unit_var(q, j);
    j.edit.titleadd = q.text("Query", "Titleadd", size_long);
    j.edit.remove = q.text("Remove", "Value1", size_long).empty() ? 0 : 1;
    j.edit.value_list = q.value_list(j.edit.remove ? "Remove" : "Use", size_long, size_name, ',');
    return 0;
}

int textcode(const ini_keys& q, job& j) {
    j.edit.textcode_options = q.text("Query", "textcodeoptions", size_name);
    return 0;
}

int chgtextcontents(const ini_keys& q, job& j) {
    j.edit.contentstext = q.text("Query", "contentstext", size_text);
    return 0;
}

// The new variable names keep their positions: Var1 .. Var<NoOfVar> are
// joined with ";" between them, empty ones included.
int chgtexts(const ini_keys& q, job& j) {
    j.edit.contentstext = q.text("Query", "contentstext", size_text);
    j.edit.unittext = q.text("Query", "unittext", size_text);
    j.edit.no_of_var = q.number("Data", "NoOfVar", size_short);
    std::string names;
    for (int i = 1; i <= j.edit.no_of_var; ++i) {
        if (i > 1) names += ';';
        names += q.text("Variables", "Var" + std::to_string(i), size_text);
    }
    j.edit.variable_texts = names;
    return 0;
}

// A constant is used when one is given, and also when there is neither a
// constant nor a match file (the constant is then 1).
int filecalc(const ini_keys& q, job& j) {
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
    return 0;
}

// ---- Selection functions (after the selection lists).

int selvalues(const ini_keys& q, job& j) {
    j.selection.vtlang = q.text("Query", "vtlang", size_short);
    return 0;
}

// Classcat is the directory of the aggregation files.
int aggvalues(const ini_keys& q, job& j) {
    selvalues(q, j);
    j.selection.classcat = q.text("Query", "Classcat", size_path);
    return 0;
}

// The calculation settings, checked in this order once all are read: an
// operation, include or exclude, a new value when including, and an order
// for the operations whose result depends on it (subtract, divide).
int calcvalues(const ini_keys& q, job& j) {
    selection_args& s = j.selection;
    const std::string operation = q.text("Query", "Operation", size_name);
    s.operation = decimal_to_int(operation);
    const std::string incl_excl = q.text("Query", "InclExcl", size_name);
    s.incl_excl = plat::lower_ascii(incl_excl);
    s.constant = q.text("Query", "Constant", size_name);
    s.newvalue = q.text("Query", "Newvalue", size_long);
    s.betavalue = q.text("Query", "Betavalue", size_long);
    s.order = q.number("Query", "Order", size_short);
    if (operation.empty()) return codes::batch_no_operation;
    if (incl_excl.empty()) return codes::batch_no_inclexcl;
    if (s.incl_excl == "m" && s.newvalue.empty()) return codes::batch_no_newvalue;
    if (s.order == 0 && operation_needs_order(s.operation)) return codes::batch_no_order;
    return 0;
}

}  // namespace ini_read

}  // namespace vt::batch
