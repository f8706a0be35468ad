// The description of one batch job: everything a query file (INI or XML)
// says about one function call, typed, with the defaults of the INI form.
//
// Both query readers fill a `job` and hand it to run_job (batch/driver.h),
// which runs the routine of the function's row (batch/functions.h).
// A routine reads the fields of its own function family and ignores the
// rest, so a reader sets only what its form of the query gives; every field
// starts at the value a missing INI key would give it.
//
// Texts are bytes as read (Windows-1252), never re-encoded.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "export/gesmes.h"
#include "tableops/selection.h"

namespace vt::batch {

// selvalues, aggvalues, calcvalues (XML: selection, aggregation,
// calculation).
struct selection_args {
    int no_of_var = 0;     // [Data] NoOfVar: number of [VarN] sections read
    int secrecy = 0;       // [Data] Secrecy
    int descr = 0;         // [Query] Descr (XML keepdescription): keep the description
    int time_option = 0;   // [Query] TimeOpt, 1..3, else 0 (also 0 when the table has no time variable)
    int time_var = 0;      // 1-based position of the time variable, 0 when none was looked for or found
    int time_values = 0;   // number of values of the time variable
    std::string vtlang;    // [Query] vtlang (XML vtlangsuffix): language of the texts
    std::string classcat;  // [Query] Classcat: aggregation file (aggvalues only)
    // The value selection of variables 1..16: entries separated by ",", an
    // empty string eliminates the variable; nullopt for a variable beyond
    // NoOfVar (passed on as "no list").
    std::array<std::optional<std::string>, max_selected_vars> lists;

    // calcvalues only
    int operation = 0;           // [Query] Operation: operation code (11..14, 18, 21, 23, 33, ...)
    std::string incl_excl;       // [Query] InclExcl, lower case: "m" include, "u" exclude
    std::string constant;        // [Query] Constant
    std::string newvalue;        // [Query] Newvalue (XML: newvalue + "#" + newcode when a code was given)
    std::string betavalue;       // [Query] Betavalue
    int order = 0;               // [Query] Order
};

// Subtract (12) and divide (14) depend on which of two values comes first,
// so a calculation with one of them must be given an order.
inline bool operation_needs_order(int operation) noexcept { return operation == 12 || operation == 14; }

// excel
struct excel_args {
    int datanote = 0;  // [Data] datanote
    int decimals = 0;  // [Data] decimals
};

// VTML, XMLC, SDMX (XML: XMLC1..XMLC3, SDMX)
struct xml_args {
    int vtml_type = 0;     // [Query] VTMLtype (VTML)
    int xml_type = 0;      // [Query] XMLtype (XMLC, SDMX; XML: the digit of XMLCn)
    int inc_dtd = 0;       // [Query] IncDtd (XMLC)
    std::string language;  // [Query] Language (XML: vtlangsuffix)
};

// asp
struct asp_args {
    std::string vtlang;     // [Query] vtlang (XML: vtlangsuffix)
    std::string guilang;    // [Query] guilang (XML: guilanguage)
    std::string uppercase;  // [Query] Uppercase
};

// graph, matrix, reltable
struct delimited_args {
    int iteration = 0;      // [Query] iteration
    std::string textdelim;  // [Query] textdelim (XML: delimiter)
};

// gesmes: the [Gesmes] keys as the export takes them (CodeFile "" when the
// file cannot be opened; list A and list B built from ARR1..ARR16).
using gesmes_args = gesmes_settings;

// vtfile
struct vtfile_args {
    std::string keys = "0";         // [Data] keys: "1" writes the data in keyed form
    std::string descript;           // [Query] descript: new description ("" keeps the old one)
    std::string subject;            // [Query] subject
    std::string contents;           // [Query] contents
    std::string descdefault = "0";  // [Query] descdefault
};

// pivotauto, pivotmanual, valueorder, vardelete, textcode,
// chgtextcontents, chgtexts (the unit variable is job::unit_var)
struct edit_args {
    int pivot_alt = 0;            // [Query] PivotAlt (pivotauto; XML pivotoption)
    std::string stub_order;       // [Query] StubOrder (pivotmanual)
    std::string head_order;       // [Query] HeadOrder (pivotmanual)
    std::string variable;         // [Query] VariableValues (valueorder) or Variable (vardelete)
    std::string value_list;       // valueorder: [ValueList] Value1.. joined with ","; vardelete: [Remove] or [Use]
    int remove = 0;               // vardelete: 1 when the list names the values to remove
    std::string titleadd;         // [Query] Titleadd (vardelete)
    std::string textcode_options; // [Query] textcodeoptions (textcode): option digits
    std::string contentstext;     // [Query] contentstext (chgtextcontents, chgtexts)
    std::string unittext;         // [Query] unittext (chgtexts)
    int no_of_var = 0;            // [Data] NoOfVar (chgtexts)
    std::string variable_texts;   // chgtexts: [Variables] Var1..Var<NoOfVar> joined with ";"
};

// filecalc (XML: filecalculation)
struct filecalc_args {
    int constant_flag = 0;                 // 1: calculate with Constant, 0: with Matchfile
    std::string constant;                  // [Query] Constant ("1" when neither it nor Matchfile is given)
    std::string matchfile;                 // [Query] Matchfile
    std::array<std::string, 3> newvalues;  // [Query] Newvalue1..3 (XML: value + "#" + code)
    std::string newvar;                    // [Query] Newvar
    int option = 0;                        // [Query] Option (XML: operation code)
    std::string incl_excl;                 // [Query] InclExcl (XML: "m" or "u")
};

// splitquarters, splitmonths (XML form): the settings of a split step, as
// its elements gave them; the INI form reads its keys from the query file.
struct xml_split_args {
    bool given = false;  // true for a job made from an XML step
    std::string variablename, noofperiods, firstyear, yeartext, quartertext, monthtext;
    std::string quarters[4];
    std::string months[12];
};

struct job {
    // The function name exactly as written in the query (case kept: the
    // error file line repeats it); looked up without regard to case.
    std::string function;
    // The query file; splitquarters and splitmonths read their own keys from it.
    std::string query_path;

    std::string infile;     // [Files] Infile: the input table (or input file of the function)
    std::string outfile;    // [Files] Outfile
    std::string errorfile;  // [Files] Errorfile; "" writes no error file line
    std::string textfile = "*";  // [Files] textfile: label file of excel, text, dbase4

    int rounding = 0;            // [Data] rounding: 1 when the value starts with "1"
    std::string decimalpoint = ".";  // [Data] decimalpoint
    int stubtype = 1;            // [Data] stubtype (asp)
    int nozero = 0;              // [Data] nozero (asp, 0..3)
    int thousand = 0;            // [Data] thousand (asp, text)
    int doublecolumn = 0;        // [Data] doublecolumn
    int completeinfo = 0;        // [Data] completeinfo (excel, asp, text, dbase4)
    int rowlength = 100;         // [Data] rowlength (text)
    int pagelength = 100;        // [Data] pagelength (text)
    int marglength = 0;          // [Data] marglength (text)
    std::string delim = " ";     // [Data] delim (prnmatrix, prntable); "tab" gives a TAB
    int datanote_place = 0;      // [Data] datanoteoptplace: 0 value before its cell note, 1 after

    // Symbol1..Symbol7 and Symbolnil, ";"-separated (the caller symbol list of
    // the cell formatter).
    std::string symbol_list = ".;..;...;....;.....;......;.......;-";
    // The words for "and", "by", "dist" and "unit" joined with ";", used by the
    // table operations to compose new titles.
    std::string text_words = ";;;";
    // [Query] UnitVar (XML: the "unit" word): the unit variable of dbase1,
    // gesmes, pivotauto, pivotmanual, valueorder and vardelete.
    std::string unit_var;

    // Per-function arguments; a routine reads only its own family.
    std::string decimals;  // [Data] decimals as text (decimals)
    std::string coordinates;  // [Data] coordinates (kml, kml2, kml3)
    excel_args excel;
    xml_args xml;
    asp_args asp;
    delimited_args delimited;
    gesmes_args gesmes;
    vtfile_args vtfile;
    edit_args edit;
    filecalc_args filecalc;
    xml_split_args split;
    selection_args selection;

    // False when a mandatory setting of the function itself is missing (the
    // [Gesmes] keys): the job then ends with 0 and writes nothing.
    bool complete = true;
};

}  // namespace vt::batch
