// vtdump: prints the keyword part of a table file as stable, readable text.
//
//   vtdump [-l xx] [-n] file.vt
//
// -l xx reads the texts of language xx (KEYWORD[xx]=), -n reads CELLNOTEX
// entries like CELLNOTE entries (the conversion library's way). The output
// is plain ASCII whatever the file holds: strings are printed in double
// quotes with a backslash written as \\ and every byte outside 0x20..0x7E
// as \xHH, so the same table always prints the same bytes and a dump can be
// compared with a stored one. Fields at their "not given" value are left
// out. Exit code: 0 for a clean read, 1 when the reader reported a problem
// (the table is still printed as far as it was read), 2 for a usage error
// or a file that cannot be opened.
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "core/reader.h"

namespace {

constexpr int open_failed = 400;  // read_table_file's code for an unopenable file

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

void put_str(const char* indent, const char* name, const vt::opt_string& s) {
    if (s) std::printf("%s%s: %s\n", indent, name, quoted(*s).c_str());
}

// Numbers are printed only when they differ from their "not given" value.
void put_int(const char* indent, const char* name, long long v, long long absent = 0) {
    if (v != absent) std::printf("%s%s: %lld\n", indent, name, v);
}

void put_char(const char* indent, const char* name, char c) {
    if (c != ' ') std::printf("%s%s: %s\n", indent, name, quoted(std::string_view(&c, 1)).c_str());
}

void put_list(const char* indent, const char* name, const vt::text_list& l) {
    if (l.empty()) return;
    std::printf("%s%s:\n", indent, name);
    for (const auto& s : l) std::printf("%s  %s\n", indent, quoted(s).c_str());
}

// One variable's reference of cell-note entry k: the value text, "*" for
// any value, "?" when the variable's list has no element k and "#n" for a
// position outside its values. The last two only show up when the reader
// left the lists out of step, which is exactly what a dump should reveal.
std::string cell_ref_text(const vt::variable& v, const vt::cell_ref_list& refs, std::size_t k) {
    if (k >= refs.size()) return "?";
    vt::cell_ref r = refs[k];
    if (r == vt::any_value) return "*";
    if (r < 0 || static_cast<std::size_t>(r) >= v.values.size()) return "#" + std::to_string(r);
    return quoted(v.values[static_cast<std::size_t>(r)].text);
}

using ref_member = const vt::cell_ref_list vt::variable::*;

// Entries are counted by the text list; each line shows the references of
// every variable in chain order, then the text.
void put_cell_notes(const vt::table& t, const char* name, const vt::text_list& texts, ref_member refs) {
    for (std::size_t k = 0; k < texts.size(); ++k) {
        std::string line;
        for (const auto& v : t.vars) {
            if (!line.empty()) line += ", ";
            line += cell_ref_text(v, v.*refs, k);
        }
        std::printf("%s %zu: %s = %s\n", name, k + 1, line.c_str(), quoted(texts[k]).c_str());
    }
    // References beyond the last text would be lost silently by consumers.
    for (std::size_t i = 0; i < t.vars.size(); ++i) {
        std::size_t n = (t.vars[i].*refs).size();
        if (n != texts.size())
            std::printf("%s refs of variable %zu: %zu for %zu texts\n", name, i + 1, n, texts.size());
    }
}

void put_value(const vt::value& val, std::size_t pos) {
    std::printf("    value %zu: %s", pos + 1, quoted(val.text).c_str());
    if (val.code) std::printf(" code=%s", quoted(*val.code).c_str());
    if (val.precision) std::printf(" precision=%d", val.precision);
    if (val.spare) std::printf(" spare=%d", val.spare);
    if (val.has_datanote) std::printf(" has_datanote=%d", val.has_datanote);
    std::printf("\n");
    put_list("      ", "valuenotex", val.valuenotex);
    put_list("      ", "valuenote", val.valuenote);
}

void put_variable(const vt::table& t, std::size_t i) {
    const vt::variable& v = t.vars[i];
    std::printf("variable %zu: %s (%s)\n", i + 1, v.name ? quoted(*v.name).c_str() : "(no name)",
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
        std::printf("  partition: %s start=%d length=%d\n", quoted(p.text).c_str(), p.start, p.length);
    if (v.elimination_value != -1) {
        std::size_t e = static_cast<std::size_t>(v.elimination_value);
        std::printf("  elimination_value: %d %s\n", v.elimination_value + 1,
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
        std::printf("  hierarchy: %s : %s\n", quoted(h.parent).c_str(), quoted(h.child).c_str());
    if (static_cast<std::size_t>(v.value_count) != v.values.size())
        std::printf("  values held: %zu\n", v.values.size());
    if (!v.values.empty()) std::printf("  values:\n");
    for (std::size_t k = 0; k < v.values.size(); ++k) put_value(v.values[k], k);
}

void put_continfo(const vt::continfo& c, std::size_t pos) {
    std::printf("continfo %zu:\n", pos + 1);
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

void put_table(const vt::table& t) {
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
        std::printf("variables: %zu (%zu stub, %zu heading)\n", t.vars.size(), t.stub_count(), t.heading_count());
    put_list(in, "reserved", t.reserved);
    if (!t.data_handle.empty()) std::printf("data: %zu cells\n", t.data_handle.size());
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

    put_cell_notes(t, "cellnote", t.cellnote_texts, &vt::variable::cellnote_refs);
    put_cell_notes(t, "cellnotex", t.cellnotex_texts, &vt::variable::cellnotex_refs);
    put_cell_notes(t, "datanotecell", t.datanotecell_texts, &vt::variable::datanotecell_refs);

    for (std::size_t i = 0; i < t.timeval.size(); ++i)
        std::printf("timeval %zu: %s %s\n", i + 1, quoted(t.timeval[i].scale).c_str(),
                    quoted(t.timeval[i].code).c_str());

    for (std::size_t i = 0; i < t.datanotecells.size(); ++i) {
        const vt::datanotecell& d = t.datanotecells[i];
        std::string marks;
        for (int m : d.marks) marks += m == 0 ? '0' : m == 1 ? '1' : '?';
        std::printf("datanotecell record %zu: position=%d count=%d marks=%s", i + 1, d.position, d.count,
                    marks.c_str());
        if (!d.symbol.empty()) std::printf(" symbol=%s", quoted(d.symbol).c_str());
        std::printf("\n");
    }

    std::printf("strides:");
    for (const auto& v : t.vars) std::printf(" %lld", static_cast<long long>(v.stride));
    std::printf("\ncells: %lld\n", static_cast<long long>(vt::count_cells(t.vars)));
}

int usage(const char* msg) {
    if (msg) std::fprintf(stderr, "vtdump: %s\n", msg);
    std::fprintf(stderr, "usage: vtdump [-l xx] [-n] file.vt\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string path;
    std::string language;
    bool batch_rules = true;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "-l") == 0) {
            if (i + 1 >= argc) return usage("-l needs a language code");
            language = argv[++i];
            // The reader compares exactly two characters after the "[".
            if (language.size() != 2) return usage("a language code has two characters");
        } else if (std::strcmp(a, "-n") == 0) {
            batch_rules = false;
        } else if (a[0] == '-' && a[1] != '\0') {
            return usage((std::string("unknown option ") + a).c_str());
        } else if (!path.empty()) {
            return usage("only one file can be dumped");
        } else {
            path = a;
        }
    }
    if (path.empty()) return usage(nullptr);

    vt::reader_state().selected_language = language;
    vt::reader_state().cellnotex_batch_rules = batch_rules;

    vt::in_file f;
    vt::table t = vt::table_new();
    int code = vt::read_table_file(path, f, t);
    if (code == open_failed) {
        std::fprintf(stderr, "vtdump: cannot open %s\n", path.c_str());
        return 2;
    }
    std::printf("code: %d\n", code);
    put_table(t);
    std::fflush(stdout);
    if (std::ferror(stdout)) {
        std::fprintf(stderr, "vtdump: write error\n");
        return 2;
    }
    return code == 0 ? 0 : 1;
}
