// The TSD series export: a table whose only heading variable is the time
// variable as a text file of time series, one per stub row and time scale.
#pragma once

#include <string>

namespace vt {

// Writes the table file `path` as series into `path2`: per series a name
// line (16-character name, contents and the stub values), a line with the
// source, the first and last period, the scale letter and the decimals,
// then the values in "%e" form, five per line. Series names are the matrix
// name and a running number, or come from the INI file `series_file` in
// the directory of `path` (sections series1, series2, ... with vtfile,
// TSDSelection and SeriesName) when that name has more than one character;
// a series the file does not name is then written under the generated name
// only when `keep_unnamed` is not 0 (or the table has no stub variables),
// else left out. `oem` 1 writes the texts in code page 850.
//
// 0; 400 the input or the output cannot be opened or written, or the
// output would replace the input; 600 no TIMEVAL; 602 no heading variable
// or it is not the time variable; 601 more than one heading variable; 603 a
// quarter code shorter than 5 characters, or no period; 604 more than two
// time scales (nothing written for any of these); the reader's code.
// Never throws.
int arekonv(const std::string& path, const std::string& path2, int oem, const std::string& series_file,
            int keep_unnamed) noexcept;

}  // namespace vt
