#include "core/listing.h"

#include "core/codes.h"

#include "core/infile.h"
#include "core/reader.h"
#include "platform/fsinfo.h"
#include "platform/message.h"

namespace vt {

std::vector<table_list_entry>& table_list() noexcept {
    static std::vector<table_list_entry> list;
    return list;
}

void free_table_list() noexcept {
    table_list().clear();
    table_list().shrink_to_fit();
}

namespace {

constexpr int mb_ok = 0;

void skip_statement(in_file& f) {
    for (int c = f.get(); c != in_file::eof && c != ';' && c != '\n'; c = f.get()) {
    }
}

// Reads one file up to its title: 0 (with `found` telling whether a
// TITLE= or DESCRIPTION= came before DATA=), or the code that ends the
// listing.
int read_title(in_file& f, std::string& title, bool& found) {
    found = false;
    for (;;) {
        switch (read_keyword(f)) {
        case kw_title:
        case kw_description:
            read_joined_strings(f, title);  // whatever ends it early, the title is what came before
            found = true;
            return 0;
        case kw_charset: {
            opt_string cs;
            const int r = read_single_string(f, 9, cs);
            if (r != q_last) return r;
            const char first = cs && !cs->empty() ? (*cs)[0] : '\0';
            if (first == 'O' || first == 'o')
                reader_state().oem_input = true;
            else if (first == 'A' || first == 'a')
                reader_state().oem_input = false;
            else
                return codes::reader_bad_charset;
            break;
        }
        case kw_data:
        case kw_eof:
            return 0;
        case kw_none:  // a tab, quote or ";" between statements, already taken
            break;
        default:
            skip_statement(f);
            break;
        }
    }
}

}  // namespace

std::string listed_path(const std::string& folder, const std::string& file_name) {
    const std::string dir = plat::native_path(folder);
    return dir.empty() ? file_name : dir + (dir.back() == '/' ? "" : "/") + file_name;
}

int list_tables(const std::string& folder) {
    std::string dir = plat::native_path(folder);
    const std::vector<std::string> names = plat::list_files(dir.empty() ? "." : dir, "*.vt");
    if (names.empty()) return codes::cannot_open;  // no table files (or no such folder)
    for (const std::string& name : names) {
        reader_state().oem_input = true;
        in_file f;
        const std::string path = listed_path(dir, name);
        if (!f.open(path)) {
            plat::message_box("Kan ej \xF6ppna vt-filen ut", "Fel", mb_ok);
            continue;
        }
        std::string title;
        bool found = false;
        const int rc = read_title(f, title, found);
        if (rc != 0) return rc;
        if (found) table_list().push_back({std::move(title), name});
    }
    return 1;
}

}  // namespace vt
