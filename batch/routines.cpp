// The routines of the batch functions: each is a small adapter that passes
// the job's fields to the conversion or operation in the order that
// function takes them. The rows of batch/functions.cpp name them.
#include "batch/routines.h"

#include <iterator>

#include "export/asp.h"
#include "export/dbase.h"
#include "export/delimited.h"
#include "export/excel.h"
#include "export/gesmes.h"
#include "export/lotus.h"
#include "export/html.h"
#include "export/kml.h"
#include "export/print.h"
#include "export/resave.h"
#include "export/sdmx.h"
#include "export/text.h"
#include "export/xdf.h"
#include "export/xmlcube.h"
#include "tableops/calc.h"
#include "tableops/decimals.h"
#include "tableops/filecalc.h"
#include "tableops/pivot.h"
#include "tableops/presentation.h"
#include "tableops/selection.h"
#include "tableops/splittimes.h"
#include "tableops/texts.h"
#include "tableops/valueorder.h"
#include "tableops/vardelete.h"
#include "platform/text.h"

namespace vt::batch {

namespace {

// The selection lists of a job as the selection routines take them: a
// variable without a list passes null.
std::array<const char*, max_selected_vars> selection_lists(const job& j) {
    std::array<const char*, max_selected_vars> out{};
    for (std::size_t i = 0; i < out.size() && i < j.selection.lists.size(); ++i)
        out[i] = j.selection.lists[i] ? j.selection.lists[i]->c_str() : nullptr;
    return out;
}

}  // namespace

// selvalues (XML selection): chosen values and eliminated variables.
int run_selvalues(const job& j) {
    const selection_args& s = j.selection;
    return selvalues_list(j.infile.c_str(), j.outfile.c_str(), j.text_words.c_str(), selection_lists(j), s.secrecy,
                          s.vtlang.c_str(), s.descr);
}

// aggvalues (XML aggregation): as selvalues; Classcat is the directory
// of the aggregation files.
int run_aggvalues(const job& j) {
    const selection_args& s = j.selection;
    return aggvalues_list(j.infile.c_str(), j.outfile.c_str(), j.text_words.c_str(), s.classcat.c_str(),
                          selection_lists(j), s.secrecy, s.vtlang.c_str(), s.descr);
}

// pivotauto: the table rotated by one variable (PivotAlt 1 or 2).
int run_pivot(const job& j) {
    return pivot(j.infile.c_str(), j.outfile.c_str(), j.edit.pivot_alt, j.unit_var.c_str(),
                 title_words_from_list(j.text_words));
}

// pivotmanual: stub and heading as StubOrder and HeadOrder list them.
int run_variableorder(const job& j) {
    return variableorder(j.infile.c_str(), j.outfile.c_str(), j.edit.stub_order.c_str(), j.edit.head_order.c_str(),
                         j.unit_var.c_str(), title_words_from_list(j.text_words));
}

// valueorder: the values of VariableValues in the order of [ValueList].
int run_valueorder(const job& j) {
    return valueorder(j.infile.c_str(), j.outfile.c_str(), j.edit.value_list.c_str(), j.edit.variable.c_str(),
                      j.unit_var.c_str(), title_words_from_list(j.text_words));
}

// splitquarters, splitmonths: the INI form reads its own keys from the
// query; an XML step hands over the elements it read, and its CODES( of the
// time variable are replaced too (the codes equal the texts). The step's
// function name chooses quarters or months.
int run_splittimes(const job& j) {
    const xml_split_args& a = j.split;
    if (!a.given) return splittimes(j.query_path.c_str());
    split_settings s;
    s.quarters = plat::equal_nocase(j.function, "splitquarters");
    s.variable = a.variablename;
    s.periods = a.noofperiods;
    s.first_year = a.firstyear;
    s.year_text = a.yeartext;
    s.period_text = s.quarters ? a.quartertext : a.monthtext;
    if (s.quarters) s.period_values.assign(std::begin(a.quarters), std::end(a.quarters));
    else s.period_values.assign(std::begin(a.months), std::end(a.months));
    s.replace_codes = true;
    return split_times(j.infile, j.outfile, s, j.query_path);
}

// calcvalues (XML calculation): a new value computed from chosen values.
int run_calcvalues(const job& j) {
    const selection_args& s = j.selection;
    return calcvalues_list(j.infile.c_str(), j.outfile.c_str(), j.text_words.c_str(), s.operation,
                           s.incl_excl.c_str(), selection_lists(j), s.order, s.newvalue.c_str(), s.betavalue.c_str(),
                           s.constant.c_str());
}

// chgtexts: new CONTENTS, UNITS and names of the named variables.
int run_chgtexts(const job& j) {
    return chgtxtweb(j.infile.c_str(), j.outfile.c_str(), j.edit.variable_texts.c_str(), j.edit.contentstext.c_str(),
                     j.edit.unittext.c_str(), title_words_from_list(j.text_words));
}

// chgtextcontents: a new CONTENTS (the title follows it).
int run_chgtextcontents(const job& j) {
    return chgtxtcontdescr(j.infile.c_str(), j.outfile.c_str(), j.edit.contentstext.c_str(),
                           title_words_from_list(j.text_words), 0);
}

// textcode: values shown as texts, codes or both, one option digit per
// variable. The job names no value set folder: codes-only values find
// their texts in the value set files of the folder the job runs in.
int run_textcode(const job& j) {
    std::string used;
    return ctvaluesweb(j.infile.c_str(), "", j.outfile.c_str(), j.edit.textcode_options.c_str(), used);
}
// vardelete: Variable summed away over the values of [Use], or taken at
// the one value [Remove] leaves; Titleadd is added to the contents.
int run_vardelete(const job& j) {
    return vardeleteweb(j.infile.c_str(), j.outfile.c_str(), j.edit.value_list.c_str(), j.edit.variable.c_str(),
                        j.unit_var.c_str(), title_words_from_list(j.text_words), j.edit.remove,
                        j.edit.titleadd.c_str());
}

// decimals: DECIMALS and SHOWDECIMALS set to [Data] decimals.
int run_decimals(const job& j) { return chgdecweb(j.infile.c_str(), j.outfile.c_str(), j.decimals.c_str()); }

// filecalc: the input combined with a match table or a constant.
int run_filecalc(const job& j) {
    const filecalc_args& c = j.filecalc;
    return tabselweb(j.infile.c_str(), j.outfile.c_str(), c.constant_flag, c.matchfile.c_str(), c.option,
                     j.text_words.c_str(), c.newvar.c_str(), c.newvalues[0].c_str(), c.newvalues[1].c_str(),
                     c.newvalues[2].c_str(), c.constant.c_str(), c.incl_excl.c_str());
}

// text: the paginated text report.
int run_text(const job& j) {
    return TextConv(j.infile, j.outfile, j.rowlength, j.pagelength, j.marglength, 0, j.decimalpoint,
                    j.symbol_list, j.doublecolumn, j.completeinfo, j.textfile, j.rounding, j.datanote_place,
                    j.thousand);
}

// asp: the table as a classed HTML fragment for a web application.
int run_asp(const job& j) {
    return AspConv(j.infile, j.outfile, j.stubtype, j.symbol_list, j.decimalpoint, j.thousand, j.doublecolumn,
                   j.completeinfo, j.nozero, j.asp.vtlang, j.asp.guilang, j.asp.uppercase, j.rounding,
                   j.datanote_place);
}

// vtfile: the table file written again; Query contents asks for the
// title to be rebuilt.
int run_vtfile(const job& j) {
    return savevtweb(j.infile.c_str(), j.outfile.c_str(), j.text_words.c_str(), j.vtfile.descript.c_str(),
                     j.vtfile.subject.c_str(), j.vtfile.keys.c_str(), j.vtfile.contents.c_str(),
                     j.vtfile.descdefault.c_str());
}

// html1, html2: the table as an HTML page, stub values in one column
// or in a column per stub variable.
int run_html1(const job& j) { return htmkonv(j.infile, j.outfile, j.symbol_list, j.rounding, j.datanote_place); }

int run_html2(const job& j) { return htmkonv2(j.infile, j.outfile, j.symbol_list, j.rounding, j.datanote_place); }

// reltable: the table as tab-separated relational lines.
int run_reltable(const job& j) {
    return RelTable(j.infile, j.outfile, j.decimalpoint, j.delimited.textdelim, j.delimited.iteration, j.symbol_list,
                    j.rounding, j.datanote_place);
}

// graph, matrix: a graph data or matrix file, chosen by the output's ending.
int run_utgraph(const job& j) {
    return utgraph(j.infile, j.outfile, j.decimalpoint, j.delimited.textdelim, j.delimited.iteration, j.symbol_list,
                   j.rounding, j.datanote_place);
}

// prnmatrix, prntable: the print layouts, labels in the ANSI code page.
int run_prnmatrix(const job& j) {
    return asmkonv(j.infile, j.outfile, j.delim, 0, j.symbol_list, j.rounding, j.datanote_place);
}

int run_prntable(const job& j) {
    return astkonv(j.infile, j.outfile, j.delim, 0, j.symbol_list, j.rounding, j.datanote_place);
}

// dbase1 .. dbase4: the table as a dBase file, a record per cell
// (named after UnitVar where a variable has no name) or per stub row; dbase4
// adds code fields as the doublecolumn setting asks.
int run_dbase1(const job& j) { return dbakonv(j.infile, j.outfile, j.unit_var); }

int run_dbase2(const job& j) { return dbakonv2(j.infile, j.outfile); }

int run_dbase3(const job& j) { return dbakonv3(j.infile, j.outfile); }

int run_dbase4(const job& j) { return dbaseConv(j.infile, j.outfile, j.doublecolumn); }

// excel: the table as a worksheet; [Data] decimals asks for the numbers
// as read instead of rounded to their shown decimals.
int run_excel(const job& j) {
    return ExcelConv2005(j.infile, j.outfile, j.symbol_list, j.doublecolumn, j.completeinfo, j.textfile,
                         j.excel.datanote, j.rounding, j.excel.decimals);
}

// VTML: the XML cube, its cells listed (VTMLtype 1) or copied as a block.
int run_xmlsave(const job& j) { return xmlsave(j.infile, j.outfile, j.xml.vtml_type); }

// XMLC (XML: XMLC1..XMLC3): the statinfo document of XMLtype.
int run_xdfsave(const job& j) {
    return xdfsave(j.infile, j.outfile, j.xml.xml_type, j.xml.language, j.rounding, j.xml.inc_dtd);
}

// SDMX: the structure message (XMLtype 0) or a data message header.
int run_sdmxsave(const job& j) { return sdmxsave(j.infile, j.outfile, j.xml.xml_type, j.xml.language); }
// kml, kml2, kml3: the regions on a map, positions from the coordinates
// directory ([Data] coordinates).
int run_kml(const job& j) { return kmlsave(j.infile, j.outfile, j.coordinates); }

int run_kml2(const job& j) { return kmlsave2(j.infile, j.outfile, j.coordinates, j.symbol_list); }

int run_kml3(const job& j) { return kmlsave3(j.infile, j.outfile, j.coordinates, j.symbol_list); }

// gesmes: the table as a GESMES/TS message built from the [Gesmes] keys.
int run_gesmes(const job& j) { return gesmes2003(j.infile, j.outfile, j.gesmes); }

// lotus: the table as a WK1 or WKS worksheet (by the output's extension).
// The symbol list the export hands back is of no further use in a job.
int run_lotus(const job& j) {
    std::string symbols = j.symbol_list;
    return lotkonv(j.infile, j.outfile, symbols);
}

}  // namespace vt::batch
