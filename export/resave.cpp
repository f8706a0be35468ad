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
// the table, write keywords and copied data. Returns the reader's code,
// resave_failed for a file problem, or the data writer's raw result plus
// 10000 (so the caller can map it).
constexpr int data_result = 10000;

template <class Change>
int resave(const char* path, const char* path2, Change change) {
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
    int drc = dsave(&in, out, t, cells, 1, decimals, dsave_row_length(t), 0,
                    writer_state().requested_keys_mode);
    // A full disk is a data problem too: the file written is not the table.
    if (!out.close() && drc == 0) drc = codes::data_input_ended;
    return data_result + drc;
}

int map_savevt(int rc) {
    if (rc < data_result) return rc;
    rc -= data_result;
    if (rc == codes::data_bad_key) return codes::data_bad_key;
    if (rc == codes::no_data_block || rc == codes::no_memory) return codes::no_memory;
    return codes::ok;
}

}  // namespace

int VtReSave(const char* path, const char* path2, int ansi) {
    try {
        cellnote_code_page notes(ansi);
        writer_state().copy_keyed_verbatim = true;
        int rc = resave(path, path2, [](table& t) {
            writer_state().requested_keys_mode = t.vars.empty() ? 0 : t.vars.front().keys_mode;
        });
        if (rc < data_result) return rc;
        rc -= data_result;
        if (rc == codes::ok) return codes::ok;
        if (rc == codes::no_memory || rc == codes::no_data_block) return codes::resave_no_memory;
        if (rc == codes::data_input_ended) return codes::resave_input_ended;
        return codes::resave_data_fault;
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
        int rc = resave(path, path2, [&](table& t) {
            t.description.clear();
            if (description && std::string(description).size() > 2) t.description.assign(1, description);
            if (set_subject == 1 && given(subject)) t.subject_area = subject;
            if (keep_keys == 1 && !t.vars.empty() && t.vars.front().keys_mode == 1)
                writer_state().requested_keys_mode = 1;
        });
        if (rc == data_result) plat::trace("savevt()", "slut");
        return map_savevt(rc);
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
        });
        return map_savevt(rc);
    } catch (const std::bad_alloc&) {
        return codes::no_memory;
    }
}

}  // namespace vt
