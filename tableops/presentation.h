// The presentation of a table's values: as texts, as codes, or as the two
// combined. A variable's PRESTEXT says which; where the two fields of its
// values have to change places (operation 51), texts and codes are swapped,
// and a variable that has codes only gets its texts from a value set file
// first.
//
// The work is split in two so that a host dialogue can stop in between:
// plan_presentation decides per variable, next_value_set_choice finds a
// variable for which several value set files fit (the host picks one), and
// present makes the new table.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/table.h"

namespace vt {

// Option digits, one per variable in table order.
inline constexpr char present_texts = '1';
inline constexpr char present_codes = '2';
inline constexpr char present_both = '3';

struct presentation_plan {
    std::vector<int> prestext;       // per variable: its PRESTEXT when it is not swapped
    std::vector<std::size_t> swaps;  // the variables whose texts and codes change places
    std::vector<char> digit;         // per variable: its option digit ('0' when none)
};

// What each option digit asks of a variable:
//   '1' texts: PRESTEXT 1 or 2 becomes 1; 0 and 3 are swapped, and with
//       codes_required (the dialogue) so are 1 and 2 without codes, whose
//       texts are then looked up.
//   '2' codes: PRESTEXT 1 and 2 are swapped; 0 and 3 become 0.
//   '3' both:  with codes, PRESTEXT 1 and 2 become 2, 0 and 3 become 3.
//   other digits and variables beyond the options leave it alone.
presentation_plan plan_presentation(const table& t, const std::string& options, bool codes_required);

// The value set files chosen per variable position (the host's choice).
using value_set_choice = std::map<std::size_t, std::string>;

// The first swapped variable without codes whose DOMAIN more than one value
// set file of dir serves and that has no choice yet: its position, with
// its domain in `domain`; -1 when there is none.
int next_value_set_choice(const table& t, const presentation_plan& plan, const std::string& dir,
                          const value_set_choice& chosen, std::string& domain);

// Makes `out` from t (whose cells are in memory): the planned PRESTEXTs,
// the swaps (codes looked up in the chosen file, else in the first file of
// dir serving the variable), and for a swapped variable its PRESTEXT after
// the swap: 0 becomes 1; unless its codes were looked up, 1 becomes 0, 3
// becomes 1 and 2 becomes 0. The contents records follow swapped texts.
// set_used receives the last value set file used ("" when none). Returns 0,
// codes::op_presentation_failed (no new table, or a swap that would give
// two values of one variable the same text), or codes::no_memory.
int present(table& t, const presentation_plan& plan, const std::string& dir, const value_set_choice& chosen,
            table& out, std::string& set_used);

// The batch form: reads in_path with its cells, presents it as `options`
// says (several fitting value set files: the first), writes out_path.
// Returns 0 (or the data writer's result), 400, 84, the reader's code,
// 201/121 for cells that cannot be read, or 99. set_used as in present.
int ctvaluesweb(const char* in_path, const char* value_set_dir, const char* out_path, const char* options,
                std::string& set_used);

}  // namespace vt
