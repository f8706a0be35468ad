// The table file writer: the keyword part of a table, one small writer per
// statement or group of statements, called in the order of the file.
#include "core/writer.h"

#include <algorithm>
#include <string_view>

#include "core/notes.h"
#include "core/numfmt.h"
#include "platform/codepage.h"
#include "platform/message.h"

namespace vt {

writer_settings& writer_state() noexcept {
    static writer_settings settings;
    return settings;
}

namespace {

// A variable without a name is the sort pseudo-variable; it is written
// under the name the reader turns back into "no name".
const std::string& var_name(const variable& v) {
    static const std::string sort = "$$SORT";
    return v.name ? *v.name : sort;
}

// The writer walks the table once, statement by statement, in the order
// the reader and every other consumer of the files are used to.
class writer {
public:
    writer(table& t, out_file& f) : t_(t), f_(f) {}
    void run();

private:
    void text(std::string_view s) { write_quoted_text(f_, s); }
    void quoted(std::string_view s) {
        f_.put('"');
        text(s);
        f_.put('"');
    }
    void end() { f_.write(";\n"); }
    // KEY="x";
    void single(std::string_view key, const opt_string& s) {
        if (!s) return;
        f_.write(key);
        quoted(*s);
        end();
    }
    // The strings quoted, one per line, closed by ";".
    void list_body(const text_list& l) {
        for (std::size_t i = 0; i < l.size(); ++i) {
            if (i) f_.put('\n');
            quoted(l[i]);
        }
        end();
    }
    void list(std::string_view key, const text_list& l) {
        if (l.empty()) return;
        f_.write(key);
        list_body(l);
    }
    // KEY("name")=
    void var_key(std::string_view key, const variable& v) {
        f_.write(key);
        f_.write("(\"");
        text(var_name(v));
        f_.write("\")=");
    }
    // KEY("c")= for a contents value.
    void content_key(std::string_view key, const continfo& c) {
        f_.write(key);
        f_.write("(\"");
        text(*c.content);
        f_.write("\")=");
    }
    // Quoted items separated by ","; a line break follows the comma once
    // the running length (starting at `start`) passes 80 characters.
    template <class Items, class Text>
    void wrapped(const Items& items, std::size_t start, Text text) {
        std::size_t count = start;
        for (std::size_t i = 0; i < items.size(); ++i) {
            const std::string& s = text(items[i]);
            quoted(s);
            count += s.size();
            if (i + 1 < items.size()) {
                f_.put(',');
                if (count > 80) {
                    f_.put('\n');
                    count = 0;
                }
            }
        }
        end();
    }
    // KEY("name")=value; for every variable of the chain that `when` picks.
    template <class When, class Value>
    void var_pass(std::string_view key, When when, Value value) {
        for (const variable& v : t_.vars)
            if (when(v)) {
                var_key(key, v);
                value(v);
                end();
            }
    }
    // KEY("c")=value; for every claimed contents record that `when` picks.
    template <class When, class Value>
    void content_pass(std::string_view key, When when, Value value) {
        for (const continfo& c : t_.continfos)
            if (c.content && when(c)) {
                content_key(key, c);
                value(c);
                end();
            }
    }
    void cell_entries(std::string_view key, const text_list& texts,
                      cell_ref_list variable::*refs, bool by_code, bool wrap);

    // The statement writers, in the order run() calls them.
    void charset_and_version();
    void catalogue_entries();
    void decimals();
    void matrix_and_permissions();
    void subject_and_rights();
    void description_and_title();
    void units();
    void variable_names();
    void values();
    void time_values();
    void codes();
    void variable_attributes();
    void hierarchies();
    void precisions();
    void contents_items();
    void adjustments();
    void contents_units();
    void link();
    void contents_lists();
    void table_notes();
    void variable_notes();
    void value_notes();
    void compressed();
    void cell_notes();
    void data_symbols();
    void data_note_cells();
    void keys();

    table& t_;
    out_file& f_;
};

void writer::cell_entries(std::string_view key, const text_list& texts,
                          cell_ref_list variable::*refs, bool by_code, bool wrap) {
    const bool to_oem = wrap && !writer_state().cellnote_ansi;
    std::string buf;
    for (std::size_t k = 0; k < texts.size(); ++k) {
        f_.write(key);
        f_.put('(');
        for (std::size_t i = 0; i < t_.vars.size(); ++i) {
            const variable& v = t_.vars[i];
            const cell_ref_list& r = v.*refs;
            const cell_ref ref = k < r.size() ? r[k] : any_value;
            if (i) f_.write(", ");
            if (ref == any_value || ref < 0 || ref >= static_cast<int>(v.values.size())) {
                buf.assign(1, '*');
            } else {
                const value& val = v.values[static_cast<std::size_t>(ref)];
                buf = by_code && val.code ? *val.code : val.text;
            }
            if (to_oem) plat::ansi_to_oem(buf);
            quoted(buf);
        }
        f_.write(")=");
        if (!wrap) {
            quoted(texts[k]);
            end();
            continue;
        }
        text_list pieces = wrap_text(text_list{texts[k]}, 60);
        // An empty text still needs its quotes to read back as an entry.
        if (pieces.empty()) pieces.emplace_back();
        if (to_oem)
            for (std::string& p : pieces) plat::ansi_to_oem(p);
        list_body(pieces);
    }
}

// Last, right before the data: the KEYS statements say in which form the
// data section that follows is written. The requested keys mode of a
// re-save fills in the stub variables that have none; without one, no
// variable keeps a keys mode, so the data goes out in full form.
void writer::keys() {
    const int requested = writer_state().requested_keys_mode;
    for (std::size_t i = 0; i < t_.vars.size(); ++i) {
        variable& v = t_.vars[i];
        if (requested == 0)
            v.keys_mode = 0;
        else if (i < t_.stub_count() && v.keys_mode == 0)
            v.keys_mode = requested;
    }
    if (t_.vars.empty() || t_.vars.front().keys_mode == 0) return;
    for (std::size_t i = 0; i < t_.stub_count(); ++i) {
        const variable& v = t_.vars[i];
        var_key("KEYS", v);
        f_.write(v.keys_mode == 2 ? "CODES" : "VALUES");
        end();
    }
}

// The statements in the order every file of this system has them. The
// reader needs part of the order (names before the statements that refer
// to them, values before codes and notes); the rest is kept because stored
// files, and the tools that compare them byte for byte, have always had it.
void writer::run() {
    charset_and_version();
    catalogue_entries();
    decimals();
    matrix_and_permissions();
    subject_and_rights();
    description_and_title();
    units();
    variable_names();
    values();
    time_values();
    codes();
    variable_attributes();
    precisions();
    contents_items();
    adjustments();
    contents_units();
    link();
    contents_lists();
    table_notes();
    variable_notes();
    value_notes();
    compressed();
    cell_notes();
    data_symbols();
    data_note_cells();
    keys();
}

// First, so that the reader knows how the strings after it are coded. The
// version is always the one this writer writes, not the one that was read.
void writer::charset_and_version() {
    f_.write("CHARSET=\"ANSI\";\n");
    f_.write("VELT-VERSION=\"2006\";\n");
}

// Facts about the file rather than its figures (code page, language,
// dates, where it is published) and the default graph: at the top, where
// files have always had them.
void writer::catalogue_entries() {
    single("CODEPAGE=", t_.codepage);
    single("LANGUAGE=", t_.language);
    single("CREATION-DATE=", t_.creation_date);
    single("NEXT-UPDATE=", t_.next_update);
    single("VT-SERVER=", t_.vt_server);
    single("DIRECTORY-PATH=", t_.directory_path);
    single("UPDATE-FREQUENCY=", t_.update_frequency);
    single("TABLEID=", t_.tableid);
    single("SYNONYMS=", t_.synonyms);
    if (t_.default_graph != 0) {
        f_.write("DEFAULT-GRAPH=");
        f_.write_int(t_.default_graph);
        end();
    }
}

// How the figures are stored and shown, together: DECIMALS is mandatory,
// SHOWDECIMALS may not exceed it.
void writer::decimals() {
    f_.write("DECIMALS=");
    f_.write_int(t_.decimals);
    end();
    // The reader takes at most 6 shown decimals and flags anything more as
    // a fault; without the statement it shows DECIMALS, which covers the
    // tables that show all their 7 to 15 decimals.
    if (t_.showdecimals <= max_shown_decimals || t_.showdecimals != t_.decimals) {
        f_.write("SHOWDECIMALS=");
        f_.write_int(std::min(t_.showdecimals, max_shown_decimals));
        end();
    }
    if (t_.rounding != -1) {
        f_.write("ROUNDING=");
        f_.write_int(t_.rounding);
        end();
    }
}

// The matrix name, then what a user may do with the table.
void writer::matrix_and_permissions() {
    f_.write("MATRIX=");
    quoted(t_.matrix.value_or(""));
    end();
    if (t_.aggregallowed == 0) f_.write("AGGREGALLOWED=NO;\n");
    if (t_.autopen == 1) f_.write("AUTOPEN=YES;\n");
}

// The subject is mandatory and always written, empty when the table has
// none; COPYRIGHT is left out when it was never given, so that it stays
// "not given" after a read.
void writer::subject_and_rights() {
    f_.write("SUBJECT-AREA=");
    quoted(t_.subject_area.value_or(""));
    end();
    f_.write("SUBJECT-CODE=");
    quoted(t_.subject_code.value_or(""));
    end();
    single("CONFIDENTIAL=", t_.confidential);
    if (t_.copyright == 1) f_.write("COPYRIGHT=YES;\n");
    if (t_.copyright == 0) f_.write("COPYRIGHT=NO;\n");
}

// DESCRIPTIONDEFAULT=YES counts only after a DESCRIPTION the reader has
// already read, so it comes after it. TITLE is mandatory: an empty one is
// written rather than none.
void writer::description_and_title() {
    list("DESCRIPTION=", t_.description);
    f_.write("TITLE=");
    if (t_.title.empty())
        f_.write("\"\";\n");
    else
        list_body(t_.title);
    single("CONTENTS=", t_.contents);
    if (t_.descriptiondefault == 1 && !t_.description.empty()) f_.write("DESCRIPTIONDEFAULT=YES;\n");
}

// UNITS is mandatory. A table without contents variable may hold its units
// in the first contents record (an operation put them there); those are
// the table's units.
void writer::units() {
    f_.write("UNITS=");
    if (!t_.contvariable && t_.continfos.front().units)
        quoted(*t_.continfos.front().units);
    else
        quoted(t_.units.value_or(""));
    end();
}

// The variable names come before every statement that refers to a
// variable, and CONTVARIABLE names one of them, so it follows.
void writer::variable_names() {
    auto names = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            if (i > from) f_.put(',');
            quoted(var_name(t_.vars[i]));
        }
        end();
    };
    if (t_.stub_count() > 0) {
        f_.write("STUB=");
        names(0, t_.stub_count());
    }
    if (t_.has_heading()) {
        f_.write("HEADING=");
        names(t_.stub_count(), t_.vars.size());
    }
    single("CONTVARIABLE=", t_.contvariable);
}

// The values of every variable, before anything that names a value.
void writer::values() {
    for (const variable& v : t_.vars) {
        var_key("VALUES", v);
        wrapped(v.values, var_name(v).size(), [](const value& x) -> const std::string& { return x.text; });
    }
}

// After VALUES, so the reader checks the time codes against the values
// instead of making values from them. A new TLIST( group starts where the
// scale changes.
void writer::time_values() {
    if (t_.timeval.empty()) return;
    const variable* tv = nullptr;
    for (const variable& v : t_.vars)
        if (v.is_time == 1 && !tv) tv = &v;
    if (!tv) return;
    var_key("TIMEVAL", *tv);
    std::size_t count = var_name(*tv).size();
    std::string scale;
    for (std::size_t i = 0; i < t_.timeval.size(); ++i) {
        const timeval_entry& e = t_.timeval[i];
        if (i == 0 || e.scale != scale) {
            scale = e.scale;
            f_.write("TLIST(");
            f_.write(scale);
            f_.write("),");
        }
        quoted(e.code);
        count += e.code.size();
        if (i + 1 < t_.timeval.size()) {
            f_.put(',');
            if (count > 80) {
                f_.put('\n');
                count = 0;
            }
        }
    }
    end();
}

// Codes are given in value order, so they follow the values. A value
// without a code is written with its text, which keeps the positions.
void writer::codes() {
    for (const variable& v : t_.vars) {
        bool any = false;
        for (const value& x : v.values) any = any || (x.code && !x.code->empty());
        if (!any) continue;
        var_key("CODES", v);
        wrapped(v.values, var_name(v).size(),
                [](const value& x) -> const std::string& { return x.code ? *x.code : x.text; });
    }
}

// The presentation of each variable, each family in its own pass over the
// chain. ELIMINATION names a value by its text, so it comes after VALUES.
void writer::variable_attributes() {
    auto yes = [&](const variable&) { f_.write("YES"); };
    var_pass("DOUBLECOLUMN", [](const variable& v) { return v.doublecolumn == 1; }, yes);
    var_pass("PRESTEXT", [](const variable& v) { return v.prestext != 1; },
             [&](const variable& v) { f_.write_int(v.prestext); });
    var_pass("DOMAIN", [](const variable& v) { return v.domain && !v.grouping; },
             [&](const variable& v) { quoted(*v.domain); });
    var_pass("VARIABLE-TYPE", [](const variable& v) { return v.variable_type.has_value(); },
             [&](const variable& v) { quoted(*v.variable_type); });
    hierarchies();
    var_pass("MAP", [](const variable& v) { return v.map.has_value(); }, [&](const variable& v) { quoted(*v.map); });
    for (const variable& v : t_.vars)
        for (const partition& p : v.partitions) {
            var_key("PARTITIONED", v);
            quoted(p.text);
            f_.put(',');
            f_.write_int(p.start);
            if (p.length != 0) {
                f_.put(',');
                f_.write_int(p.length);
            }
            end();
        }
    for (const variable& v : t_.vars) {
        if (v.elimination_value >= 0 && v.elimination_value < static_cast<int>(v.values.size())) {
            var_key("ELIMINATION", v);
            quoted(v.values[static_cast<std::size_t>(v.elimination_value)].text);
            end();
        }
        if (v.elimination == 1) {
            var_key("ELIMINATION", v);
            f_.write("YES;\n");
        }
    }
}

// Only variables that have a hierarchy get these statements; the number of
// open levels is written for each of them, the rest when given.
void writer::hierarchies() {
    var_pass("HIERARCHYLEVELSOPEN", [](const variable& v) { return v.has_hierarchy == 1; },
             [&](const variable& v) { f_.write_int(v.hierarchylevelsopen); });
    var_pass("HIERARCHYLEVELS", [](const variable& v) { return v.has_hierarchy == 1 && v.hierarchylevels > 0; },
             [&](const variable& v) { f_.write_int(v.hierarchylevels); });
    var_pass("HIERARCHYNAMES", [](const variable& v) { return v.has_hierarchy == 1 && !v.hierarchynames.empty(); },
             [&](const variable& v) {
                 for (std::size_t i = 0; i < v.hierarchynames.size(); ++i) {
                     if (i) f_.put(',');
                     quoted(v.hierarchynames[i]);
                 }
             });
    // The first entry is the root; every later one is "parent":"child".
    var_pass("HIERARCHIES", [](const variable& v) { return v.has_hierarchy == 1 && !v.hierarchies.empty(); },
             [&](const variable& v) {
                 for (std::size_t i = 0; i < v.hierarchies.size(); ++i) {
                     if (i) {
                         f_.put(',');
                         quoted(v.hierarchies[i].parent);
                         f_.put(':');
                     }
                     quoted(v.hierarchies[i].child);
                 }
             });
}

// Only precisions above what the table shows anyway are worth a statement.
void writer::precisions() {
    for (const variable& v : t_.vars)
        for (const value& x : v.values)
            if (x.precision > t_.showdecimals) {
                f_.write("PRECISION(\"");
                text(var_name(v));
                f_.write("\",\"");
                text(x.text);
                f_.write("\")=");
                f_.write_int(x.precision);
                end();
            }
}

// The contents information comes after the values, since the per-content
// forms name a value of the contents variable. Without a contents variable
// the first record is the table's own.
void writer::contents_items() {
    if (t_.contvariable) {
        content_pass("LAST-UPDATED", [](const continfo& c) { return c.last_updated.has_value(); },
                     [&](const continfo& c) { quoted(*c.last_updated); });
        content_pass("STOCKFA", [](const continfo& c) { return c.stockfa != ' '; },
                     [&](const continfo& c) { quoted(std::string(1, c.stockfa)); });
        content_pass("CFPRICES", [](const continfo& c) { return c.cfprices != ' '; },
                     [&](const continfo& c) { quoted(std::string(1, c.cfprices)); });
        return;
    }
    const continfo& first = t_.continfos.front();
    single("LAST-UPDATED=", first.last_updated);
    if (first.stockfa != ' ') single("STOCKFA=", std::string(1, first.stockfa));
    if (first.cfprices != ' ') single("CFPRICES=", std::string(1, first.cfprices));
}

// DAYADJ, then SEASADJ. Per contents value: for every value, YES or NO,
// but only when at least one value says YES. The table's own: only when
// given.
void writer::adjustments() {
    auto adjust = [&](std::string_view key, int continfo::*field) {
        const continfo& first = t_.continfos.front();
        if (t_.contvariable) {
            bool any = false;
            for (const continfo& c : t_.continfos) any = any || c.*field == 1;
            if (!any) return;
            for (const continfo& c : t_.continfos) {
                if (!c.content) continue;
                content_key(key, c);
                f_.write(c.*field == 1 ? "YES;\n" : "NO;\n");
            }
        } else if (first.*field != -1) {
            f_.write(key);
            f_.write(first.*field == 1 ? "=YES;\n" : "=NO;\n");
        }
    };
    adjust("DAYADJ", &continfo::dayadj);
    adjust("SEASADJ", &continfo::seasadj);
}

// The units per contents value (the table's own went with UNITS= above).
void writer::contents_units() {
    if (t_.contvariable)
        content_pass("UNITS", [](const continfo& c) { return c.units.has_value(); },
                     [&](const continfo& c) { quoted(*c.units); });
}

void writer::link() { single("LINK=", t_.link); }

// CONTACT, REFPERIOD and BASEPERIOD: per contents value, or the table's own.
void writer::contents_lists() {
    auto content_lists = [&](std::string_view key, text_list continfo::*field) {
        const continfo& first = t_.continfos.front();
        if (t_.contvariable) {
            for (const continfo& c : t_.continfos)
                if (c.content && !(c.*field).empty()) {
                    content_key(key, c);
                    list_body(c.*field);
                }
        } else if (!(first.*field).empty()) {
            f_.write(key);
            f_.put('=');
            list_body(first.*field);
        }
    };
    content_lists("CONTACT", &continfo::contact);
    content_lists("REFPERIOD", &continfo::refperiod);
    content_lists("BASEPERIOD", &continfo::baseperiod);
}

// The table's texts and notes, each when given.
void writer::table_notes() {
    list("DATABASE=", t_.database);
    list("SOURCE=", t_.source);
    single("SURVEY=", t_.survey);
    list("INFOFILE=", t_.infofile);
    list("INFO=", t_.info);
    list("NOTEX=", t_.notex);
    list("NOTE=", t_.note);
}

// The notes of the variables, the NOTEX family first in a pass of its own.
void writer::variable_notes() {
    for (const variable& v : t_.vars)
        if (!v.notex.empty()) {
            var_key("NOTEX", v);
            list_body(v.notex);
        }
    for (const variable& v : t_.vars)
        if (!v.note.empty()) {
            var_key("NOTE", v);
            list_body(v.note);
        }
}

// The notes of the values, named by value text, VALUENOTEX first.
void writer::value_notes() {
    auto notes = [&](std::string_view key, note_list value::*field) {
        for (const variable& v : t_.vars)
            for (const value& x : v.values)
                if (!(x.*field).empty()) {
                    f_.write(key);
                    f_.write("(\"");
                    text(var_name(v));
                    f_.write("\",\"");
                    text(x.text);
                    f_.write("\")=");
                    list_body(x.*field);
                }
    };
    notes("VALUENOTEX", &value::valuenotex);
    notes("VALUENOTE", &value::valuenote);
}

void writer::compressed() {
    if (t_.compressed == 1) f_.write("COMPRESSED=YES;\n");
}

// Cell notes name one value of every variable, so they come after all
// values; CELLNOTEX first.
void writer::cell_notes() {
    cell_entries("CELLNOTEX", t_.cellnotex_texts, &variable::cellnotex_refs, false, true);
    cell_entries("CELLNOTE", t_.cellnote_texts, &variable::cellnote_refs, false, true);
}

// The texts of the data symbols, next to the data-note cells that mark
// cells with symbols of their own.
void writer::data_symbols() {
    static const char* const symbol_keys[6] = {"DATASYMBOL1=", "DATASYMBOL2=", "DATASYMBOL3=",
                                               "DATASYMBOL4=", "DATASYMBOL5=", "DATASYMBOL6="};
    for (int i = 0; i < 6; ++i) single(symbol_keys[i], t_.datasymbol[i]);
    single("DATASYMBOLSUM=", t_.datasymbolsum);
    single("DATASYMBOLNIL=", t_.datasymbolnil);
}

// Data-note cells name values by code (by text where there is none), and
// their symbol is written in one piece.
void writer::data_note_cells() {
    cell_entries("DATANOTECELL", t_.datanotecell_texts, &variable::datanotecell_refs, true, false);
    single("DATANOTESUM=", t_.datanotesum);
}

}  // namespace

void write_quoted_text(out_file& f, std::string_view s) {
    for (std::size_t q; (q = s.find('"')) != std::string_view::npos; s.remove_prefix(q + 1)) {
        f.write(s.substr(0, q));
        f.put('\'');
    }
    f.write(s);
}

void msave(table& t, out_file& f) {
    plat::trace("msave", "start");
    writer(t, f).run();
    plat::trace("msave", "slut");
}

}  // namespace vt
