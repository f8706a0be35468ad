// The one dialogue state of the process and its start and release.
#include "dialogs/state.h"

#include "core/codes.h"
#include "core/datasec.h"
#include "core/reader.h"
#include "platform/fsinfo.h"
#include "platform/ini.h"

namespace vt::dialogs {

held_state& current() noexcept {
    static held_state s;
    return s;
}

void release() noexcept {
    held_state& s = current();
    s.file.close();
    s.t = table_new();
    s.extra.reset();
    s.source_path.clear();
    s.label_path.clear();
    s.cells_read = false;
    s.owner = dialogue::none;
}

int begin(dialogue d, const char* in_path, bool with_cells) {
    release();
    if (!in_path || !*in_path) return codes::cannot_open;
    held_state& s = current();
    if (!s.file.open(in_path)) return codes::cannot_open;
    table t = table_new();
    int rc = metain(s.file, t);
    if (rc == 0 && with_cells) rc = read_data(t, s.file);
    if (rc != 0) {
        s.file.close();
        return rc;
    }
    s.t = std::move(t);
    s.source_path = in_path;
    s.owner = d;
    if (with_cells) {
        s.cells_read = true;
        s.file.close();
    }
    return 0;
}

bool holds(dialogue d) noexcept { return d != dialogue::none && current().owner == d; }

int load_cells() {
    held_state& s = current();
    if (s.cells_read) return 0;
    if (!s.file.is_open()) return codes::op_no_dialogue_table;
    if (const int rc = read_data(s.t, s.file); rc != 0) return rc;
    s.cells_read = true;
    s.file.close();
    return 0;
}

int check_output(const char* out_path) {
    if (!out_path || !*out_path) return codes::cannot_open;
    if (plat::overwrites_input(current().source_path, out_path)) return codes::op_same_file;
    return 0;
}

std::string message_file(const std::string& label_path) {
    if (label_path.size() < 3) return "MSG";
    return label_path.substr(0, label_path.size() - 3) + "MSG";
}

std::string message_text(const std::string& label_path, const char* section, const char* key,
                         const char* fallback) {
    return plat::ini_get_string(message_file(label_path), section, key, fallback, 256);
}

}  // namespace vt::dialogs
