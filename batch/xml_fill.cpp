// The fill functions of the XML query: what a step gathered, turned into
// the job of its function.
#include "batch/xml_fill.h"

#include "batch/ini_query.h"

namespace vt::batch {

namespace {

bool starts_with(std::string_view s, std::string_view prefix) noexcept {
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
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
    return decimal_to_int(content);
}

constexpr named_code calc_operations[] = {{"remove", 33},  {"sum", 18},      {"percent", 21},  {"permille", 23},
                                          {"add", 11},     {"subtract", 12}, {"multiply", 13}, {"divide", 14}};
constexpr named_code filecalc_operations[] = {{"linktab", 61}, {"overlaytab", 71}, {"add", 41},
                                              {"subtract", 42}, {"multiply", 43},  {"divide", 44}};

}  // namespace

const std::string& xml_settings::get(std::string_view name) const {
    static const std::string none;
    const auto it = values.find(name);
    return it == values.end() ? none : it->second;
}

// Whole numbers in element contents read as in the INI query.
int xml_settings::get_int(std::string_view name, int deflt) const {
    return given(name) ? decimal_to_int(get(name)) : deflt;
}

std::string xml_settings::symbol_list() const {
    std::string out;
    for (const std::string& s : symbols) out += s + ";";
    return out;
}

void fill_common(const xml_settings& s, job& j) {
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

void fill_split(const xml_settings& s, xml_split_args& a) {
    a.given = true;
    a.variablename = s.get("variablename");
    a.noofperiods = s.get("noofperiods");
    a.firstyear = s.get("firstyear");
    a.yeartext = s.get("yeartext");
    a.quartertext = s.get("quartertext");
    a.monthtext = s.get("monthtext");
    for (int i = 0; i < 4; ++i) a.quarters[i] = s.get("quarter" + std::to_string(i + 1));
    for (int i = 0; i < 12; ++i) a.months[i] = s.get("month" + std::to_string(i + 1));
}

int calc_operation_code(const std::string& content) {
    return operation_code(content, calc_operations, std::size(calc_operations));
}

namespace xml_fill {

void selection(const xml_settings& s, const xml_lists& l, job& j) {
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

void aggregation(const xml_settings& s, const xml_lists& l, job& j) {
    selection(s, l, j);
    j.selection.classcat = s.get("classcat");
}

void calculation(const xml_settings& s, const xml_lists& l, job& j) {
    selection_args& a = j.selection;
    a.lists = l.selection;
    a.operation = calc_operation_code(s.get("operation"));
    a.incl_excl = include_exclude(s.get("includeexclude"));
    a.constant = s.get("constant");
    a.newvalue = s.get("newvalue");
    if (s.given("newcode")) a.newvalue += "#" + s.get("newcode");
    a.betavalue = s.get("betavalue");
    a.order = s.get_int("order", 0);
}

void pivotmanual(const xml_settings& s, const xml_lists&, job& j) {
    j.edit.stub_order = s.get("stuborder");
    j.edit.head_order = s.get("headorder");
}

void pivotauto(const xml_settings& s, const xml_lists&, job& j) { j.edit.pivot_alt = s.get_int("pivotoption", 0); }

void valueorder(const xml_settings&, const xml_lists& l, job& j) {
    j.edit.variable = l.order_variable;
    j.edit.value_list = l.value_order;
}

void decimals(const xml_settings& s, const xml_lists&, job& j) { j.decimals = s.get("decimals"); }

void chgtexts(const xml_settings& s, const xml_lists& l, job& j) {
    j.edit.contentstext = s.get("contentstext");
    j.edit.unittext = s.get("unittext");
    j.edit.no_of_var = s.get_int("noofvar", 0);
    j.edit.variable_texts = l.variable_texts;
}

void excel(const xml_settings& s, const xml_lists&, job& j) {
    j.excel.datanote = s.get_int("datanote", 0);
    j.excel.decimals = s.get_int("decimals", 0);
}

void asp(const xml_settings& s, const xml_lists&, job& j) {
    j.asp.vtlang = s.language;
    j.asp.guilang = s.get("guilanguage");
    j.asp.uppercase = s.get("uppercase");
    j.datanote_place = s.get_int("datanoteoption", 0);
}

void xmlc(const xml_settings& s, const xml_lists&, job& j) {
    j.xml.xml_type = s.xml_type;
    j.xml.inc_dtd = s.get_int("incDtd", 0);
    j.xml.language = s.language;
}

void sdmx(const xml_settings& s, const xml_lists&, job& j) {
    j.xml.xml_type = s.xml_type;
    j.xml.language = s.language;
}

void delimited(const xml_settings& s, const xml_lists&, job& j) {
    j.delimited.textdelim = s.get("delimiter");
    j.delimited.iteration = s.get_int("iteration", 0);
}

void prn(const xml_settings& s, const xml_lists&, job& j) {
    const std::string& d = s.get("delimiter");
    j.delim = d == "tab" ? std::string("\t") : d.empty() ? std::string(" ") : d;
}

void vtfile(const xml_settings& s, const xml_lists&, job& j) {
    j.vtfile.keys = s.get_or("keys", "0");
    j.vtfile.descript = s.get("descript");
    j.vtfile.subject = s.get("subject");
    j.vtfile.contents = s.get("contents");
    j.vtfile.descdefault = s.get_or("descdefault", "0");
}

void vardelete(const xml_settings& s, const xml_lists& l, job& j) {
    j.edit.variable = s.get("variable");
    j.edit.titleadd = s.get("titleadd");
    j.edit.value_list = l.delete_list;
    j.edit.remove = l.remove;
}

// The first 16 option letters as digits: T 1, C 2, B 3, anything else 0;
// always 16 digits.
void textcode(const xml_settings& s, const xml_lists&, job& j) {
    const std::string& opts = s.get("textcodeoptions");
    std::string digits(16, '0');
    for (std::size_t i = 0; i < digits.size() && i < opts.size(); ++i)
        digits[i] = opts[i] == 'T' ? '1' : opts[i] == 'C' ? '2' : opts[i] == 'B' ? '3' : '0';
    j.edit.textcode_options = digits;
}

void filecalc(const xml_settings& s, const xml_lists&, job& j) {
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

}  // namespace xml_fill

}  // namespace vt::batch
