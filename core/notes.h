// Note texts of a table for the exports: cutting texts into lines, the
// simple markup of note texts, the data-note index files beside an export's
// output, and the contents-information and cell-note blocks of text outputs
// with their captions taken from a label file.
#pragma once

#include <string>

#include "core/table.h"

namespace vt {

// Joins the strings of `list` without a separator and cuts the result into
// pieces of at most `width` characters, taken from the front:
// - a "#" among the next `width` characters ends the piece just after the
//   first "#" (it marks a line break for the exports and stays in the piece);
// - otherwise the piece ends just after the last blank among them;
// - otherwise, when the last of them is "," or "." or the character after
//   them is ",", "." or a blank, the piece is those characters and one
//   following blank is dropped;
// - otherwise the piece is `width` - 1 characters and "-", and the next
//   piece starts with the character the hyphen stands in for.
// A rest of at most `width` characters is the last piece unless it holds a
// "#", where it is cut after the first "#" as well. A width below 2 counts
// as 2, the least width at which every piece makes progress. An empty input
// (or one of empty strings) gives an empty list.
text_list wrap_text(text_list list, int width);

}  // namespace vt
