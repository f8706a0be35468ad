// The notes that go with a screen grid: the footnote file shown under the
// grid and the notes file that holds every note of the table.
#pragma once

#include <string>

#include "core/outfile.h"
#include "core/table.h"

namespace vt {

// The grid's note texts are cut to lines of this many characters
// (wrap_notes) before either file is written.
inline constexpr int footnote_width = 69;

// The footnote file: a CR LF; the table's NOTEX under the caption of key
// FootnoteX and its NOTE under key Footnote (section Notes of the label
// file, both "Footnote" by default), each caption only with notes under
// it; then for each variable with notes its name and ":", its NOTEX and
// NOTE, and for each of its values with notes the value text and ":", its
// VALUENOTEX and VALUENOTE. Every line ends in CR LF; the "#" that ends a
// line cut at a forced break is not written.
void write_footnotes(out_file& out, const table& t, const std::string& label_path);

// The notes file: the table's NOTEX and NOTE, an empty line, each
// variable's notes under its name and ":", each value's notes under the
// variable's name, ", ", the value text and ":", then the cell notes
// (CELLNOTEX, then CELLNOTE) and the contents information with captions
// from the label file.
void write_all_notes(out_file& out, const table& t, const std::string& label_path);

}  // namespace vt
