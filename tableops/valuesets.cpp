// Reading value set files and aggregation files.
#include "tableops/valuesets.h"

#include <fstream>
#include <unordered_map>

#include "core/codes.h"
#include "platform/fsinfo.h"
#include "platform/ini.h"

namespace vt {

namespace {

// Buffer sizes of the profile reads: value set entries hold at most 60
// bytes, aggregation entries at most 256.
constexpr std::size_t value_set_buf = 61;
constexpr std::size_t aggregation_buf = 257;

// The "****" marker: codes and texts are kept in line files.
constexpr const char* line_file_marker = "****";

std::string get(const plat::ini_file& ini, std::string_view section, std::string_view key, std::size_t buf) {
    return ini.get_string(section, key, "", buf);
}

// The values of keys "1", "2", ... up to the first one missing.
std::vector<std::string> numbered(const plat::ini_file& ini, std::string_view section, std::size_t buf) {
    std::vector<std::string> out;
    for (int k = 1;; ++k) {
        const std::string key = std::to_string(k);
        if (!ini.find(section, key)) break;
        out.push_back(get(ini, section, key, buf));
    }
    return out;
}

unsigned char fold(unsigned char c) noexcept {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDF) return static_cast<unsigned char>(c + 32);
    return c;
}

// The lines of a text file without their line ends; false when it cannot
// be read.
bool read_lines(const std::string& path, std::vector<std::string>& out) {
    std::ifstream in(plat::native_path(path), std::ios::binary);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(line);
    }
    return true;
}

// Stores the texts found for v's codes as the values' second field; all or
// nothing.
int store_texts(variable& v, const std::vector<std::string>& codes, const std::vector<std::string>& texts) {
    std::unordered_map<std::string, std::size_t> index;
    for (std::size_t k = 0; k < codes.size(); ++k) index.emplace(codes[k], k);
    std::vector<std::string> found;
    for (const value& val : v.values) {
        auto it = index.find(val.text);
        if (it == index.end()) return 0;
        found.push_back(it->second < texts.size() ? texts[it->second] : std::string());
    }
    for (std::size_t k = 0; k < v.values.size(); ++k) v.values[k].code = found[k];
    return 1;
}

}  // namespace

std::string join_dir(const std::string& dir, const std::string& name) {
    if (dir.empty()) return plat::native_path(name);
    std::string p = dir;
    if (p.back() != '\\' && p.back() != '/') p += '\\';
    return plat::native_path(p + name);
}

bool domain_equal(const std::string& a, const std::string& b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(static_cast<unsigned char>(a[i])) != fold(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

int sumreg_struct(const std::string& path, aggregation& out) {
    plat::ini_file ini;
    if (!ini.load(plat::native_path(path))) return codes::cannot_open;
    out.value_set = get(ini, "Aggreg", "Valueset", aggregation_buf);
    out.name = get(ini, "Aggreg", "Name", aggregation_buf);
    out.unique_name = out.name;
    if (ini.find("Aggreg", "Map")) out.map = get(ini, "Aggreg", "Map", aggregation_buf);
    else out.map.reset();
    out.groups.clear();
    const std::vector<std::string> codes = numbered(ini, "Aggreg", aggregation_buf);
    for (std::size_t g = 0; g < codes.size(); ++g) {
        aggregation_group grp;
        grp.code = codes[g];
        grp.text = get(ini, "Aggtext", std::to_string(g + 1), aggregation_buf);
        grp.members = numbered(ini, grp.code, aggregation_buf);
        out.groups.push_back(std::move(grp));
    }
    return 0;
}

std::vector<value_set> varreg_struct(const std::string& dir) {
    std::vector<value_set> sets;
    const std::string native = plat::native_path(dir.empty() ? std::string(".") : dir);
    for (const std::string& file : plat::list_files(native, "*.vs")) {
        const std::string path = join_dir(dir, file);
        plat::ini_file ini;
        if (!ini.load(path)) continue;
        if (!ini.find("Descr", "Name")) return {};
        value_set base;
        base.name = get(ini, "Descr", "Name", value_set_buf);
        const std::string type = get(ini, "Descr", "Type", value_set_buf);
        base.kind = type.empty() ? ' ' : type[0];
        base.path = path;
        for (const std::string& agg_file : numbered(ini, "Aggreg", value_set_buf)) {
            const std::string agg_path = join_dir(dir, agg_file);
            plat::ini_file agg;
            if (!agg.load(agg_path) || !agg.find("Aggreg", "Name")) continue;
            base.aggregations.push_back({get(agg, "Aggreg", "Name", aggregation_buf), agg_path});
        }
        for (const std::string& domain : numbered(ini, "Domain", value_set_buf)) {
            value_set s = base;
            s.domain = domain;
            sets.push_back(std::move(s));
        }
    }
    return sets;
}

bool offers_aggregations(const variable& v, const std::vector<value_set>& sets) {
    if (v.values.size() < 2 || !v.domain) return false;
    for (const value_set& s : sets)
        if (!s.aggregations.empty() && domain_equal(*v.domain, s.domain)) return true;
    return false;
}

int var_regmatch(const table& t, const std::vector<value_set>& sets) {
    for (const variable& v : t.vars)
        if (offers_aggregations(v, sets)) return 1;
    return 0;
}

int fetch_valuetext2(variable& v, const std::string& vs_path) {
    std::vector<std::string> codes, texts;
    if (!read_lines(vs_path + "c", codes) || !read_lines(vs_path + "n", texts)) return 0;
    return store_texts(v, codes, texts);
}

std::vector<std::string> value_set_files(const std::string& dir, const std::string& domain) {
    std::vector<std::string> out;
    const std::string native = plat::native_path(dir.empty() ? std::string(".") : dir);
    for (const std::string& file : plat::list_files(native, "*.vs")) {
        const std::string path = join_dir(dir, file);
        plat::ini_file ini;
        if (!ini.load(path)) continue;
        for (const std::string& d : numbered(ini, "Domain", value_set_buf))
            if (domain_equal(d, domain)) {
                out.push_back(path);
                break;
            }
    }
    return out;
}

int fetch_valuetext_from(variable& v, const std::string& vs_path) {
    plat::ini_file ini;
    if (!ini.load(plat::native_path(vs_path))) return 0;
    if (get(ini, "Valuecode", "1000", value_set_buf) == line_file_marker) return fetch_valuetext2(v, vs_path);
    return store_texts(v, numbered(ini, "Valuecode", value_set_buf), numbered(ini, "Valuetext", value_set_buf));
}

int fetch_valuetext(variable& v, const std::string& dir) {
    if (!v.domain) return 0;
    const std::vector<std::string> files = value_set_files(dir, *v.domain);
    return files.empty() ? 0 : fetch_valuetext_from(v, files.front());
}

}  // namespace vt
