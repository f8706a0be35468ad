#include "export/resave.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>

#include "core/cellfmt.h"
#include "core/datasec.h"
#include "core/reader.h"
#include "core/writer.h"
#include "platform/fsinfo.h"
#include "platform/message.h"
#include "tableops/title.h"

namespace vt {

namespace {

constexpr int file_problem = 1;

bool given(const char* s) { return s && *s; }

// Restores the cell-note code page whatever way the save ends.
struct cellnote_code_page {
    explicit cellnote_code_page(int ansi) { writer_state().cellnote_ansi = ansi != 0; }
    ~cellnote_code_page() { writer_state().cellnote_ansi = true; }
};

// The steps every re-save shares: read the keyword part, let `change` edit
// the table, write keywords and copied data. Returns the reader's code, 1
// for a file problem, or the data writer's raw result plus 10000 (so the
// caller can map it).
constexpr int data_result = 10000;

template <class Change>
int resave(const char* path, const char* path2, Change change) {
    if (!path || !path2) return file_problem;
    in_file in;
    if (!in.open(path)) return file_problem;
    // Writing the output over the input would destroy the cells before
    // they are copied.
    if (plat::same_file(path, path2)) return file_problem;
    table t = table_new();
    int rc = metain(in, t);
    if (rc != 0) return rc;
    change(t);

    out_file out;
    if (!out.open(path2)) return file_problem;
    const int decimals = stored_decimals(t);
    std::int64_t cells = count_cells(t.vars);
    std::int64_t ncols = 1;
    for (std::size_t i = t.stub_count(); i < t.vars.size(); ++i) ncols *= t.vars[i].value_count;
    msave(t, out);
    int drc = dsave(&in, out, t, cells, 1, decimals, static_cast<int>(ncols > 1 << 30 ? 1 << 30 : ncols), 0,
                    writer_state().requested_keys_mode);
    // A full disk is a data problem too: the file written is not the table.
    if (!out.close() && drc == 0) drc = 100;
    return data_result + drc;
}

int map_savevt(int rc) {
    if (rc < data_result) return rc;
    rc -= data_result;
    if (rc == 121) return 121;
    if (rc == 201 || rc == 200) return 200;
    return 0;
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
        if (rc == 0) return 0;
        if (rc == 200 || rc == 201) return 5;
        if (rc == 100) return 7;
        return 6;
    } catch (const std::bad_alloc&) {
        return 5;
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
        return 200;
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
        return 200;
    }
}

}  // namespace vt
