// The table files of a folder with their titles, for a host that lets the
// user pick a table: only as much of each file is read as its title needs.
#pragma once

#include <string>
#include <vector>

namespace vt {

struct table_list_entry {
    std::string title;      // TITLE= or DESCRIPTION=, whichever comes first, strings joined
    std::string file_name;  // the name without the folder
};

// The process-wide listing, in the order of the folder search (names
// sorted by their bytes); new entries are appended.
std::vector<table_list_entry>& table_list() noexcept;

// Appends the table files (*.vt) of `folder` that have a title. 1 when the
// search ran; 400 when the folder holds no such file (the list is left as
// it was); 163 when a file's CHARSET= names neither ANSI nor OEM (the
// listing stops there); the reader's code for a malformed CHARSET= string.
// A file that cannot be opened is reported through the message hook
// ("Kan ej \xF6ppna vt-filen ut", caption "Fel") and passed over.
int list_tables(const std::string& folder);

// The path of a listed file: the folder as list_tables searched it, and
// the file name.
std::string listed_path(const std::string& folder, const std::string& file_name);

// Empties the listing.
void free_table_list() noexcept;

}  // namespace vt
