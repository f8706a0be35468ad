// The in-memory table: creation, release, strides and the copies the
// table operations start from.
#include "core/table.h"

#include <limits>

#include "core/timeval.h"

namespace vt {

table table_new() { return table{}; }

int table_free(table& t) {
    t = table{};
    return 0;
}

namespace {
// a * b, held at the largest int64 instead of overflowing: a table whose cell
// count does not fit can never get its data block, which callers report.
std::int64_t mul_sat(std::int64_t a, std::int64_t b) noexcept {
    constexpr auto top = std::numeric_limits<std::int64_t>::max();
    if (a <= 0 || b <= 0) return 0;
    if (a > top / b) return top;
    return a * b;
}
}  // namespace

std::int64_t compute_strides(std::vector<variable>& vars) noexcept {
    std::int64_t cells = 1;
    for (auto it = vars.rbegin(); it != vars.rend(); ++it) {
        it->stride = cells;
        cells = mul_sat(cells, it->value_count);
    }
    return cells;
}

std::int64_t count_cells(const std::vector<variable>& vars) noexcept {
    std::int64_t cells = 1;
    for (const variable& v : vars) cells = mul_sat(cells, v.value_count);
    return cells;
}

table copy_variables(const table& from) {
    table to;
    to.vars.reserve(from.vars.size());
    for (const variable& src : from.vars) {
        variable v;
        v.name = src.name;
        v.grouping = src.grouping;
        v.value_count = src.value_count;
        v.stride = src.stride;
        v.max_text_len = src.max_text_len;
        v.prestext = src.prestext;
        v.doublecolumn = src.doublecolumn;
        v.domain = src.domain;
        v.map = src.map;
        v.variable_type = src.variable_type;
        if (src.has_hierarchy == 1) {
            v.has_hierarchy = 1;
            v.hierarchylevelsopen = src.hierarchylevelsopen;
            v.hierarchylevels = src.hierarchylevels;
            v.hierarchynames = src.hierarchynames;
            v.hierarchies = src.hierarchies;
        }
        v.partitions = src.partitions;
        v.values.reserve(src.values.size());
        for (const value& sv : src.values) {
            value nv;
            nv.text = sv.text;
            nv.code = sv.code;
            nv.precision = sv.precision;
            nv.valuenotex = sv.valuenotex;
            nv.valuenote = sv.valuenote;
            v.values.push_back(std::move(nv));
        }
        v.elimination = src.elimination;
        v.elimination_value = src.elimination_value;
        v.note = src.note;
        v.notex = src.notex;
        v.keys_mode = src.keys_mode;
        to.vars.push_back(std::move(v));
    }
    to.heading = from.heading < from.vars.size() ? from.heading : to.vars.size();
    return to;
}

namespace {

int find_named(const table& t, const opt_string& name) {
    for (std::size_t i = 0; i < t.vars.size(); ++i)
        if (t.vars[i].name == name) return static_cast<int>(i);
    return -1;
}

// Picks the heading variable of `to` from the heading of `from`.
std::size_t matching_heading(const table& from, const table& to) {
    if (!from.has_heading()) return to.vars.size();
    int k = find_named(to, from.vars[from.heading].name);
    if (k >= 0) return static_cast<std::size_t>(k);
    for (std::size_t i = from.heading + 1; i < from.vars.size(); ++i) {
        if (!from.vars[i].name) continue;
        k = find_named(to, from.vars[i].name);
        if (k >= 0) return static_cast<std::size_t>(k);
    }
    if (from.heading_count() == 1 && from.heading < to.vars.size()) return from.heading;
    return to.vars.size();
}

// Carries the time list over to the time variable of `to` when that
// variable is still there; when it kept only some values, the entries of
// those values are taken, and only if they still form a valid list.
void carry_timeval(const table& from, table& to) {
    const variable* tv = nullptr;
    for (const variable& v : from.vars)
        if (v.is_time) tv = &v;
    if (!tv || from.timeval.empty() || from.timeval.size() != tv->values.size()) return;
    int k = find_named(to, tv->name);
    if (k < 0) return;
    variable& dst = to.vars[static_cast<std::size_t>(k)];
    std::vector<timeval_entry> list;
    for (const value& val : dst.values) {
        std::size_t pos = 0;
        while (pos < tv->values.size() && tv->values[pos].text != val.text) ++pos;
        if (pos == tv->values.size()) return;
        list.push_back(from.timeval[pos]);
    }
    if (!timeval_valid(dst, list)) return;
    to.timeval = std::move(list);
    dst.is_time = 1;
}

}  // namespace

void copy_head(const table& from, table& to) {
    to.subject_area = from.subject_area;
    to.subject_code = from.subject_code;
    to.matrix = from.matrix;
    to.contents = from.contents;
    to.units = from.units;
    to.velt_version = from.velt_version;
    to.language = from.language;
    to.creation_date = from.creation_date;
    to.confidential = from.confidential;
    to.codepage = from.codepage;
    for (int i = 0; i < 6; ++i) to.datasymbol[i] = from.datasymbol[i];
    to.datasymbolsum = from.datasymbolsum;
    to.datasymbolnil = from.datasymbolnil;
    to.datanotesum = from.datanotesum;
    to.tableid = from.tableid;
    to.next_update = from.next_update;
    to.vt_server = from.vt_server;
    to.directory_path = from.directory_path;
    to.update_frequency = from.update_frequency;
    to.link = from.link;
    to.survey = from.survey;
    to.synonyms = from.synonyms;

    to.decimals = from.decimals;
    to.showdecimals = from.showdecimals;
    to.copyright = from.copyright;
    to.aggregallowed = from.aggregallowed;
    to.autopen = from.autopen;
    to.descriptiondefault = from.descriptiondefault;
    to.default_graph = from.default_graph;
    to.rounding = from.rounding;

    to.title = from.title;
    to.description = from.description;
    to.note = from.note;
    to.notex = from.notex;
    to.source = from.source;
    to.database = from.database;
    to.infofile = from.infofile;
    to.info = from.info;
    to.reserved = from.reserved;

    if (from.contvariable) {
        to.contvariable = from.contvariable;
        to.continfos = from.continfos;
    } else {
        continfo first = from.continfos.front();
        first.content = to.continfos.front().content;
        to.continfos.front() = std::move(first);
    }

    to.heading = matching_heading(from, to);
    carry_timeval(from, to);
}

}  // namespace vt
