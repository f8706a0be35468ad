// Writing a table file again as a table file: the keyword part read and
// edited, the data section copied token by token.
#include "export/resave.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>

#include "core/cellfmt.h"
#include "core/codes.h"
#include "core/datasec.h"
#include "core/reader.h"
#include "core/writer.h"
#include "export/frame.h"
#include "platform/fsinfo.h"
#include "platform/message.h"
#include "tableops/title.h"

namespace vt {

namespace {

bool given(const char* s) { return s && *s; }

// Restores the cell-note code page whatever way the save ends.
struct cellnote_code_page {
    explicit cellnote_code_page(int ansi) { writer_state().cellnote_ansi = ansi != 0; }
    ~cellnote_code_page() { writer_state().cellnote_ansi = true; }
};

// The steps every re-save shares: read the keyword part, let `change` edit
// the table, write keywords and copied data; `result` maps the data
// writer's result to the function's. The output takes the place of an old
// file only when that gives 0: a copy that stopped halfway is not left
// behind as if it were the table. Returns the reader's code, resave_failed
// for a file problem (a full disk included), or the mapped result.
template <class Change, class Result>
int resave(const char* path, const char* path2, Change change, Result result) {
    if (!path || !path2) return codes::resave_failed;
    // Writing the output over the input would destroy the cells before
    // they are copied.
    if (plat::same_file(path, path2)) return codes::resave_failed;
    in_file in;
    table t = table_new();
    if (const int rc = read_keywords(path, in, t, codes::resave_failed); rc != 0) return rc;
    change(t);

    out_file out;
    if (!open_output(out, path2)) return codes::resave_failed;
    const int decimals = stored_decimals(t);
    std::int64_t cells = count_cells(t.vars);
    msave(t, out);
    const int drc = dsave(&in, out, t, cells, 1, decimals, dsave_row_length(t), 0,
                          writer_state().requested_keys_mode);
    if (const int rc = result(drc); rc != codes::ok) return rc;
    return out.close() ? codes::ok : codes::resave_failed;
}

// The data writer's results as savevt and savevtweb report them.
int map_savevt(int rc) {
    if (rc == codes::data_bad_key) return codes::data_bad_key;
    if (rc == codes::no_data_block || rc == codes::no_memory) return codes::no_memory;
    return codes::ok;
}

// ... and as VtReSave reports them.
int map_vtresave(int rc) {
    if (rc == codes::ok) return codes::ok;
    if (rc == codes::no_memory || rc == codes::no_data_block) return codes::resave_no_memory;
    if (rc == codes::data_input_ended) return codes::resave_input_ended;
    return codes::resave_data_fault;
}

}  // namespace

int VtReSave(const char* path, const char* path2, int ansi) {
    try {
        cellnote_code_page notes(ansi);
        writer_state().copy_keyed_verbatim = true;
        return resave(
            path, path2,
            [](table& t) { writer_state().requested_keys_mode = t.vars.empty() ? 0 : t.vars.front().keys_mode; },
            map_vtresave);
    } catch (const std::bad_alloc&) {
        return codes::resave_no_memory;
    }
}

int savevt(const char* path, const char* path2, int, const char*, const char* description, const char* subject,
           int set_subject, int ansi, int keys_mode, int keep_keys) {
    try {
        plat::trace("savevt()", "start");
        cellnote_code_page notes(ansi);
        writer_state().requested_keys_mode = keys_mode;
        const int rc = resave(
            path, path2,
            [&](table& t) {
                t.description.clear();
                if (description && std::string(description).size() > 2) t.description.assign(1, description);
                if (set_subject == 1 && given(subject)) t.subject_area = subject;
                if (keep_keys == 1 && !t.vars.empty() && t.vars.front().keys_mode == 1)
                    writer_state().requested_keys_mode = 1;
            },
            map_savevt);
        if (rc == codes::ok) plat::trace("savevt()", "slut");
        return rc;
    } catch (const std::bad_alloc&) {
        return codes::no_memory;
    }
}

int savevtweb(const char* path, const char* path2, const char* text_words, const char* description,
              const char* subject, const char* keys, const char* title_flag, const char* descdefault) {
    try {
        cellnote_code_page notes(1);
        writer_state().requested_keys_mode = given(keys) ? std::atoi(keys) : 0;
        writer_state().copy_keyed_verbatim = false;
        int rc = resave(path, path2, [&](table& t) {
            if (description && std::string(description).size() > 2) {
                t.description.assign(1, description);
                if (descdefault && std::string(descdefault) == "1") t.descriptiondefault = 1;
            }
            if (given(subject)) t.subject_area = subject;
            if (given(title_flag)) title_rebuild(t, title_width, title_words_from_list(text_words ? text_words : ""));
        }, map_savevt);
        return rc;
    } catch (const std::bad_alloc&) {
        return codes::no_memory;
    }
}

}  // namespace vt
