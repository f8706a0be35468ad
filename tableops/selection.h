// Selection and aggregation jobs: choosing, for every variable of a table,
// the values the new table keeps (all, some, none = eliminated) or the
// groups of an aggregation that replace them, and writing the new table.
//
// The pieces are usable one at a time, so a dialogue can drive them step by
// step: selection vectors per variable, installing an aggregation in place
// of its variable (sumreg_install), turning the marks into a request
// (build_request, which also applies the installed aggregations), and
// berakna (tableops/compute.h) forming the table. selvalues and aggvalues
// are the batch routines built from them.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/table.h"
#include "tableops/compute.h"

namespace vt {

// Results (core/codes.h) besides 0: cannot_open, the reader's codes,
// no_memory, the data reader's 121 and 801, and op_failed (selvalues) or
// op_agg_failed (aggvalues) when no new table was formed, op_bad_list,
// op_bad_aggregated, op_nothing_kept, op_same_file, op_name_clash.

// Selection lists reach the first 16 variables of a table; the rest are
// eliminated. An aggregation takes the list of its variable, so this
// bounds the aggregations of one call too.
inline constexpr int max_selected_vars = 16;

// Marks of one variable: 0 not chosen, 1 chosen, 2 chosen into the second
// list (those follow the 1s in the request).
using selection_vector = std::vector<int>;

// An aggregation installed in place of its source variable.
struct installed_aggregation {
    std::size_t var = 0;   // chain position of the variable
    aggregation agg;       // groups; unique_name names the temporary variable
    variable source;       // the source variable, put back by build_request
    bool active = true;    // false once uninstalled
};

// The working state of one selection: the table, one vector per variable
// and the aggregations installed.
struct selection_state {
    table* t = nullptr;
    std::vector<selection_vector> vectors;
    std::vector<installed_aggregation> installed;
    int op = op_selection;
};

// Starts a selection over t: one vector of zeros per variable.
void selection_begin(selection_state& s, table& t);

// The 1-based numbers of a list separated by "," (blanks around an item
// and empty items are skipped), in the order listed. False when an item is
// not a number within 1..count.
bool list_numbers(const std::string& list, std::size_t count, std::vector<std::size_t>& out);

// Marks the values listed in `list` (1-based numbers separated by ",";
// empty items are skipped) in vector v with 1. The numbers must be
// strictly ascending and within 1..v.size(); otherwise nothing is marked
// and the result is codes::op_bad_list.
int mark_list(selection_vector& v, const std::string& list);

// Install mode of sumreg_adm: the aggregation's unique name becomes its
// name, or name + "_" + n when the n-th aggregation installed before has
// the same name (the latest such one, so three alike read "x", "x_1",
// "x_2"). A temporary variable with one value per group (group text, group
// code) replaces the variable at `var` and its selection vector is reset to
// one zero per group. Returns 0, or codes::op_name_clash when the unique
// name is the name of another variable of the table. A dialogue, which
// refuses a repeated name instead of numbering it, passes
// number_same_names false: the unique name is then the name.
int sumreg_install(selection_state& s, std::size_t var, aggregation agg, bool number_same_names = true);

// Puts the source variable of installed aggregation k back.
void sumreg_uninstall(selection_state& s, std::size_t k);

// Apply mode of sumreg_adm and the request builder: one entry per variable
// that keeps values (all of them: an entry without values; some: their
// texts, marks 1 then 2; none: no entry), the installed aggregations
// reduced to their marked groups and attached to their variable's entry,
// and every source variable put back. Returns 0, or codes::op_nothing_kept
// when no variable keeps a value.
int build_request(selection_state& s, bearb& out);

// The batch selection: reads in_path, keeps the values that sel[i] lists
// for variable i+1 (null or empty: eliminated; variables beyond
// max_selected_vars are eliminated), rebuilds the title from texts ("and;by;distr") and writes
// the new table to out_path. secrecy is the data writer's recode flag;
// a non-empty language selects the texts read; keep_description 0 drops the
// DESCRIPTION unless it is the default title.
// Returns 0 (or the data writer's result), 400, the reader's code, 1, 81,
// 83, 84, 200, 121 or 801.
int selvalues_list(const char* in_path, const char* out_path, const char* texts,
                   const std::array<const char*, max_selected_vars>& sel, int secrecy, const char* language,
                   int keep_description);

// As selvalues_list; a list of the form "A" + one character + aggregation
// file + ";" + group numbers aggregates its variable with that file from
// value_set_dir. Returns as selvalues_list, with 92 instead of 1 and also
// 82 and 86.
int aggvalues_list(const char* in_path, const char* out_path, const char* texts, const char* value_set_dir,
                   const std::array<const char*, max_selected_vars>& sel, int secrecy, const char* language,
                   int keep_description);

// The 22- and 23-argument forms.
int selvalues(const char* in_path, const char* out_path, const char* texts, const char* sel1, const char* sel2,
              const char* sel3, const char* sel4, const char* sel5, const char* sel6, const char* sel7,
              const char* sel8, const char* sel9, const char* sel10, const char* sel11, const char* sel12,
              const char* sel13, const char* sel14, const char* sel15, const char* sel16, int secrecy,
              const char* language, int keep_description);
int aggvalues(const char* in_path, const char* out_path, const char* texts, const char* value_set_dir,
              const char* sel1, const char* sel2, const char* sel3, const char* sel4, const char* sel5,
              const char* sel6, const char* sel7, const char* sel8, const char* sel9, const char* sel10,
              const char* sel11, const char* sel12, const char* sel13, const char* sel14, const char* sel15,
              const char* sel16, int secrecy, const char* language, int keep_description);

}  // namespace vt
