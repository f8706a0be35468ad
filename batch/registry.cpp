// The batch functions: one table from function names to their routines.
//
// Each routine is a small adapter that passes the job's fields to the
// conversion or operation in the order that function takes them. A function
// whose routine is not written yet keeps its row with a null routine, so it
// behaves like an unknown name (nothing runs, result 0) until its adapter
// is added here.
#include "batch/registry.h"

#include "batch/ini_query.h"
#include "platform/fsinfo.h"
#include "platform/text.h"
#include "export/asp.h"
#include "export/dbase.h"
#include "export/delimited.h"
#include "export/excel.h"
#include "export/html.h"
#include "export/print.h"
#include "export/resave.h"
#include "export/text.h"
#include "tableops/pivot.h"
#include "tableops/selection.h"

namespace vt::batch {

using plat::equal_nocase;

namespace {

// The selection lists of a job as the selection routines take them: a
// variable without a list passes null.
std::array<const char*, max_selected_vars> selection_lists(const job& j) {
    std::array<const char*, max_selected_vars> out{};
    for (std::size_t i = 0; i < out.size() && i < j.selection.lists.size(); ++i)
        out[i] = j.selection.lists[i] ? j.selection.lists[i]->c_str() : nullptr;
    return out;
}

// "selvalues" (XML "selection"): chosen values and eliminated variables.
int run_selvalues(const job& j) {
    const selection_args& s = j.selection;
    return selvalues_list(j.infile.c_str(), j.outfile.c_str(), j.text_words.c_str(), selection_lists(j), s.secrecy,
                          s.vtlang.c_str(), s.descr);
}

// "aggvalues" (XML "aggregation"): as selvalues; Classcat is the directory
// of the aggregation files.
int run_aggvalues(const job& j) {
    const selection_args& s = j.selection;
    return aggvalues_list(j.infile.c_str(), j.outfile.c_str(), j.text_words.c_str(), s.classcat.c_str(),
                          selection_lists(j), s.secrecy, s.vtlang.c_str(), s.descr);
}

// "pivotauto": the table rotated by one variable (PivotAlt 1 or 2).
int run_pivot(const job& j) {
    return pivot(j.infile.c_str(), j.outfile.c_str(), j.edit.pivot_alt, j.unit_var.c_str(),
                 title_words_from_list(j.text_words));
}

// "pivotmanual": stub and heading as StubOrder and HeadOrder list them.
int run_variableorder(const job& j) {
    return variableorder(j.infile.c_str(), j.outfile.c_str(), j.edit.stub_order.c_str(), j.edit.head_order.c_str(),
                         j.unit_var.c_str(), title_words_from_list(j.text_words));
}

// "text": the paginated text report.
int run_text(const job& j) {
    return TextConv(j.infile, j.outfile, j.rowlength, j.pagelength, j.marglength, 0, j.decimalpoint,
                    j.symbol_list, j.doublecolumn, j.completeinfo, j.textfile, j.rounding, j.datanote_place,
                    j.thousand);
}

// "asp": the table as a classed HTML fragment for a web application.
int run_asp(const job& j) {
    return AspConv(j.infile, j.outfile, j.stubtype, j.symbol_list, j.decimalpoint, j.thousand, j.doublecolumn,
                   j.completeinfo, j.nozero, j.asp.vtlang, j.asp.guilang, j.asp.uppercase, j.rounding,
                   j.datanote_place);
}

// "vtfile": the table file written again; Query contents asks for the
// title to be rebuilt.
int run_vtfile(const job& j) {
    return savevtweb(j.infile.c_str(), j.outfile.c_str(), j.text_words.c_str(), j.vtfile.descript.c_str(),
                     j.vtfile.subject.c_str(), j.vtfile.keys.c_str(), j.vtfile.contents.c_str(),
                     j.vtfile.descdefault.c_str());
}

// "html1", "html2": the table as an HTML page, stub values in one column
// or in a column per stub variable.
int run_html1(const job& j) { return htmkonv(j.infile, j.outfile, j.symbol_list, j.rounding, j.datanote_place); }

int run_html2(const job& j) { return htmkonv2(j.infile, j.outfile, j.symbol_list, j.rounding, j.datanote_place); }

// "reltable": the table as tab-separated relational lines.
int run_reltable(const job& j) {
    return RelTable(j.infile, j.outfile, j.decimalpoint, j.delimited.textdelim, j.delimited.iteration, j.symbol_list,
                    j.rounding, j.datanote_place);
}

// "graph", "matrix": a graph data or matrix file, chosen by the output's ending.
int run_utgraph(const job& j) {
    return utgraph(j.infile, j.outfile, j.decimalpoint, j.delimited.textdelim, j.delimited.iteration, j.symbol_list,
                   j.rounding, j.datanote_place);
}

// "prnmatrix", "prntable": the print layouts, labels in the ANSI code page.
int run_prnmatrix(const job& j) {
    return asmkonv(j.infile, j.outfile, j.delim, 0, j.symbol_list, j.rounding, j.datanote_place);
}

int run_prntable(const job& j) {
    return astkonv(j.infile, j.outfile, j.delim, 0, j.symbol_list, j.rounding, j.datanote_place);
}

// "dbase1" .. "dbase4": the table as a dBase file, a record per cell
// (named after UnitVar where a variable has no name) or per stub row; dbase4
// adds code fields as the doublecolumn setting asks.
int run_dbase1(const job& j) { return dbakonv(j.infile, j.outfile, j.unit_var); }

int run_dbase2(const job& j) { return dbakonv2(j.infile, j.outfile); }

int run_dbase3(const job& j) { return dbakonv3(j.infile, j.outfile); }

int run_dbase4(const job& j) { return dbaseConv(j.infile, j.outfile, j.doublecolumn); }

// "excel": the table as a worksheet; [Data] decimals asks for the numbers
// as read instead of rounded to their shown decimals.
int run_excel(const job& j) {
    return ExcelConv2005(j.infile, j.outfile, j.symbol_list, j.doublecolumn, j.completeinfo, j.textfile,
                         j.excel.datanote, j.rounding, j.excel.decimals);
}

constexpr function_entry table[] = {
    // Conversions and simple operations.
    {"splitquarters", nullptr},  // not yet available: splittimes(query file)
    {"splitmonths", nullptr},    // not yet available: splittimes(query file)
    {"decimals", nullptr},       // not yet available: chgdecweb
    {"excel", run_excel},
    {"VTML", nullptr},           // not yet available: xmlsave
    {"XMLC", nullptr},           // not yet available: xdfsave
    {"SDMX", nullptr},           // not yet available: sdmxsave
    {"asp", run_asp},
    {"kml", nullptr},            // not yet available: kmlsave
    {"kml2", nullptr},           // not yet available: kmlsave2
    {"kml3", nullptr},           // not yet available: kmlsave3
    {"text", run_text},
    {"dbase1", run_dbase1},
    {"dbase2", run_dbase2},
    {"dbase3", run_dbase3},
    {"dbase4", run_dbase4},
    {"graph", run_utgraph},
    {"matrix", run_utgraph},
    {"lotus", nullptr},          // not yet available: lotkonv
    {"html1", run_html1},
    {"html2", run_html2},
    {"prnmatrix", run_prnmatrix},
    {"prntable", run_prntable},
    {"reltable", run_reltable},
    {"gesmes", nullptr},         // not yet available: gesmes2003
    // Table operations that take the text words.
    {"vtfile", run_vtfile},
    {"pivotauto", run_pivot},
    {"pivotmanual", run_variableorder},
    {"valueorder", nullptr},       // not yet available: valueorder
    {"vardelete", nullptr},        // not yet available: vardeleteweb
    {"textcode", nullptr},         // not yet available: ctvaluesweb
    {"chgtextcontents", nullptr},  // not yet available: chgtxtcontdescr
    {"chgtexts", nullptr},         // not yet available: chgtxtweb
    {"filecalc", nullptr},         // not yet available: tabselweb
    // Selection functions.
    {"selvalues", run_selvalues},
    {"aggvalues", run_aggvalues},
    {"calcvalues", nullptr},  // not yet available: calcvalues
    // Names of the XML query only, sharing the routines above. The XML
    // splits call their own variant with the open query file.
    {"selection", run_selvalues},    // as selvalues
    {"aggregation", run_aggvalues},  // as aggvalues
    {"calculation", nullptr},      // as calcvalues
    {"filecalculation", nullptr},  // as filecalc
    {"XMLC1", nullptr},            // as XMLC, type 1
    {"XMLC2", nullptr},            // as XMLC, type 2
    {"XMLC3", nullptr},            // as XMLC, type 3
};

const function_entry* find_entry(std::string_view name) noexcept {
    for (const function_entry& e : table)
        if (equal_nocase(e.name, name)) return &e;
    return nullptr;
}

}  // namespace

std::span<const function_entry> functions() noexcept { return table; }

routine find_routine(std::string_view name) noexcept {
    const function_entry* e = find_entry(name);
    return e ? e->run : nullptr;
}

bool known_function(std::string_view name) noexcept { return find_entry(name) != nullptr; }

}  // namespace vt::batch
