// The statinfo export: statistical metadata, table metadata and the keyed
// data array with its notes.
//
//     <statmeta><variable variableId="var1"> name, notes, classification
//     <tablemeta tableId="meta"> table notes, units
//     <statdata><statkeys><array>         (or <xdf>)
//     <fieldAxis>  <axis axisId="axisvar1" ...> values  <read>
//     <notes> locations and their notes
//     <data> cell list or CDATA block </data>
#include <string>

#include "core/notes.h"
#include "export/xdf_doc.h"

namespace vt::xdf {

namespace {

constexpr int cellnote_width = 60;

void variable_name(doc& d, std::string_view id, std::string_view name) {
    d.w.start_tag("variable", {{"variableId", id}});
    d.w.line("<variablenamegrp>");
    d.lang_element("variablename", name);
    d.w.line("</variablenamegrp>");
}

// One note with its forcedNote flag inside a description group.
void forced(doc& d, std::string_view name, const text_list& list, bool yes) {
    if (list.empty()) return;
    d.w.open_tag(name, {{"xml:lang", d.lang}, {"forcedNote", yes ? "yes" : "no"}});
    write_joined(d.w.out(), list, true);
    d.w.close_tag(name);
    d.w.end_line();
}

void concept_definition(doc& d, const text_list& notex, const text_list& note) {
    if (notex.empty() && note.empty()) return;
    d.w.line("<conceptdefinition>");
    d.w.line("<conceptdefdescgrp>");
    forced(d, "conceptdefdesc", notex, true);
    forced(d, "conceptdefdesc", note, false);
    d.w.line("</conceptdefdescgrp>");
    d.w.line("</conceptdefinition>");
}

void contents_variables(doc& d, std::size_t n, const variable& v) {
    d.w.line("</variable>");
    std::size_t j = 0;
    for (const continfo& ci : d.t.continfos) {
        ++j;
        if (!ci.content) continue;
        // The key is a value text of the contents variable, escaped as those are.
        variable_name(d, var_id(n) + "_" + std::to_string(j), *ci.content);
        for (const value& val : v.values)
            if (val.text == *ci.content) {
                concept_definition(d, val.valuenotex, val.valuenote);
                break;
            }
        if (ci.units) {
            d.w.line("<measurement>");
            d.w.line("<measunitgrp>");
            d.lang_element("measunit", *ci.units);
            d.w.line("</measunitgrp>");
            d.w.line("</measurement>");
        }
        d.w.line("</variable>");
    }
}

void class_value(doc& d, const value& val, const text_list& note, bool mandatory) {
    d.w.line("<classvalue>");
    d.w.line("<classvaluenamegrp>");
    d.lang_element("classvaluename", val.text);
    d.w.line("</classvaluenamegrp>");
    d.w.line("<classvaluedescgrp>");
    forced(d, "classvaluedesc", note, mandatory);
    d.w.line("</classvaluedescgrp>");
    d.w.line("</classvalue>");
}

void classification(doc& d, const variable& v) {
    bool any_note = false;
    for (const value& val : v.values) any_note = any_note || !val.valuenotex.empty() || !val.valuenote.empty();
    if (!v.domain && !any_note) return;
    d.w.line("<classification>");
    if (v.domain) {
        d.w.line("<refidgrp>");
        d.lang_element("refid", *v.domain);
        d.w.line("</refidgrp>");
    }
    if (any_note) {
        d.w.line("<classvalues>");
        for (const value& val : v.values) {
            if (!val.valuenotex.empty()) class_value(d, val, val.valuenotex, true);
            if (!val.valuenote.empty()) class_value(d, val, val.valuenote, false);
        }
        d.w.line("</classvalues>");
    }
    d.w.line("</classification>");
}

void figure(doc& d, const std::string& map) {
    d.w.line("<figuregrp>");
    d.w.start_tag("figure", {{"xml:lang", d.lang}});
    d.w.element("caption", map);
    d.w.raw("<graphic src=\"");
    d.w.text(map);
    d.w.line("\"/>");
    d.w.line("</figure>");
    d.w.line("</figuregrp>");
}

// The notes of one kind, each at its location: the position of the value
// of every variable it names, or "*".
void located_notes(doc& d, const text_list& texts, cell_ref_list variable::*refs, std::string_view group_attr,
                   std::string_view group_value, bool cell_note, bool& opened) {
    const table& t = d.t;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (!opened) {
            opened = true;
            d.w.line("<notes>");
            d.w.line("<locationOrder>");
            for (std::size_t n = 0; n < t.vars.size(); ++n)
                d.w.line("<index axisIdRef=\"axisvar" + std::to_string(n + 1) + "\" />");
            d.w.line("</locationOrder>");
        }
        d.w.raw("<location>");
        for (std::size_t n = 0; n < t.vars.size(); ++n) {
            const cell_ref r = note_ref(t.vars[n], refs, i);
            if (n > 0) d.w.raw(" ");
            d.w.raw(r >= 0 ? std::to_string(r + 1) + " " : std::string("* "));
        }
        d.w.raw("</location>");
        d.w.end_line();
        d.w.start_tag("notegrp", {{group_attr, group_value}});
        d.w.open_tag("note", {{"xml:lang", d.lang}});
        if (cell_note)
            for (const std::string& line : strip_markup(text_list{texts[i]}, cellnote_width)) d.w.text(line);
        else
            d.w.raw(texts[i]);
        d.w.close_tag("note");
        d.w.end_line();
        d.w.line("</notegrp>");
    }
}

void notes(doc& d) {
    const table& t = d.t;
    bool opened = false;
    located_notes(d, t.cellnotex_texts, &variable::cellnotex_refs, "forcedNote", "yes", true, opened);
    located_notes(d, t.cellnote_texts, &variable::cellnote_refs, "forcedNote", "no", true, opened);
    located_notes(d, t.datanotecell_texts, &variable::datanotecell_refs, "dataNote", "1", false, opened);
    if (opened) d.w.line("</notes>");
}

void axis(doc& d, std::size_t n) {
    const variable& v = d.t.vars[n];
    const std::string id = std::to_string(n + 1);
    const bool contents = d.is_contvariable(v);
    d.w.start_tag("axis", {{"axisId", "axisvar" + id}, {"procmetaIdRef", "vtvar" + id}, {"axisIdRef", "var" + id}});
    d.w.line("<name>");
    d.lang_element("textlang", name_or_sort(v));
    d.w.line("</name>");
    std::string codes;
    for (std::size_t i = 0; i < v.values.size(); ++i) {
        const std::string vi = std::to_string(i + 1);
        if (contents)
            d.w.start_tag("value", {{"valueId", "var" + id + "val" + vi},
                                    {"valueRef", "var" + id + "_" + vi},
                                    {"procmetaIdRef", "vtvar" + id + "vtval" + vi}});
        else
            d.w.start_tag("value", {{"valueId", "var" + id + "val" + vi}});
        d.lang_element("textlang", v.values[i].text);
        d.w.line("</value>");
        if (v.values[i].code) {
            if (i > 0) codes += ',';
            codes += *v.values[i].code;
        }
    }
    if (!codes.empty()) d.w.element("valueList", codes);
    d.w.line("</axis>");
}

cell_list_form keyed_cells(const table& t) {
    cell_list_form form;
    form.open = "<cell cellIdRefs=\"";
    form.close = "\">";
    form.quoted_symbols = false;
    for (std::size_t k = 0; k < t.vars.size(); ++k) {
        std::vector<std::string>& pieces = form.pieces.emplace_back();
        for (std::size_t i = 0; i < t.vars[k].values.size(); ++i)
            pieces.push_back((k > 0 ? " " : "") + var_id(k) + "val" + std::to_string(i + 1));
    }
    return form;
}

}  // namespace

void write_statmeta(doc& d) {
    const table& t = d.t;
    d.w.line("<statmeta>");
    for (std::size_t n = 0; n < t.vars.size(); ++n) {
        const variable& v = t.vars[n];
        variable_name(d, var_id(n), name_or_sort(v));
        if (d.is_contvariable(v)) {
            contents_variables(d, n, v);
            continue;
        }
        concept_definition(d, v.notex, v.note);
        classification(d, v);
        if (v.map) figure(d, *v.map);
        d.w.line("</variable>");
    }
    d.w.line("</statmeta>");
}

void write_tablemeta(doc& d) {
    const table& t = d.t;
    d.w.start_tag("tablemeta", {{"tableId", "meta"}});
    if (!t.notex.empty()) {
        d.w.line("<notegrp forcedNote=\"yes\">");
        d.lang_joined("note", t.notex);
        d.w.line("</notegrp>");
    }
    if (!t.note.empty()) {
        d.w.line("<notegrp forcedNote=\"no\">");
        d.lang_joined("note", t.note);
        d.w.line("</notegrp>");
    }
    if (!t.contvariable) {
        d.w.line("<tableunitsgrp>");
        d.lang_element("tableunits", t.units.value_or(""));
        d.w.line("</tableunitsgrp>");
    }
    d.w.line("</tablemeta>");
}

void write_keyed_data(doc& d) {
    const table& t = d.t;
    const std::string_view kind = d.type == keys_type ? "statkeys" : "xdf";
    d.w.line("<statdata>");
    d.w.start_tag(kind);
    d.w.line("<array>");
    d.w.line("<fieldAxis>");
    for (std::size_t n = t.stub_count(); n < t.vars.size(); ++n) {
        d.w.line("<field>");
        d.w.line("<name>");
        d.lang_element("textlang", name_or_sort(t.vars[n]));
        d.w.line("</name>");
        d.w.line("</field>");
    }
    d.w.line("</fieldAxis>");
    for (std::size_t n = 0; n < t.vars.size(); ++n) axis(d, n);
    d.w.line("<read>");
    for (std::size_t n = 0; n < t.vars.size(); ++n) d.w.line("<for axisIdRef=\"axisvar" + std::to_string(n + 1) + "\">");
    d.w.line("<readCell />");
    d.w.line("<skipChars count=\"1\" output=\"\" />");
    for (std::size_t n = 0; n < t.vars.size(); ++n) d.w.line("</for>");
    d.w.line("</read>");
    notes(d);
    d.w.line("<data>");
    if (d.type == keys_type) {
        // Without memory for the cells the data element stays empty.
        if (load_cells(d.s) == 0) write_cell_list(t, keyed_cells(t), d.w.out());
    } else {
        cdata_block(d.s, d.w.out());
    }
    d.w.line("</data>");
    d.w.line("</array>");
    d.w.end_tag(kind);
    d.w.line("</statdata>");
}

}  // namespace vt::xdf
