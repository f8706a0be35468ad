// The footnote file and the notes file of the screen grid.
#include "dialogs/grid_notes.h"

#include <algorithm>
#include <string_view>

#include "core/notes.h"
#include "platform/ini.h"

namespace vt {

namespace {

constexpr std::string_view crlf = "\r\n";
// Captions of the label file keep at most 59 characters, the name of the
// variable without a name at most 255.
constexpr std::size_t caption_buffer = 60;
constexpr std::size_t sort_name_buffer = 256;

void line(out_file& out, std::string_view s) {
    if (!s.empty() && s.back() == '#') s.remove_suffix(1);
    out.write(s);
    out.write(crlf);
}

void lines(out_file& out, const text_list& l) {
    for (const std::string& s : l) line(out, s);
}

bool value_has_notes(const value& v) noexcept { return !v.valuenotex.empty() || !v.valuenote.empty(); }

bool variable_has_notes(const variable& v) noexcept {
    return !v.notex.empty() || !v.note.empty() || std::any_of(v.values.begin(), v.values.end(), value_has_notes);
}

std::string variable_name(const variable& v, const plat::ini_file& labels) {
    return v.name ? *v.name : labels.get_string("Global", "$$SORT", "$$SORT", sort_name_buffer);
}

plat::ini_file load_labels(const std::string& label_path) {
    plat::ini_file labels;
    if (!label_path.empty()) labels.load(label_path);
    return labels;
}

}  // namespace

void write_footnotes(out_file& out, const table& t, const std::string& label_path) {
    const plat::ini_file labels = load_labels(label_path);
    out.write(crlf);
    if (!t.notex.empty()) {
        line(out, labels.get_string("Notes", "FootnoteX", "Footnote", caption_buffer));
        lines(out, t.notex);
    }
    if (!t.note.empty()) {
        line(out, labels.get_string("Notes", "Footnote", "Footnote", caption_buffer));
        lines(out, t.note);
    }
    for (const variable& v : t.vars) {
        if (!variable_has_notes(v)) continue;
        line(out, variable_name(v, labels) + ":");
        lines(out, v.notex);
        lines(out, v.note);
        for (const value& val : v.values) {
            if (!value_has_notes(val)) continue;
            line(out, val.text + ":");
            lines(out, val.valuenotex);
            lines(out, val.valuenote);
        }
    }
}

void write_all_notes(out_file& out, const table& t, const std::string& label_path) {
    const plat::ini_file labels = load_labels(label_path);
    lines(out, t.notex);
    lines(out, t.note);
    out.write(crlf);
    for (const variable& v : t.vars) {
        if (!variable_has_notes(v)) continue;
        const std::string name = variable_name(v, labels);
        if (!v.notex.empty() || !v.note.empty()) {
            line(out, name + ":");
            lines(out, v.notex);
            lines(out, v.note);
        }
        for (const value& val : v.values) {
            if (!value_has_notes(val)) continue;
            line(out, name + ", " + val.text + ":");
            lines(out, val.valuenotex);
            lines(out, val.valuenote);
        }
    }
    write_cell_notes(t, out, footnote_width, 0, label_path, cellnotex_list);
    write_cell_notes(t, out, footnote_width, 0, label_path, cellnote_list);
    out.write(crlf);
    write_contents_info(out, t, footnote_width, 0, label_path);
}

}  // namespace vt
