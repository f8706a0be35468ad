// The batch functions: one row per function, saying under which names the
// two query forms know it, how each form reads its settings into a job and
// which routine runs the job. The INI reader, the XML reader and the driver
// all work from this table, so a function is added, renamed or wired up in
// one place (see "Adding a function" in the README).
#pragma once

#include <span>
#include <string_view>

#include "batch/job.h"

namespace vt::batch {

// A routine runs one job and returns the function's result: 0 or a negative
// value for success, a positive error code otherwise. It reads only the
// fields of the job its function uses.
using routine = int (*)(const job&);

// Read access to an INI query (batch/ini_keys.h) and the settings an XML
// query has gathered up to the end of a step (batch/xml_fill.h).
class ini_keys;
struct xml_settings;
struct xml_lists;

// Reads the function's own keys of an INI query into the job, in the order
// that decides which missing key is reported. 0, or the driver's code that
// ends the job (the calculation checks).
using ini_reader = int (*)(const ini_keys&, job&);

// Turns what an XML step gave into the job's fields of the function.
using xml_filler = void (*)(const xml_settings&, const xml_lists&, job&);

// When the INI reader comes to the function's keys. The order matters: the
// conversions are looked for before [Texts] is read, the operations after
// it, and the selection functions only after the [Var1].. lists.
enum class ini_stage {
    none,         // no INI form: the name is unknown there
    conversion,   // before [Texts]
    operation,    // after [Texts]
    selection,    // after [Texts] and the lists; NoOfVar must be given (705)
    calculation,  // after [Texts] and the lists; NoOfVar may be 0
};

// What an XML step reads beside its plain elements.
enum class xml_kind {
    none,         // no XML form
    plain,        // only the elements of the row's list
    selection,    // reads the input table; variable blocks 1..noofvar
    aggregation,  // as selection, with aggregation names in the blocks
    calculation,  // reads the input table; variable blocks by name, any order
    valueorder,   // a variable and the new order of its values
    chgtexts,     // the new variable texts
    vardelete,    // the value list of <remove> or <sum>
    split,        // the split settings, carried to the routine in the job
};

struct function_row {
    // The function's name: the INI query's Function, the routine's name in
    // a job built from an XML step, and the name the README lists.
    const char* name;

    // INI form.
    ini_stage ini;
    ini_reader read_ini;  // nullptr: no keys of its own

    // XML form. `xml_names` are the step's function names, separated by
    // blanks; they compare in any letter case unless `xml_exact_case` is
    // set, in which case a step in another spelling is read but not run.
    // With `xml_type_from_name` the n-th name asks for XML type n.
    xml_kind xml;
    const char* xml_names;
    const char* xml_elements;  // the plain elements the step reads, separated by blanks
    xml_filler fill_xml;       // nullptr: nothing beyond the common settings
    bool xml_exact_case;
    bool xml_type_from_name;

    // The routine; nullptr while the function is not available: the job
    // then runs nothing and writes nothing, as for an unknown name.
    routine run;
};

// Every row, in the order of the README's function table.
std::span<const function_row> functions() noexcept;

// The row whose name is `name` (any case); nullptr when there is none.
const function_row* find_function(std::string_view name) noexcept;

// The row of an INI query's Function (any case) at `stage`; nullptr when no
// function of that stage has the name.
const function_row* find_ini_function(std::string_view name, ini_stage stage) noexcept;

// What an XML step's function name stands for.
struct xml_function {
    const function_row* row = nullptr;  // nullptr: no row has the name
    int xml_type = 0;                   // the XML type the name asks for, 0 for none
    bool runs = false;                  // false when the name must be written exactly and is not
};

// Looks an XML step's function name up (any case).
xml_function find_xml_function(std::string_view name) noexcept;

// True when `word` is one of the blank-separated words of `list`.
bool in_word_list(std::string_view list, std::string_view word) noexcept;

// The routine of the function named `name` (any case); nullptr when the
// name is unknown or the function is not available yet.
routine find_routine(std::string_view name) noexcept;

// True when `name` is a function name of either query form.
bool known_function(std::string_view name) noexcept;

}  // namespace vt::batch
