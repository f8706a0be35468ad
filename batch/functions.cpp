// The batch functions: one row per function. The README's function table
// lists the same rows (a test reads it back against this one).
#include "batch/functions.h"

#include "batch/ini_keys.h"
#include "batch/routines.h"
#include "batch/xml_fill.h"
#include "platform/text.h"

namespace vt::batch {

namespace {

using plat::equal_nocase;

// Stage shorthands keep the rows on one line each.
constexpr ini_stage conversion = ini_stage::conversion;
constexpr ini_stage operation = ini_stage::operation;
constexpr xml_kind no_xml = xml_kind::none;
constexpr xml_kind plain = xml_kind::plain;

constexpr const char* split_elements =
    "variablename noofperiods firstyear yeartext quartertext quarter1 quarter2 quarter3 quarter4 monthtext "
    "month1 month2 month3 month4 month5 month6 month7 month8 month9 month10 month11 month12";

// Fields: name; INI stage, key reader; XML kind, step names, elements, fill,
// exact case, type from name; routine. The splits read their INI keys
// themselves; a nullptr routine means not available yet (the comment names
// the routine still to come).
constexpr function_row table[] = {
    // Conversions and simple operations: keys read before [Texts].
    {"splitquarters", conversion, nullptr, xml_kind::split, "splitquarters", split_elements, nullptr, false, false,
     run_splittimes},
    {"splitmonths", conversion, nullptr, xml_kind::split, "splitmonths", split_elements, nullptr, false, false,
     run_splittimes},
    {"decimals", conversion, ini_read::decimals, plain, "decimals", "decimals", xml_fill::decimals, false, false,
     run_decimals},  // chgdecweb
    {"excel", conversion, ini_read::excel, plain, "excel", "completeinfo doublecolumn datanote decimals",
     xml_fill::excel, false, false, run_excel},
    {"VTML", conversion, ini_read::vtml, no_xml, "", "", nullptr, false, false, run_xmlsave},
    {"XMLC", conversion, ini_read::xmlc, plain, "XMLC1 XMLC2 XMLC3", "incDtd", xml_fill::xmlc, false, true,
     run_xdfsave},
    {"SDMX", conversion, ini_read::sdmx, plain, "SDMX", "", xml_fill::sdmx, false, false, run_sdmxsave},
    {"asp", conversion, ini_read::asp, plain, "asp",
     "uppercase decimalpoint stubtype nozero thousand guilanguage completeinfo doublecolumn datanoteoption",
     xml_fill::asp, false, false, run_asp},
    {"kml", conversion, ini_read::kml, no_xml, "", "", nullptr, false, false, run_kml},
    {"kml2", conversion, ini_read::kml, no_xml, "", "", nullptr, false, false, run_kml2},
    {"kml3", conversion, ini_read::kml, no_xml, "", "", nullptr, false, false, run_kml3},
    {"text", conversion, nullptr, plain, "text",
     "rowlength pagelength marglength decimalpoint doublecolumn completeinfo thousand", nullptr, false, false,
     run_text},
    {"dbase1", conversion, ini_read::unit_var, plain, "dbase1", "", nullptr, false, false, run_dbase1},
    {"dbase2", conversion, nullptr, plain, "dbase2", "", nullptr, false, false, run_dbase2},
    {"dbase3", conversion, nullptr, plain, "dbase3", "", nullptr, false, false, run_dbase3},
    {"dbase4", conversion, nullptr, plain, "dbase4", "doublecolumn completeinfo", nullptr, false, false, run_dbase4},
    {"graph", conversion, ini_read::delimited, plain, "graph", "decimalpoint delimiter iteration",
     xml_fill::delimited, false, false, run_utgraph},
    {"matrix", conversion, ini_read::delimited, plain, "matrix", "decimalpoint delimiter iteration",
     xml_fill::delimited, false, false, run_utgraph},
    {"lotus", conversion, nullptr, plain, "lotus", "", nullptr, false, false, run_lotus},
    {"html1", conversion, nullptr, plain, "html1", "", nullptr, false, false, run_html1},
    {"html2", conversion, nullptr, plain, "html2", "", nullptr, false, false, run_html2},
    {"prnmatrix", conversion, nullptr, plain, "prnmatrix", "delimiter", xml_fill::prn, false, false, run_prnmatrix},
    {"prntable", conversion, nullptr, plain, "prntable", "delimiter", xml_fill::prn, false, false, run_prntable},
    {"reltable", conversion, ini_read::delimited, plain, "reltable", "delimiter decimalpoint iteration",
     xml_fill::delimited, false, false, run_reltable},
    {"gesmes", conversion, ini_read::gesmes, no_xml, "", "", nullptr, false, false, run_gesmes},

    // Table operations that rebuild titles with the text words: keys read
    // after [Texts].
    {"vtfile", operation, ini_read::vtfile, plain, "vtfile", "keys descript subject contents descdefault",
     xml_fill::vtfile, false, false, run_vtfile},
    {"pivotauto", operation, ini_read::pivotauto, plain, "pivotauto", "pivotoption", xml_fill::pivotauto, false,
     false, run_pivot},
    {"pivotmanual", operation, ini_read::pivotmanual, plain, "pivotmanual", "stuborder headorder",
     xml_fill::pivotmanual, false, false, run_variableorder},
    {"valueorder", operation, ini_read::valueorder, xml_kind::valueorder, "valueorder", "", xml_fill::valueorder,
     false, false, run_valueorder},
    {"vardelete", operation, ini_read::vardelete, xml_kind::vardelete, "vardelete", "variable titleadd",
     xml_fill::vardelete, false, false, run_vardelete},  // vardeleteweb
    {"textcode", operation, ini_read::textcode, plain, "textcode", "textcodeoptions", xml_fill::textcode, false,
     false, run_textcode},
    {"chgtextcontents", operation, ini_read::chgtextcontents, no_xml, "", "", nullptr, false, false,
     run_chgtextcontents},
    {"chgtexts", operation, ini_read::chgtexts, xml_kind::chgtexts, "chgtexts", "contentstext unittext noofvar",
     xml_fill::chgtexts, false, false, run_chgtexts},
    {"filecalc", operation, ini_read::filecalc, plain, "filecalculation",
     "constant matchfile newvalue1 newvalue2 newvalue3 newcode1 newcode2 newcode3 newvar operation includeexclude",
     xml_fill::filecalc, false, false, run_filecalc},

    // Selection functions: keys read after the selection lists. The XML
    // selection and aggregation steps run only when written in lower case.
    {"selvalues", ini_stage::selection, ini_read::selvalues, xml_kind::selection, "selection",
     "keepdescription timeoption noofvar", xml_fill::selection, true, false, run_selvalues},
    {"aggvalues", ini_stage::selection, ini_read::aggvalues, xml_kind::aggregation, "aggregation",
     "keepdescription timeoption noofvar classcat", xml_fill::aggregation, true, false, run_aggvalues},
    {"calcvalues", ini_stage::calculation, ini_read::calcvalues, xml_kind::calculation, "calculation",
     "operation includeexclude newvalue newcode betavalue order constant", xml_fill::calculation, false, false,
     run_calcvalues},
};

// Calls fn(word, position) for each blank-separated word of `list`, the
// first at position 1, until fn returns true; true when one did.
template <class F>
bool any_word(std::string_view list, F fn) {
    int position = 0;
    while (!list.empty()) {
        const std::size_t sp = list.find(' ');
        if (fn(list.substr(0, sp), ++position)) return true;
        if (sp == std::string_view::npos) break;
        list.remove_prefix(sp + 1);
    }
    return false;
}

}  // namespace

std::span<const function_row> functions() noexcept { return table; }

const function_row* find_function(std::string_view name) noexcept {
    for (const function_row& f : table)
        if (equal_nocase(f.name, name)) return &f;
    return nullptr;
}

const function_row* find_ini_function(std::string_view name, ini_stage stage) noexcept {
    const function_row* f = find_function(name);
    return f && f->ini == stage && stage != ini_stage::none ? f : nullptr;
}

xml_function find_xml_function(std::string_view name) noexcept {
    xml_function out;
    for (const function_row& f : table) {
        if (f.xml == xml_kind::none) continue;
        any_word(f.xml_names, [&](std::string_view word, int position) {
            if (!equal_nocase(word, name)) return false;
            out.row = &f;
            out.xml_type = f.xml_type_from_name ? position : 0;
            out.runs = !f.xml_exact_case || word == name;
            return true;
        });
        if (out.row) break;
    }
    return out;
}

bool in_word_list(std::string_view list, std::string_view word) noexcept {
    return any_word(list, [word](std::string_view w, int) { return w == word; });
}

routine find_routine(std::string_view name) noexcept {
    const function_row* f = find_function(name);
    return f ? f->run : nullptr;
}

bool known_function(std::string_view name) noexcept {
    return find_function(name) != nullptr || find_xml_function(name).row != nullptr;
}

}  // namespace vt::batch
