#include "core/describe.h"

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>

namespace vt {

namespace {

// Where the dump goes while describe_table runs.
thread_local std::FILE* out_ = stdout;

std::string quoted(std::string_view s) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(s.size() + 2);
    out += '"';
    for (unsigned char c : s) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '"') {
            out += "\\\"";
        } else if (c < 0x20 || c >= 0x7F) {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    out += '"';
    return out;
}

void put_str(const char* indent, const char* name, const opt_string& s) {
    if (s) std::fprintf(out_, "%s%s: %s\n", indent, name, quoted(*s).c_str());
}

// Numbers are printed only when they differ from their "not given" value.
void put_int(const char* indent, const char* name, long long v, long long absent = 0) {
    if (v != absent) std::fprintf(out_, "%s%s: %lld\n", indent, name, v);
}

void put_char(const char* indent, const char* name, char c) {
    if (c != ' ') std::fprintf(out_, "%s%s: %s\n", indent, name, quoted(std::string_view(&c, 1)).c_str());
}

void put_list(const char* indent, const char* name, const text_list& l) {
    if (l.empty()) return;
    std::fprintf(out_, "%s%s:\n", indent, name);
    for (const auto& s : l) std::fprintf(out_, "%s  %s\n", indent, quoted(s).c_str());
}

// One variable's reference of cell-note entry k: the value text, "*" for
// any value, "?" when the variable's list has no element k and "#n" for a
// position outside its values. The last two only show up when the reader
// left the lists out of step, which is exactly what a dump should reveal.
std::string cell_ref_text(const variable& v, const cell_ref_list& refs, std::size_t k) {
    if (k >= refs.size()) return "?";
    cell_ref r = refs[k];
    if (r == any_value) return "*";
    if (r < 0 || static_cast<std::size_t>(r) >= v.values.size()) {
        std::string out(1, '#');
        out.append(std::to_string(r));
        return out;
    }
    return quoted(v.values[static_cast<std::size_t>(r)].text);
}

using ref_member = const cell_ref_list variable::*;

// Entries are counted by the text list; each line shows the references of
// every variable in chain order, then the text.
void put_cell_notes(const table& t, const char* name, const text_list& texts, ref_member refs) {
    for (std::size_t k = 0; k < texts.size(); ++k) {
        std::string line;
        for (const auto& v : t.vars) {
            if (!line.empty()) line += ", ";
            line += cell_ref_text(v, v.*refs, k);
        }
        std::fprintf(out_, "%s %zu: %s = %s\n", name, k + 1, line.c_str(), quoted(texts[k]).c_str());
    }
    // References beyond the last text would be lost silently by consumers.
    for (std::size_t i = 0; i < t.vars.size(); ++i) {
        std::size_t n = (t.vars[i].*refs).size();
        if (n != texts.size())
            std::fprintf(out_, "%s refs of variable %zu: %zu for %zu texts\n", name, i + 1, n, texts.size());
    }
}

void put_value(const value& val, std::size_t pos) {
    std::fprintf(out_, "    value %zu: %s", pos + 1, quoted(val.text).c_str());
    if (val.code) std::fprintf(out_, " code=%s", quoted(*val.code).c_str());
    if (val.precision) std::fprintf(out_, " precision=%d", val.precision);
    if (val.spare) std::fprintf(out_, " spare=%d", val.spare);
    if (val.has_datanote) std::fprintf(out_, " has_datanote=%d", val.has_datanote);
    std::fprintf(out_, "\n");
    put_list("      ", "valuenotex", val.valuenotex);
    put_list("      ", "valuenote", val.valuenote);
}

void put_variable(const table& t, std::size_t i) {
    const variable& v = t.vars[i];
    std::fprintf(out_, "variable %zu: %s (%s)\n", i + 1, v.name ? quoted(*v.name).c_str() : "(no name)",
                i < t.stub_count() ? "stub" : "heading");
    const char* in = "  ";
    put_str(in, "grouping", v.grouping);
    put_int(in, "value_count", v.value_count);
    put_int(in, "is_time", v.is_time);
    put_int(in, "max_text_len", v.max_text_len);
    put_int(in, "elimination", v.elimination);
    put_str(in, "domain", v.domain);
    put_str(in, "map", v.map);
    put_int(in, "prestext", v.prestext);
    for (const auto& p : v.partitions)
        std::fprintf(out_, "  partition: %s start=%d length=%d\n", quoted(p.text).c_str(), p.start, p.length);
    if (v.elimination_value != -1) {
        std::size_t e = static_cast<std::size_t>(v.elimination_value);
        std::fprintf(out_, "  elimination_value: %d %s\n", v.elimination_value + 1,
                    v.elimination_value >= 0 && e < v.values.size() ? quoted(v.values[e].text).c_str()
                                                                     : "(out of range)");
    }
    put_list(in, "notex", v.notex);
    put_list(in, "note", v.note);
    put_int(in, "keys_mode", v.keys_mode);
    put_int(in, "doublecolumn", v.doublecolumn);
    put_str(in, "variable_type", v.variable_type);
    put_int(in, "has_hierarchy", v.has_hierarchy);
    put_int(in, "hierarchylevelsopen", v.hierarchylevelsopen);
    put_int(in, "hierarchylevels", v.hierarchylevels);
    put_list(in, "hierarchynames", v.hierarchynames);
    for (const auto& h : v.hierarchies)
        std::fprintf(out_, "  hierarchy: %s : %s\n", quoted(h.parent).c_str(), quoted(h.child).c_str());
    if (static_cast<std::size_t>(v.value_count) != v.values.size())
        std::fprintf(out_, "  values held: %zu\n", v.values.size());
    if (!v.values.empty()) std::fprintf(out_, "  values:\n");
    for (std::size_t k = 0; k < v.values.size(); ++k) put_value(v.values[k], k);
}

void put_continfo(const continfo& c, std::size_t pos) {
    std::fprintf(out_, "continfo %zu:\n", pos + 1);
    const char* in = "  ";
    put_str(in, "content", c.content);
    put_list(in, "baseperiod", c.baseperiod);
    put_char(in, "cfprices", c.cfprices);
    put_list(in, "contact", c.contact);
    put_str(in, "last_updated", c.last_updated);
    put_list(in, "refperiod", c.refperiod);
    put_int(in, "seasadj", c.seasadj, -1);
    put_int(in, "dayadj", c.dayadj, -1);
    put_char(in, "stockfa", c.stockfa);
    put_str(in, "units", c.units);
}

void put_table(const table& t) {
    const char* in = "";
    put_str(in, "subject_area", t.subject_area);
    put_str(in, "subject_code", t.subject_code);
    put_str(in, "matrix", t.matrix);
    put_list(in, "title", t.title);
    put_str(in, "contents", t.contents);
    put_str(in, "units", t.units);
    put_int(in, "decimals", t.decimals);
    put_int(in, "showdecimals", t.showdecimals);
    if (!t.vars.empty())
        std::fprintf(out_, "variables: %zu (%zu stub, %zu heading)\n", t.vars.size(), t.stub_count(), t.heading_count());
    put_list(in, "reserved", t.reserved);
    if (!t.data_handle.empty()) std::fprintf(out_, "data: %zu cells\n", t.data_handle.size());
    put_list(in, "notex", t.notex);
    put_list(in, "note", t.note);
    put_list(in, "description", t.description);
    put_int(in, "compressed", t.compressed);
    put_int(in, "copyright", t.copyright, -1);
    put_list(in, "source", t.source);
    put_list(in, "database", t.database);
    put_str(in, "velt_version", t.velt_version);
    put_str(in, "language", t.language);
    put_str(in, "creation_date", t.creation_date);
    put_list(in, "infofile", t.infofile);
    put_str(in, "contvariable", t.contvariable);
    put_int(in, "aggregallowed", t.aggregallowed, 1);
    put_int(in, "autopen", t.autopen);
    put_int(in, "descriptiondefault", t.descriptiondefault);
    put_str(in, "confidential", t.confidential);
    put_str(in, "codepage", t.codepage);
    put_str(in, "languages", t.languages);
    for (int i = 0; i < 6; ++i) {
        std::string name = "datasymbol" + std::to_string(i + 1);
        put_str(in, name.c_str(), t.datasymbol[i]);
    }
    put_str(in, "datasymbolsum", t.datasymbolsum);
    put_str(in, "datasymbolnil", t.datasymbolnil);
    put_str(in, "datanotesum", t.datanotesum);
    put_str(in, "tableid", t.tableid);
    put_str(in, "next_update", t.next_update);
    put_str(in, "vt_server", t.vt_server);
    put_str(in, "directory_path", t.directory_path);
    put_str(in, "update_frequency", t.update_frequency);
    put_list(in, "info", t.info);
    put_str(in, "link", t.link);
    put_str(in, "survey", t.survey);
    put_int(in, "default_graph", t.default_graph);
    put_str(in, "synonyms", t.synonyms);
    put_int(in, "rounding", t.rounding, -1);

    for (std::size_t i = 0; i < t.vars.size(); ++i) put_variable(t, i);
    for (std::size_t i = 0; i < t.continfos.size(); ++i) put_continfo(t.continfos[i], i);

    put_cell_notes(t, "cellnote", t.cellnote_texts, &variable::cellnote_refs);
    put_cell_notes(t, "cellnotex", t.cellnotex_texts, &variable::cellnotex_refs);
    put_cell_notes(t, "datanotecell", t.datanotecell_texts, &variable::datanotecell_refs);

    for (std::size_t i = 0; i < t.timeval.size(); ++i)
        std::fprintf(out_, "timeval %zu: %s %s\n", i + 1, quoted(t.timeval[i].scale).c_str(),
                    quoted(t.timeval[i].code).c_str());

    for (std::size_t i = 0; i < t.datanotecells.size(); ++i) {
        const datanotecell& d = t.datanotecells[i];
        std::string marks;
        for (int m : d.marks) marks += m == 0 ? '0' : m == 1 ? '1' : '?';
        std::fprintf(out_, "datanotecell record %zu: position=%d count=%d marks=%s", i + 1, d.position, d.count,
                    marks.c_str());
        if (!d.symbol.empty()) std::fprintf(out_, " symbol=%s", quoted(d.symbol).c_str());
        std::fprintf(out_, "\n");
    }

    std::fprintf(out_, "strides:");
    for (const auto& v : t.vars) std::fprintf(out_, " %lld", static_cast<long long>(v.stride));
    std::fprintf(out_, "\ncells: %lld\n", static_cast<long long>(count_cells(t.vars)));
}

}  // namespace

void describe_table(std::FILE* out, const table& t) {
    std::FILE* saved = out_;
    out_ = out;
    put_table(t);
    out_ = saved;
}

std::string describe_table(const table& t) {
    char* buf = nullptr;
    std::size_t len = 0;
    std::FILE* mem = open_memstream(&buf, &len);
    if (!mem) throw std::bad_alloc();
    describe_table(mem, t);
    std::fclose(mem);
    std::string s(buf, len);
    std::free(buf);
    return s;
}

}  // namespace vt
