// The statinfo export xdfsave: the document frame, the document metadata
// and the processing metadata.
//
//     <?xml version="1.0" encoding="ISO-8859-1" ?>
//     <!DOCTYPE statinfo_... >            on request
//     <statinfo_keys>                     (or statinfo_xdf, statinfo_cals)
//     <tabletitlegrp>  <docmeta>  <procmeta><vtmeta> ... <vtvariable>s
//     <statdata> CALS table               statinfo_cals only
//     <statmeta>  <tablemeta>             (xdf_data.cpp)
//     <statdata> keyed array              all but statinfo_cals
//     </statinfo_keys>
#include "export/xdf.h"

#include "core/cellfmt.h"
#include "core/codes.h"
#include "export/frame.h"
#include "export/xdf_doc.h"

namespace vt::xdf {

void doc::lang_joined(std::string_view name, const text_list& list, bool escaped) {
    w.open_tag(name, {{"xml:lang", lang}});
    write_joined(w.out(), list, escaped);
    w.close_tag(name);
    w.end_line();
}

void doc::group(std::string_view name, const text_list& list) {
    const std::string grp = std::string(name) + "grp";
    w.start_tag(grp);
    lang_joined(name, list);
    w.end_tag(grp);
}

const continfo* contents_record(const table& t, std::string_view text) noexcept {
    for (const continfo& ci : t.continfos)
        if (ci.content && *ci.content == text) return &ci;
    return nullptr;
}

namespace {

std::string_view root_name(int type) noexcept {
    return type == keys_type ? "statinfo_keys" : type == xdf_type ? "statinfo_xdf" : "statinfo_cals";
}

void prologue(doc& d) {
    d.w.raw("<?xml version=\"1.0\" encoding=\"");
    std::string encoding = d.t.codepage.value_or("ISO-8859-1");
    for (char& c : encoding)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    d.w.raw(encoding);
    d.w.raw("\" ?>");
    d.w.end_line();
}

// The day and the time of a date "YYYY-MM-DD HH:MM..." or "YYYYMMDD HH:MM".
struct date_parts {
    std::string day;
    std::string time;
};

date_parts split_date(std::string_view s) {
    auto part = [s](std::size_t at, std::size_t n) { return at < s.size() ? s.substr(at, n) : std::string_view(); };
    date_parts p;
    if (s.size() > 15 && s[4] == '-') {
        p.day = part(0, 10);
        p.time = part(11, 5);
    } else {
        p.day = std::string(part(0, 4)) + "-" + std::string(part(4, 2)) + "-" + std::string(part(6, 2));
        p.time = part(9, 5);
    }
    return p;
}

// A date text longer than this carries a time.
constexpr std::size_t date_only_length = 13;

void dates(doc& d) {
    const table& t = d.t;
    if (!t.creation_date) return;
    d.w.line("<date>");
    d.w.line("<published>");
    const date_parts pub = split_date(*t.creation_date);
    d.w.raw_element("day", pub.day);
    if (t.creation_date->size() > date_only_length) d.w.raw_element("time", pub.time);
    d.w.line("</published>");
    const opt_string& updated = t.continfos.front().last_updated;
    if (!t.contvariable && updated) {
        d.w.line("<modified>");
        const date_parts mod = split_date(*updated);
        d.w.raw_element("day", mod.day);
        if (updated->size() > date_only_length) {
            d.w.open_tag("time");
            d.w.raw(mod.time);
            d.w.close_tag("time");
        }
        d.w.line("</modified>");
    }
    d.w.line("</date>");
}

void docmeta(doc& d) {
    const table& t = d.t;
    d.w.start_tag("tabletitlegrp", {{"tableIdRef", "meta"}});
    d.w.start_tag("tabletitle", {{"xml:lang", d.lang}});
    d.w.open_tag("tablemaintitle");
    write_joined(d.w.out(), t.title, true, " ");
    d.w.end_tag("tablemaintitle");
    d.w.line("</tabletitle>");
    d.w.line("</tabletitlegrp>");
    d.w.line("<docmeta>");
    d.w.line("<subjectgrp>");
    d.lang_element("subject", t.subject_area.value_or(""));
    d.w.line("</subjectgrp>");
    dates(d);
    d.w.line("<typegrp>");
    d.w.line("<type>VELTRA</type>");
    d.w.line("</typegrp>");
    d.w.line("<language>");
    d.w.element("main_language", d.lang);
    d.w.line("</language>");
    d.w.line("<document_info>");
    d.w.raw("<categories type=\"");
    d.w.raw(t.subject_code.value_or(""));
    d.w.line("\"/>");
    d.w.line("</document_info>");
    d.w.line("<identifier>");
    d.w.element("documentnumber", t.matrix.value_or(""));
    d.w.line("</identifier>");
    if (!t.infofile.empty()) {
        d.w.line("<resourcerelationgrp>");
        d.lang_joined("resourcerelation", t.infofile, false);
        d.w.line("</resourcerelationgrp>");
    }
    if (!t.source.empty()) d.group("source", t.source);
    d.w.line("</docmeta>");
}

void valid(doc& d, std::string_view name, bool yes) {
    d.w.raw("<");
    d.w.raw(name);
    d.w.raw(yes ? " valid=\"yes\" />" : " valid=\"no\" />");
    d.w.end_line();
}

void typed(doc& d, std::string_view name, char ch) {
    if (ch == ' ') return;
    d.w.raw("<");
    d.w.raw(name);
    d.w.raw(" type=\"");
    d.w.raw(std::string_view(&ch, 1));
    d.w.raw("\" />");
    d.w.end_line();
}

void number_attribute(doc& d, std::string_view name, int n) {
    d.w.raw("<");
    d.w.raw(name);
    d.w.raw(" number=\"");
    d.w.raw(std::to_string(n));
    d.w.raw("\" />");
    d.w.end_line();
}

void optional_raw(doc& d, std::string_view name, const opt_string& s) {
    if (s) d.w.raw_element(name, *s);
}

// The data symbols and the data-note sum: the texts the table gives for them.
void npm(doc& d) {
    const table& t = d.t;
    d.w.line("<npm>");
    auto symbol = [&d](const opt_string& text, std::string_view type) {
        if (text) d.w.raw_element("datasymbol", *text, {{"xml:lang", d.lang}, {"type", type}});
    };
    static constexpr std::string_view digits[6] = {"1", "2", "3", "4", "5", "6"};
    for (int n = 0; n < 6; ++n) symbol(t.datasymbol[n], digits[n]);
    symbol(t.datasymbolsum, "sum");
    symbol(t.datasymbolnil, "nil");
    if (t.datanotesum) d.w.raw_element("datanotesum", *t.datanotesum, {{"xml:lang", d.lang}});
    d.w.line("</npm>");
}

bool has_npm(const table& t) noexcept {
    for (const opt_string& s : t.datasymbol)
        if (s) return true;
    return t.datasymbolsum || t.datasymbolnil || (!t.vars.empty() && !t.vars.front().datanotecell_refs.empty());
}

void hierarchy(doc& d, const variable& v) {
    d.w.line("<hierarchy>");
    d.w.raw("<hierarchies>");
    bool first = true;
    for (const hierarchy_link& h : v.hierarchies) {
        if (!first) {
            d.w.raw(",\"");
            d.w.text(h.parent);
            d.w.raw("\":");
        }
        d.w.raw("\"");
        d.w.text(h.child);
        d.w.raw("\"");
        first = false;
    }
    d.w.close_tag("hierarchies");
    d.w.end_line();
    d.w.raw("<hierarchylevelsopen openlevels=\"");
    d.w.raw(std::to_string(v.hierarchylevelsopen));
    d.w.line("\" />");
    if (v.hierarchylevels > 0) {
        d.w.raw("<hierarchylevels existinglevels=\"");
        d.w.raw(std::to_string(v.hierarchylevels));
        d.w.line("\" />");
    }
    if (!v.hierarchynames.empty()) {
        d.w.line("<hierarchynamesgrp>");
        d.w.open_tag("hierarchynames", {{"xml:lang", d.lang}});
        for (std::size_t i = 0; i < v.hierarchynames.size(); ++i) {
            d.w.raw(i == 0 ? "\"" : ",\"");
            d.w.text(v.hierarchynames[i]);
            d.w.raw("\"");
        }
        d.w.close_tag("hierarchynames");
        d.w.end_line();
        d.w.line("</hierarchynamesgrp>");
    }
    d.w.line("</hierarchy>");
}

// The processing metadata of one value: its contents information when the
// variable is the contents variable, its elimination and its precision.
void vtvalue(doc& d, std::size_t n, std::size_t i, const variable& v, bool contents) {
    const table& t = d.t;
    const value& val = v.values[i];
    static const continfo none;
    const continfo* found = contents ? contents_record(t, val.text) : nullptr;
    const continfo& ci = found ? *found : none;
    const std::string id = "vtvar" + std::to_string(n + 1) + "vtval" + std::to_string(i + 1);
    d.w.start_tag("vtvalue", {{"procmetaId", id}});
    if (contents) {
        if (!ci.baseperiod.empty()) d.group("baseperiod", ci.baseperiod);
        typed(d, "cfprices", ci.cfprices);
        if (!ci.contact.empty()) d.group("contact", ci.contact);
        valid(d, "dayadj", ci.dayadj == 1);
    }
    if (static_cast<int>(i) == v.elimination_value) valid(d, "elimination", true);
    if (contents) optional_raw(d, "lastupdated", ci.last_updated);
    if (val.precision > t.showdecimals) number_attribute(d, "precision", val.precision);
    if (contents) {
        if (!ci.refperiod.empty()) d.group("refperiod", ci.refperiod);
        valid(d, "seasadj", ci.seasadj == 1);
        typed(d, "stockfa", ci.stockfa);
    }
    d.w.line("</vtvalue>");
}

void partitions(doc& d, const variable& v) {
    d.w.line("<partitionedgrp>");
    for (const partition& p : v.partitions) {
        const std::string start = std::to_string(p.start);
        const std::string length = std::to_string(p.length);
        if (p.length != 0)
            d.w.element("partitioned", p.text, {{"xml:lang", d.lang}, {"position", start}, {"length", length}});
        else
            d.w.element("partitioned", p.text, {{"xml:lang", d.lang}, {"position", start}});
    }
    d.w.line("</partitionedgrp>");
}

void vtvariable(doc& d, std::size_t n) {
    const table& t = d.t;
    const variable& v = t.vars[n];
    const bool contents = d.is_contvariable(v);
    d.w.start_tag("vtvariable", {{"procmetaId", "vtvar" + std::to_string(n + 1)}});
    if (contents) d.w.line("<contvariable valid=\"yes\" />");
    if (v.doublecolumn == 1) d.w.line("<doublecolumn valid=\"yes\" />");
    if (v.elimination == 1) d.w.line("<elimination valid=\"yes\" />");
    if (v.has_hierarchy || !v.hierarchies.empty()) hierarchy(d, v);
    const int keys = n < d.s.keys_modes.size() ? d.s.keys_modes[n] : 0;
    if (keys == 1) d.w.line("<keys valuesCodes=\"values\" />");
    if (keys == 2) d.w.line("<keys valuesCodes=\"codes\" />");
    if (!v.partitions.empty()) partitions(d, v);
    if (v.prestext != 1) d.w.raw_element("prestext", std::to_string(v.prestext));
    if (v.is_time) {
        const std::string_view scale = t.timeval.empty() ? std::string_view() : t.timeval.front().scale;
        d.w.element("timeval", v.values.empty() ? std::string_view() : std::string_view(v.values.front().text),
                    {{"frequency", scale.substr(0, 1)}});
    }
    if (v.variable_type) d.w.element("variabletype", *v.variable_type);
    for (std::size_t i = 0; i < v.values.size(); ++i)
        if (contents || static_cast<int>(i) == v.elimination_value || v.values[i].precision > t.showdecimals)
            vtvalue(d, n, i, v, contents);
    d.w.line("</vtvariable>");
}

// The table-level items, in the order the receivers read them; the
// contents items belong to the values when there is a contents variable.
void vtmeta_items(doc& d) {
    const table& t = d.t;
    const continfo& ci = t.continfos.front();
    const bool per_table = !t.contvariable;
    if (t.aggregallowed == 0) d.w.line("<aggregallowed valid=\"no\" />");
    if (t.autopen == 1) d.w.line("<autopen open=\"yes\" />");
    d.w.raw_element("veltversion", t.velt_version ? std::string_view(*t.velt_version) : "2005>");
    if (per_table && !ci.baseperiod.empty()) d.group("baseperiod", ci.baseperiod);
    if (per_table) typed(d, "cfprices", ci.cfprices);
    d.w.line("<charset>ANSI</charset>");
    optional_raw(d, "confidential", t.confidential);
    if (per_table && !ci.contact.empty()) d.group("contact", ci.contact);
    if (t.contents) d.group("contents", text_list{*t.contents});
    if (t.copyright >= 0) valid(d, "copyright", t.copyright == 1);
    if (!t.database.empty()) d.group("database", t.database);
    if (per_table && ci.dayadj >= 0) valid(d, "dayadj", ci.dayadj == 1);
    number_attribute(d, "decimals", t.decimals);
    if (t.default_graph != 0) d.w.raw_element("defaultgraph", std::to_string(t.default_graph));
    if (t.descriptiondefault == 1 && !t.description.empty()) valid(d, "descriptiondefault", true);
    if (!t.description.empty()) {
        d.w.line("<descriptiongrp>");
        d.w.start_tag("description", {{"xml:lang", d.lang}});
        write_joined(d.w.out(), t.description, true);
        d.w.end_tag("description");
        d.w.line("</descriptiongrp>");
    }
    optional_raw(d, "directorypath", t.directory_path);
    if (!t.info.empty()) d.group("info", t.info);
    optional_raw(d, "nextupdate", t.next_update);
    if (has_npm(t)) npm(d);
    optional_raw(d, "vtserver", t.vt_server);
    if (per_table && !ci.refperiod.empty()) d.group("refperiod", ci.refperiod);
    if (per_table && ci.seasadj >= 0) valid(d, "seasadj", ci.seasadj == 1);
    number_attribute(d, "showdecimals", t.showdecimals);
    if (per_table) typed(d, "stockfa", ci.stockfa);
    if (t.survey) d.group("survey", text_list{*t.survey});
    optional_raw(d, "updatefrequency", t.update_frequency);
}

void procmeta(doc& d) {
    d.w.line("<procmeta>");
    d.w.line("<vtmeta>");
    vtmeta_items(d);
    for (std::size_t n = 0; n < d.t.vars.size(); ++n) vtvariable(d, n);
    d.w.line("</vtmeta>");
    d.w.line("</procmeta>");
}

constexpr std::string_view doctypes[3] = {
    "<!DOCTYPE statinfo_keys PUBLIC \"-//KELDA//DTD STATINFO_KEYS 1.0//EN\" \"statinfo_keys.dtd\">",
    "<!DOCTYPE statinfo_xdf PUBLIC \"-//KELDA//DTD STATINFO_XDF 1.0//EN\" \"statinfo_xdf.dtd\">",
    "<!DOCTYPE statinfo_cals PUBLIC \"-//KELDA//DTD STATINFO_CALS 1.0//EN\" \"statinfo_cals.dtd\">",
};

int convert(const std::string& infile, const std::string& outfile, int type, const std::string& lang, int rounding,
            int doctype) {
    xml_source s;
    out_file out;
    if (const int rc = open_xml_source(infile, outfile, s, out, true); rc != 0) return rc;
    doc d{markup_writer(out), s, s.t, s.t.language.value_or(lang), rounding_flag(s.t, rounding), type};
    prologue(d);
    if (doctype == 1) d.w.line(doctypes[type == keys_type ? 0 : type == xdf_type ? 1 : 2]);
    d.w.start_tag(root_name(type));
    docmeta(d);
    procmeta(d);
    if (type == cals_type) write_cals(d);
    write_statmeta(d);
    write_tablemeta(d);
    if (type != cals_type) write_keyed_data(d);
    d.w.end_tag(root_name(type));
    return out.close() ? 0 : codes::cannot_open;
}

}  // namespace

}  // namespace vt::xdf

namespace vt {

int xdfsave(const std::string& infile, const std::string& outfile, int type, const std::string& lang, int rounding,
            int doctype) noexcept {
    return run_export("xdfsave", {},
                      [&] { return xdf::convert(infile, outfile, type, lang, rounding, doctype); });
}

}  // namespace vt
