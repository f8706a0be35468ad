// Writing a table file again as a table file: the keyword part read and
// written anew (with an optional new description, subject area or title),
// the data section copied token by token from the input, never loaded.
#pragma once

namespace vt {

// ansi: 1 writes the cell notes in the ANSI code page, 0 in code page 850.
// The keys mode of the table's first variable is kept, and a keyed data
// section is copied unchanged. 0 written; 1 a file cannot be opened; the
// reader's code; 5, 7 or 6 when the data writer reports 200, 100 or
// another problem.
int VtReSave(const char* path, const char* path2, int ansi);

// description: longer than 2 characters replaces the description, which is
// dropped in any case. subject: the subject area when set_subject is 1.
// keys_mode: the keys mode asked for (keep_keys 1 keeps a table keyed by
// value texts so). 0 written (also for most data-writer problems); 1 a file
// cannot be opened; the reader's code; 121 for a bad key; 200 when memory
// runs out.
int savevt(const char* path, const char* path2, int ignored, const char* ignored_name,
           const char* description, const char* subject, int set_subject, int ansi, int keys_mode,
           int keep_keys);

// The batch program's re-save. text_words: "and;by;distr;unit" for the
// title rebuild; description longer than 2 characters replaces the
// description (descdefault "1" then makes it the default title); subject
// replaces the subject area when not empty; keys: the keys mode as
// decimal text; title_flag: when not empty the title is rebuilt. Results
// as savevt.
int savevtweb(const char* path, const char* path2, const char* text_words, const char* description,
              const char* subject, const char* keys, const char* title_flag, const char* descdefault);

}  // namespace vt
