// Split times: a time variable that runs over consecutive quarters or
// months becomes two variables, a year and the period inside the year. The
// cells keep their order (year outside, period inside reads the periods in
// their old order), so the table file is copied as text statement by
// statement and only the statements that name the time variable change:
// its name in STUB= or HEADING= becomes the two new names, its VALUES( (and
// on request its CODES() become the lists of the two new variables, its
// PRECISION( statements and every CELLNOTE( are left out. The data section
// is copied byte for byte. The written file is read back with the table
// reader, whose code is the result.
#pragma once

#include <string>
#include <vector>

namespace vt {

struct split_settings {
    bool quarters = true;          // quarters (4 periods a year), else months (12)
    std::string variable;          // the time variable to split
    std::string periods;           // its number of values, as given
    std::string first_year;        // the year of the first period, as given
    std::string year_text;         // name of the new year variable
    std::string period_text;       // name of the new period variable
    std::vector<std::string> period_values;  // the 4 or 12 period texts
    bool replace_codes = false;    // CODES( of the time variable becomes the codes of the new variables
};

// The quoted, comma-separated years of a split of `periods` periods from
// `first_year`: the first year, then one more for every whole year the
// periods go beyond it, at most 11 years in all.
std::string split_year_list(int first_year, int periods, bool quarters);

// The quoted, comma-separated texts.
std::string quoted_list(const std::vector<std::string>& texts);

// Splits the time variable of in_path into out_path as the settings say.
// The output replaces an old file only when the copy is complete; once
// complete it stays even when the reader then rejects it (its code tells
// the caller). Result: 0; 400 when the input, the output or the written
// output cannot be opened or written; 84 when out_path names the input (or
// `guarded`, the query it came from); the reader's code for the input or
// the written output; 85 when the input has no variable of that name in
// STUB= or HEADING= (nothing is written); 79 when the number of periods is
// no whole number of years (at most 11) or not the time variable's number
// of values, or the first year is no number (nothing is written).
int split_times(const std::string& in_path, const std::string& out_path, const split_settings& s,
                const std::string& guarded = {}) noexcept;

// The INI form: reads Infile, Outfile, Function, VariableName, NoOfPeriods,
// Firstyear and the texts of [Text] from the query file and splits. The
// same results; 400 when the query cannot be read.
int splittimes(const char* query_path) noexcept;

}  // namespace vt
