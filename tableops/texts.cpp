// Changing the texts of a table.
#include "tableops/texts.h"

#include <algorithm>

#include "core/codes.h"
#include "core/datasec.h"
#include "core/guard.h"
#include "core/reader.h"
#include "tableops/calc.h"
#include "tableops/newtable.h"

namespace vt {

int check_unique_name(const std::vector<opt_string>& names, std::size_t self) {
    if (self >= names.size() || !names[self]) return 0;
    for (std::size_t k = 0; k < names.size(); ++k)
        if (k != self && names[k] && *names[k] == *names[self]) return codes::op_variable_exists;
    return 0;
}

int check_unique_text(const std::vector<std::string>& texts, std::size_t self) {
    if (self >= texts.size()) return 0;
    for (std::size_t k = 0; k < texts.size(); ++k)
        if (k != self && texts[k] == texts[self]) return codes::op_text_used;
    return 0;
}

std::vector<std::string> split_names(const std::string& names) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < names.size()) {
        const std::size_t semi = names.find(';', at);
        if (semi == std::string::npos) {
            out.push_back(names.substr(at));
            break;
        }
        out.push_back(names.substr(at, semi - at));
        at = semi + 1;
    }
    return out;
}

int change_names(table& t, const std::string& contents, const std::string& units,
                 const std::vector<std::string>& names, bool named_only) {
    // Contents are mandatory in a table file and neither may hold a quote,
    // which would end its string there.
    if (const int rc = check_new_text(contents); rc != 0) return rc;
    if (units.find('"') != std::string::npos) return codes::op_quote_in_text;

    // The names after the edit, checked as a whole before anything changes.
    std::vector<opt_string> after;
    after.reserve(t.vars.size());
    for (const variable& v : t.vars) after.push_back(v.name);
    std::size_t next = 0;
    for (std::size_t k = 0; k < t.vars.size(); ++k) {
        if (named_only && !t.vars[k].name) continue;
        const std::size_t item = named_only ? next++ : k;
        if (!t.vars[k].name) continue;  // the dialogue shows the unit word for it
        const std::string name = item < names.size() ? names[item] : std::string();
        if (const int rc = check_new_text(name); rc != 0) return rc;
        after[k] = name;
    }
    for (std::size_t k = 0; k < t.vars.size(); ++k)
        if (after[k] != t.vars[k].name)
            if (const int rc = check_unique_name(after, k); rc != 0) return rc;

    t.contents = contents;
    if (t.units && *t.units != units) t.units = units;
    std::optional<std::size_t> contents_var;
    if (t.contvariable)
        for (std::size_t k = 0; k < t.vars.size() && !contents_var; ++k)
            if (t.vars[k].name == t.contvariable) contents_var = k;
    for (std::size_t k = 0; k < t.vars.size(); ++k) t.vars[k].name = after[k];
    if (contents_var) t.contvariable = t.vars[*contents_var].name;
    return 0;
}

int change_value_texts(table& t, std::size_t var, const std::vector<std::string>& texts) {
    if (var >= t.vars.size()) return codes::op_no_such_name;
    variable& v = t.vars[var];
    if (texts.size() != v.values.size()) return codes::op_bad_list;
    for (std::size_t p = 0; p < texts.size(); ++p) {
        if (const int rc = check_new_text(texts[p]); rc != 0) return rc;
        if (texts[p] != v.values[p].text)
            if (const int rc = check_unique_text(texts, p); rc != 0) return rc;
    }
    // Each record follows the value it described, so texts may also change
    // places between values.
    if (t.contvariable && v.name == t.contvariable)
        for (continfo& c : t.continfos)
            for (std::size_t p = 0; c.content && p < texts.size(); ++p)
                if (*c.content == v.values[p].text) {
                    c.content = texts[p];
                    break;
                }
    int longest = 0;
    for (std::size_t p = 0; p < texts.size(); ++p) {
        value& val = v.values[p];
        val.text = texts[p];
        longest = std::max(longest, static_cast<int>(val.text.size()));
    }
    v.max_text_len = longest;
    return 0;
}

int set_contents_or_description(table& t, const std::string& text, int mode) {
    if (mode < 0 || mode > 2) return codes::op_bad_list;
    if (const int rc = check_new_text(text); rc != 0) return rc;
    if (mode == 0) {
        t.contents = text;
        return 0;
    }
    t.description = text_list{text};
    if (mode == 2) t.descriptiondefault = 1;
    return 0;
}

int read_for_edit(const char* in_path, const char* out_path, table& t) {
    in_file in;
    if (const int rc = open_source(in_path, out_path, in); rc != 0) return rc;
    t = table_new();
    if (const int rc = metain(in, t); rc != 0) return rc;
    if (const int rc = read_data(t, in); rc != 0) return rc;
    // The cells are in memory now; the table is written in full form.
    for (variable& v : t.vars) v.keys_mode = 0;
    return 0;
}

namespace {

// The batch frame of every text edit: read, edit, new title, write.
template <class Edit>
int edit_table_file(const char* in_path, const char* out_path, const title_words& words, Edit edit) {
    return guard([&] {
        table t;
        if (const int rc = read_for_edit(in_path, out_path, t); rc != 0) return rc;
        if (const int rc = edit(t); rc != 0) return rc;
        title_rebuild(t, title_width, words);
        return write_new_table(t, out_path, 0);
    });
}

}  // namespace

int chgtxtweb(const char* in_path, const char* out_path, const char* names, const char* contents,
              const char* units, const title_words& words) {
    return edit_table_file(in_path, out_path, words, [&](table& t) {
        return change_names(t, contents ? contents : "", units ? units : "", split_names(names ? names : ""),
                            true);
    });
}

int chgtxtcontdescr(const char* in_path, const char* out_path, const char* text, const title_words& words,
                    int mode) {
    return edit_table_file(in_path, out_path, words, [&](table& t) {
        return set_contents_or_description(t, text ? text : "", mode);
    });
}

int chgtxtcontents_core(const char* in_path, const char* out_path, const char* addition,
                        const title_words& words) {
    return edit_table_file(in_path, out_path, words, [&](table& t) {
        const std::string added = addition ? addition : "";
        if (added.find('"') != std::string::npos) return codes::op_quote_in_text;
        t.contents = t.contents.value_or("") + ", " + added + ",";
        return 0;
    });
}

}  // namespace vt
