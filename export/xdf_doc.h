// The parts of one statinfo document, shared by the files that write them
// (metadata, keyed data, CALS table). Not for use outside the export.
#pragma once

#include <string>
#include <string_view>

#include "core/table.h"
#include "export/markup.h"
#include "export/xmlbase.h"

namespace vt::xdf {

enum doc_type : int { keys_type = 1, xdf_type = 2, cals_type = 3 };

struct doc {
    markup_writer w;
    xml_source& s;
    const table& t;
    std::string lang;
    int rounding = 0;
    int type = 0;

    // <name xml:lang="lang">escaped text</name>
    void lang_element(std::string_view name, std::string_view text) { w.element(name, text, {{"xml:lang", lang}}); }
    // <name xml:lang="lang">strings, each escaped</name>
    void lang_joined(std::string_view name, const text_list& list, bool escaped = true);
    // <name>grp, the lang_joined element, </name>grp
    void group(std::string_view name, const text_list& list);
    bool is_contvariable(const variable& v) const noexcept {
        return t.contvariable && v.name && *v.name == *t.contvariable;
    }
};

// "var" + N (N counted from 1).
inline std::string var_id(std::size_t k) { return "var" + std::to_string(k + 1); }

// The contents record of the content `text`, or nullptr.
const continfo* contents_record(const table& t, std::string_view text) noexcept;

void write_statmeta(doc& d);
void write_tablemeta(doc& d);
void write_keyed_data(doc& d);
void write_cals(doc& d);

}  // namespace vt::xdf
