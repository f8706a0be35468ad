// Every result code the project returns, by name, with what it means. A
// routine returns 0 for success (a few return a negative value for success
// too) and one of these for a failure; hosts, query files and error files
// see the numbers, so they never change.
//
// The README's code tables list the same numbers; a test reads them back
// against this header.
#pragma once

namespace vt::codes {

// ---- Shared by every layer.
inline constexpr int ok = 0;
inline constexpr int no_memory = 200;      // memory ran out
inline constexpr int no_data_block = 201;  // the data matrix cannot be had (no memory for the cells, or not all there)
inline constexpr int cannot_open = 400;    // a file cannot be opened, read or written in full
inline constexpr int internal_fault = 999; // an unexpected failure (an exception reached a boundary)

// ---- Table file reader and data section. A problem code that belongs to
// one keyword only is named in the reader's keyword table (the row's
// problem); the codes below are shared by several keywords, by a keyword and
// the end checks, or by the reader and the data section.
inline constexpr int reader_string_comma = 1;         // a one-string keyword's string followed by ","
inline constexpr int reader_string_line_end = 2;      // ... by a line break
inline constexpr int reader_string_paren = 3;         // ... by ")"
inline constexpr int reader_malformed = 100;          // a malformed statement; the contents variable gone at the end
inline constexpr int reader_bad_units = 103;          // UNITS= or UNITS( malformed
inline constexpr int reader_bad_codes = 109;          // CODES( or TEXTS( malformed, or more codes than values
inline constexpr int reader_bad_note = 110;           // NOTE= or NOTEX= malformed
inline constexpr int reader_unknown_variable = 110;   // a statement names no variable (it is ignored)
inline constexpr int reader_bad_variable_note = 111;  // NOTE( or NOTEX( malformed
inline constexpr int reader_bad_value_note = 112;     // VALUENOTE( or VALUENOTEX( malformed, or no such value
inline constexpr int reader_bad_cell_note = 113;      // a CELLNOTE( or CELLNOTEX( entry rejected, or its text bad
inline constexpr int reader_bad_keys = 121;           // keyed data declared wrongly, or a key naming no value
inline constexpr int reader_no_title = 130;           // neither TITLE= nor DESCRIPTION=
inline constexpr int reader_no_matrix = 131;          // no MATRIX=
inline constexpr int reader_no_subject_area = 132;    // no SUBJECT-AREA=
inline constexpr int reader_no_subject_code = 133;    // no SUBJECT-CODE=
inline constexpr int reader_no_variables = 134;       // neither STUB= nor HEADING=
inline constexpr int reader_no_units = 135;           // no UNITS=
inline constexpr int reader_no_contents = 136;        // no CONTENTS=
inline constexpr int reader_bad_decimals = 137;       // DECIMALS= missing, not digits or above 15
inline constexpr int reader_bad_showdecimals = 138;   // SHOWDECIMALS= not digits, above 6, or above DECIMALS
inline constexpr int reader_no_such_value = 140;      // ELIMINATION( names a value the variable lacks
inline constexpr int reader_no_values = 141;          // a variable without values
inline constexpr int reader_bad_dayadj = 143;         // DAYADJ=, SEASADJ= or DAYADJ( neither Y nor N
inline constexpr int reader_bad_contact = 146;        // CONTACT= or CONTACT( malformed
inline constexpr int reader_bad_refperiod = 147;      // REFPERIOD= or REFPERIOD( malformed
inline constexpr int reader_bad_last_updated = 149;   // LAST-UPDATED= or LAST-UPDATED( malformed
inline constexpr int reader_bad_stockfa = 151;        // STOCKFA= or STOCKFA( not S, F or A
inline constexpr int reader_bad_cfprices = 152;       // CFPRICES= or CFPRICES( not C or F
inline constexpr int reader_bad_baseperiod = 154;     // BASEPERIOD= or BASEPERIOD( malformed
inline constexpr int reader_bad_charset = 163;       // CHARSET= neither ANSI nor OEM (also in the table listing)
inline constexpr int reader_bad_contvariable = 160;   // CONTVARIABLE= bad or repeated; a per-content one before it
inline constexpr int reader_contents_unnamed = 161;   // per-content statements with an empty CONTVARIABLE
inline constexpr int reader_bad_doublecolumn = 168;   // DOUBLECOLUMN( malformed, or YES without codes
inline constexpr int reader_bad_datasymbol = 173;     // DATASYMBOL1= .. DATASYMBOL6= malformed
inline constexpr int reader_no_data_keyword = 180;    // the file ends without DATA=
inline constexpr int data_input_ended = 100;          // dsave: the input ended before the cells did
inline constexpr int data_bad_key = 121;              // keyed data: a key that names no value, or no key
inline constexpr int data_no_block_keyed = 801;       // read_keyed_data: no memory for the data matrix

// ---- Table operations.
inline constexpr int op_failed = 1;              // no new table could be formed (selvalues; berakna)
inline constexpr int op_bad_list = 81;           // a selection list not strictly ascending, out of range or not numbers
inline constexpr int op_bad_aggregated = 82;     // an aggregated list without ";" after its file name, or no file name
inline constexpr int op_nothing_kept = 83;       // no variable keeps any value
inline constexpr int op_same_file = 84;          // the output would replace the input table
inline constexpr int op_name_clash = 86;         // an aggregation named like another variable
inline constexpr int op_not_supported = 87;      // berakna: an operation code not served yet
inline constexpr int op_bad_pivot_alt = 88;      // pivot: alt is neither 1 nor 2
inline constexpr int op_bad_order = 89;          // the orders do not name every variable exactly once
inline constexpr int op_no_dialogue_table = 90;  // a dialogue step without the table of an earlier step
inline constexpr int op_values_coded = 90;       // srvalues step 2: the chosen variable's values carry codes (step 5 shows them)
inline constexpr int op_aggregation_name_used = 91;  // srvalues step 4: another aggregation or variable already has the name
inline constexpr int op_match_unfit = 91;        // file calculation: no UNITS, or the match table is unreadable or does not fit
inline constexpr int op_agg_failed = 92;         // aggvalues: no new table was formed
inline constexpr int op_bad_period_count = 79;  // split times: the periods are no whole number of years (at most 11) or not the time variable's values
inline constexpr int op_bad_value_order = 80;    // a value order that does not name every value exactly once
inline constexpr int op_no_such_name = 85;       // a variable (valueorder, split times) or base value (calcvalues) the table lacks
inline constexpr int op_overlay_unnamed = 92;    // merge op 71: the new variable needs a name and texts, none given
inline constexpr int op_blank_text = 93;         // a new value text, code or variable name empty or blanks only
inline constexpr int op_quote_in_text = 94;      // a new value text, code or variable name holding a double quote
inline constexpr int op_text_used = 95;          // a new value text or code the variable (or UNITS) already has
inline constexpr int op_variable_exists = 96;    // a new variable's name is already a variable's name
inline constexpr int op_bad_constant = 97;       // calcvalues: the constant operand is not a number
inline constexpr int op_calc_variable_lost = 98; // calcvalues: the new table lacks the calculation variable
inline constexpr int op_calc_failed = 200;       // calcvalues: no new table was formed
inline constexpr int op_bad_step = 99;           // a dialogue step unknown, or before the step that prepares it
inline constexpr int getvalue_no_aggregation = 1000;  // getvalue step 0: added when no variable offers an aggregation
inline constexpr int op_presentation_failed = 99; // textcode: the presentation change formed no table
inline constexpr int op_value_set_choice = 1;    // ctvalues2003: several value sets fit; the host chooses one
inline constexpr int op_partial_delete = 78;     // vardelete: the marks would keep some but not all of several values
inline constexpr int op_delete_failed = 200;     // vardelete: every value of the variable removed, no table formed
inline constexpr int op_bad_decimals = 79;       // decimals: DECIMALS, SHOWDECIMALS or a PRECISION no table file can state
inline constexpr int grid_cannot_open = 2;       // utbild: a grid output cannot be made or written, or would replace the table or another output
inline constexpr int grid_columns_cut = 8;       // utbild: columns cut at max_columns; the grid is complete otherwise
inline constexpr int grid_lines_cut = 9;         // utbild: row lines cut at max_lines
inline constexpr int grid_no_memory = 310;       // utbild: memory ran out while the grid was prepared
inline constexpr int grid_too_many_rows = 900;   // utbild: more than 100000000 rows
inline constexpr int grid_too_many_columns = 901; // utbild: more than 100000000 columns

// ---- Conversions.
inline constexpr int text_cannot_open = 2;       // text report: the input or the output cannot be opened
inline constexpr int text_page_too_short = 7;    // text report: a page cannot hold its header lines plus one row
inline constexpr int resave_failed = 1;          // re-save: the input cannot be read or the output not written
inline constexpr int resave_no_memory = 5;       // VtReSave: memory ran out (also for the data block)
inline constexpr int resave_data_fault = 6;      // VtReSave: the data section could not be copied for another reason
inline constexpr int resave_input_ended = 7;     // VtReSave: the input ended before the cells did, or the disk is full
inline constexpr int nsd_stub_count = 192;       // nsdkonv: the table has not exactly one stub variable
inline constexpr int nsd_stub_not_number = 194;  // nsdkonv: a stub value text holds a character other than a digit
inline constexpr int nsd_no_space = 300;         // nsdkonv: too little free space on the output's drive
inline constexpr int tsd_no_timeval = 600;       // arekonv: the table has no TIMEVAL
inline constexpr int tsd_two_headings = 601;     // arekonv: more than one heading variable
inline constexpr int tsd_no_time_heading = 602;  // arekonv: no heading variable, or it is not the time variable
inline constexpr int tsd_bad_period = 603;       // arekonv: a quarter code shorter than 5 characters, or no period
inline constexpr int tsd_three_scales = 604;     // arekonv: more than two time scales
inline constexpr int kml_no_first_variable = 602;  // kmlsave: the table has no first variable
inline constexpr int gesmes_no_timeval = 605;    // gesmes2003: the table has no TIMEVAL
inline constexpr int gesmes_two_headings = 606;  // gesmes2003: more than one heading variable
inline constexpr int gesmes_no_heading = 607;    // gesmes2003: no heading variable
inline constexpr int gesmes_not_time = 608;      // gesmes2003: the heading variable is not the time variable
inline constexpr int kml_no_coordinates = 700;   // kml exports: the coordinates file cannot be opened
inline constexpr int kml_no_map = 701;           // kml exports: the first variable has no MAP
inline constexpr int kml_two_series = 702;       // kmlsave: two or more further variables have several values

// ---- Batch driver (vtbatch).
inline constexpr int batch_usage = 701;          // no query file named
inline constexpr int batch_no_infile = 702;      // [Files] Infile not given
inline constexpr int batch_no_outfile = 703;     // [Files] Outfile not given
inline constexpr int batch_no_function = 704;    // [Query] Function not given
inline constexpr int batch_no_variables = 705;   // selvalues/aggvalues with NoOfVar not given or 0
inline constexpr int batch_no_operation = 706;   // calcvalues without Operation
inline constexpr int batch_no_inclexcl = 707;    // calcvalues without InclExcl
inline constexpr int batch_no_newvalue = 708;    // calcvalues including ("m") without Newvalue
inline constexpr int batch_no_order = 711;       // calcvalues with Operation 12 or 14 and Order 0
inline constexpr int batch_same_file = 713;      // the output (or error file) would replace the input or the query
inline constexpr int batch_no_variable = 714;    // XML: a variable name the table does not have
inline constexpr int batch_no_value = 715;       // XML: a value code or text the variable does not have
inline constexpr int batch_bad_variable = 716;   // XML: a variable element out of sequence or of the wrong form
inline constexpr int batch_no_step = 717;        // XML: not one step could be read from the query file

}  // namespace vt::codes
