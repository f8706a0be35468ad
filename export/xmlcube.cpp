// The XML cube export xmlsave.
//
//     <?xml version="1.0" encoding="iso-8859-1" ?>
//     <cube>
//     <metadata>                 charset, version, head keywords
//     <dimensions>
//     <dimension code="d1" place="stub" order="1">   name, type, values
//     </dimensions>
//     <cellnote type="mandatory" d1="a" d2="*">      text lines
//     </metadata>
//     <data>
//     <![CDATA[1 2 3            the cells, a row per line
//     ]]></data>                 (or one <cell d1=".." d2="..">v</cell> per cell)
//     </cube>
#include "export/xmlcube.h"

#include <string_view>

#include "core/codes.h"
#include "core/notes.h"
#include "export/frame.h"
#include "export/markup.h"
#include "export/xmlbase.h"

namespace vt {

namespace {

constexpr int cell_list_mode = 1;
constexpr int cellnote_width = 60;

struct cube {
    markup_writer w;
    const table& t;
};

// <name>strings, each escaped, one after the other</name>
void joined_element(cube& c, std::string_view name, const text_list& list, bool escaped = true) {
    c.w.open_tag(name);
    write_joined(c.w.out(), list, escaped);
    c.w.close_tag(name);
    c.w.end_line();
}

void optional_raw(cube& c, std::string_view name, const opt_string& s) {
    if (s) c.w.raw_element(name, *s);
}

void note_pair(cube& c, std::string_view name, const text_list& mandatory, const text_list& optional) {
    if (!mandatory.empty()) {
        c.w.open_tag(name, {{"type", "mandatory"}});
        write_joined(c.w.out(), mandatory, true);
        c.w.end_tag(name);
    }
    if (!optional.empty()) {
        c.w.open_tag(name, {{"type", "optional"}});
        write_joined(c.w.out(), optional, true);
        c.w.end_tag(name);
    }
}

void flag(char ch, std::string_view name, cube& c) {
    if (ch != ' ') c.w.raw_element(name, std::string_view(&ch, 1));
}

// The contents information of one record; the per-value form names the
// units of that content too.
void contents_info(cube& c, const continfo& ci, bool per_value) {
    optional_raw(c, "last-updated", ci.last_updated);
    flag(ci.stockfa, "stockfa", c);
    flag(ci.cfprices, "cfprices", c);
    if (ci.dayadj == 1) c.w.line("<dayadj>YES</dayadj>");
    if (ci.seasadj == 1) c.w.line("<seasadj>YES</seasadj>");
    if (per_value && ci.units) c.w.element("units", *ci.units);
    if (!ci.contact.empty()) joined_element(c, "contact", ci.contact);
    if (!ci.refperiod.empty()) joined_element(c, "refperiod", ci.refperiod);
    if (!ci.baseperiod.empty()) joined_element(c, "baseperiod", ci.baseperiod);
}

void head(cube& c) {
    const table& t = c.t;
    optional_raw(c, "language", t.language);
    optional_raw(c, "creation-date", t.creation_date);
    c.w.raw("<subject code=\"");
    c.w.raw(t.subject_code.value_or(""));
    c.w.raw("\">");
    c.w.text(t.subject_area.value_or(""));
    c.w.close_tag("subject");
    c.w.end_line();
    c.w.element("matrix", t.matrix.value_or(""));
    if (!t.description.empty()) joined_element(c, "description", t.description);
    c.w.open_tag("title");
    write_joined(c.w.out(), t.title, true, " ");
    c.w.end_tag("title");
    if (t.contents) c.w.element("contents", *t.contents);
    c.w.line(t.aggregallowed != 0 ? "<aggregallowed>YES</aggregallowed>" : "<aggregallowed>NO</aggregallowed>");
    if (t.autopen == 1) c.w.line("<autopen>YES</autopen>");
    if (t.descriptiondefault == 1 && !t.description.empty()) c.w.line("<descriptiondefault>YES</descriptiondefault>");
    c.w.element("units", t.units.value_or(""));
    c.w.raw_element("decimals", std::to_string(t.decimals));
    c.w.raw_element("showdecimals", std::to_string(t.showdecimals));
    optional_raw(c, "confidential", t.confidential);
    if (!t.source.empty()) joined_element(c, "source", t.source);
    if (t.copyright >= 0) c.w.line(t.copyright == 1 ? "<copyright>YES</copyright>" : "<copyright>NO</copyright>");
    if (!t.database.empty()) joined_element(c, "database", t.database);
    if (!t.infofile.empty()) joined_element(c, "infofile", t.infofile, false);
    if (!t.contvariable) contents_info(c, t.continfos.front(), false);
    note_pair(c, "note", t.notex, t.note);
}

void dimension_type(cube& c, const variable& v) {
    const table& t = c.t;
    if (v.is_time) {
        c.w.line("<dimtype>time</dimtype>");
        c.w.raw_element("frequency", t.timeval.empty() ? std::string_view() : t.timeval.front().scale);
    } else if (v.map) {
        c.w.line("<dimtype>geo</dimtype>");
        c.w.element("map", *v.map);
    } else if (t.contvariable && v.name && *v.name == *t.contvariable) {
        c.w.line("<dimtype>contents</dimtype>");
    }
}

void partitions(cube& c, const variable& v) {
    if (v.partitions.empty()) return;
    c.w.line("<partitioned>");
    int no = 0;
    for (const partition& p : v.partitions) {
        const std::string n = std::to_string(++no);
        const std::string start = std::to_string(p.start);
        c.w.start_tag("part", {{"no", n}, {"start", start}});
        c.w.element("name", p.text);
        if (p.length != 0) c.w.raw_element("partlength", std::to_string(p.length));
        c.w.end_tag("part");
    }
    c.w.line("</partitioned>");
}

void values(cube& c, const variable& v) {
    const table& t = c.t;
    c.w.line("<values>");
    for (const value& val : v.values) {
        c.w.start_tag("value", {{"code", code_or_text(val)}});
        c.w.element("name", val.text);
        if (val.precision > t.showdecimals) c.w.raw_element("precision", std::to_string(val.precision));
        if (t.contvariable)
            for (const continfo& ci : t.continfos)
                if (ci.content && *ci.content == val.text) {
                    contents_info(c, ci, true);
                    break;
                }
        note_pair(c, "valuenote", val.valuenotex, val.valuenote);
        c.w.line("</value>");
    }
    c.w.line("</values>");
}

void dimensions(cube& c) {
    const table& t = c.t;
    c.w.line("<dimensions>");
    for (std::size_t k = 0; k < t.vars.size(); ++k) {
        const variable& v = t.vars[k];
        const bool stub = k < t.stub_count();
        const std::string code = "d" + std::to_string(k + 1);
        const std::string order = std::to_string(stub ? k + 1 : k - t.stub_count() + 1);
        c.w.start_tag("dimension", {{"code", code}, {"place", stub ? "stub" : "heading"}, {"order", order}});
        c.w.element("name", name_or_sort(v));
        if (!v.name) c.w.line("<dimtype>unit</dimtype>");
        dimension_type(c, v);
        if (v.doublecolumn == 1) c.w.line("<doublecolumn>YES</doublecolumn>");
        if (v.prestext != 1) c.w.raw_element("prestext", std::to_string(v.prestext));
        if (v.domain) c.w.element("domain", *v.domain);
        partitions(c, v);
        if (v.elimination_value >= 0 && v.elimination_value < v.value_count)
            c.w.element("elimination", v.values[static_cast<std::size_t>(v.elimination_value)].text);
        if (v.elimination == 1) c.w.line("<elimination>YES</elimination>");
        note_pair(c, "note", v.notex, v.note);
        values(c, v);
        c.w.line("</dimension>");
    }
    c.w.line("</dimensions>");
}

// One list of cell notes: the references of note i are entry i of every
// variable's list (an empty entry, or one beyond the list, is any value).
void cell_notes(cube& c, const text_list& texts, cell_ref_list variable::*refs, std::string_view type) {
    const table& t = c.t;
    out_file& o = c.w.out();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        o.write("<cellnote type=\"");
        o.write(type);
        o.write("\"");
        for (std::size_t k = 0; k < t.vars.size(); ++k) {
            const variable& v = t.vars[k];
            const cell_ref r = note_ref(v, refs, i);
            o.write(" d");
            o.write_int(static_cast<long long>(k + 1));
            o.write("=\"");
            if (r >= 0 && r < v.value_count)
                xml_escape(o, code_or_text(v.values[static_cast<std::size_t>(r)]));
            else
                o.put('*');
            o.put('"');
        }
        o.write(">\r\n");
        for (const std::string& line : strip_markup(text_list{texts[i]}, cellnote_width)) {
            xml_escape(o, line);
            o.write("\r\n");
        }
        o.write("</cellnote>\r\n");
    }
}

cell_list_form cube_cells(const table& t) {
    cell_list_form form;
    form.open = "<cell";
    form.close = ">";
    for (std::size_t k = 0; k < t.vars.size(); ++k) {
        std::vector<std::string>& pieces = form.pieces.emplace_back();
        for (const value& val : t.vars[k].values)
            pieces.push_back(" d" + std::to_string(k + 1) + "=\"" + xml_escape(code_or_text(val)) + "\"");
    }
    return form;
}

int convert(const std::string& infile, const std::string& outfile, int datamode) {
    xml_source s;
    out_file out;
    if (const int rc = open_xml_source(infile, outfile, s, out, true); rc != 0) return rc;
    cube c{markup_writer(out), s.t};
    c.w.line("<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>");
    c.w.line("<cube>");
    c.w.line("<metadata>");
    c.w.line("<charset>ANSI</charset>");
    c.w.line("<velt-version>2004</velt-version>");
    head(c);
    dimensions(c);
    cell_notes(c, s.t.cellnotex_texts, &variable::cellnotex_refs, "mandatory");
    cell_notes(c, s.t.cellnote_texts, &variable::cellnote_refs, "optional");
    if (datamode == cell_list_mode) c.w.line("<datadefault>0</datadefault>");
    c.w.line("</metadata>");
    c.w.line("<data>");
    if (datamode == cell_list_mode) {
        // Without memory for the cells the data element stays empty.
        if (load_cells(s) == 0) write_cell_list(s.t, cube_cells(s.t), out);
        c.w.line("</data>");
    } else {
        cdata_block(s, out);
        c.w.line("</data>");
    }
    c.w.line("</cube>");
    return out.close() ? 0 : codes::cannot_open;
}

}  // namespace

int xmlsave(const std::string& infile, const std::string& outfile, int datamode) noexcept {
    return run_export("xmlsave", {}, [&] { return convert(infile, outfile, datamode); });
}

}  // namespace vt
