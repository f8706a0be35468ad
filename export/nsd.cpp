// The NSD export nsdkonv.
//
//     data   2003 1200 1190 2390          one line per stub value (a year)
//     .VAR   +                            the stub variable and its values,
//            Dyear: year                  then a block per heading
//            2003 2003                    combination (series) with the
//            9999 #                       value range and the decimals
//     .DOK   +                            title and notes per series
//
// Space is counted down from the free bytes of the output's file system as
// the files are written, so a nearly full disk stops the export with 300
// instead of leaving truncated files.
#include "export/nsd.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/cells.h"
#include "core/cellfmt.h"
#include "core/notes.h"
#include "export/frame.h"
#include "platform/fsinfo.h"

namespace vt {

namespace {

constexpr std::string_view crlf = "\r\n";
constexpr std::uint64_t least_at_start = 4000;
constexpr std::uint64_t least_while_writing = 200;
constexpr int note_width = 70;
constexpr const char* missing_code = "999999999";

std::uint64_t file_system_free(const std::string& dir) { return plat::disk_free_bytes(dir); }

free_space_source g_free_space = nullptr;

// The output file plus the space left on its file system.
class counted_file {
public:
    explicit counted_file(std::uint64_t& space) : space_(space) {}
    bool open(const std::string& path) { return open_output(out_, path); }
    void write(std::string_view s) {
        out_.write(s);
        space_ = space_ > s.size() ? space_ - s.size() : 0;
    }
    void line(std::string_view s) {
        write(s);
        write(crlf);
    }
    bool close() { return out_.close(); }

private:
    out_file out_;
    std::uint64_t& space_;
};

std::string cut(std::string_view s, std::size_t n) { return std::string(s.substr(0, n)); }

// The heading combinations in data order: key (codes, or texts, joined by
// blanks) and label (texts joined by blanks).
struct series {
    std::string key, label;
};

std::vector<series> heading_series(const table& t) {
    std::vector<series> out(1);
    for (std::size_t v = t.stub_count(); v < t.vars.size(); ++v) {
        std::vector<series> next;
        for (const series& s : out)
            for (const value& val : t.vars[v].values) {
                const std::string code = val.code ? *val.code : val.text;
                next.push_back({s.key.empty() ? code : s.key + " " + code,
                                s.label.empty() ? val.text : s.label + " " + val.text});
            }
        out = std::move(next);
    }
    return out;
}

// Note lines with a final "#" (a line break of the note) written as a blank.
std::string note_line(std::string s) {
    if (!s.empty() && s.back() == '#') s.back() = ' ';
    return s;
}

void note_lines(counted_file& f, std::string lead, const text_list& a, const text_list& b) {
    bool first = true;
    for (const text_list* list : {&a, &b})
        for (const std::string& s : *list) {
            f.line((first ? lead : std::string()) + note_line(s));
            first = false;
        }
}

void write_documentation(counted_file& f, const table& t, const std::string& stub_name,
                         const std::vector<series>& all, const std::uint64_t& space) {
    f.line("+");
    f.line(cut(t.vars[0].name.value_or(""), 20) + ": " + cut(stub_name, 55));
    if (space < 2000) return;
    for (const series& s : all) {
        f.line("+");
        f.line(cut(s.label, 55));
        for (const std::string& line : t.title) f.line(note_line(line));
        note_lines(f, "", t.notex, t.note);
        for (const variable& v : t.vars) {
            const std::string name = v.name.value_or("");
            if (!v.notex.empty() || !v.note.empty()) note_lines(f, name + ": ", v.notex, v.note);
            for (const value& val : v.values)
                if (!val.valuenotex.empty() || !val.valuenote.empty())
                    note_lines(f, name + "=" + val.text + ": ", val.valuenotex, val.valuenote);
        }
        if (t.units && *t.units != "?") f.line(*t.units);
    }
}

int check_stub(const table& t) {
    if (t.stub_count() != 1) return codes::nsd_stub_count;
    for (const value& v : t.vars[0].values)
        if (v.text.find_first_not_of("0123456789") != std::string::npos) return codes::nsd_stub_not_number;
    return 0;
}

struct outputs {
    std::string data, var, dok;
};

outputs output_names(const std::string& outfile) {
    const std::size_t slash = outfile.find_last_of("\\/");
    const std::size_t dot = outfile.rfind('.');
    const bool has_ext = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string stem = has_ext ? outfile.substr(0, dot) : outfile;
    return {outfile, stem + ".VAR", stem + ".DOK"};
}

std::string directory_of(const std::string& path) {
    const std::string p = plat::native_path(path);
    const std::size_t slash = p.rfind('/');
    return slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : p.substr(0, slash);
}

int convert(const std::string& infile, const std::string& outfile, const std::string& defaultname) {
    table t = table_new();
    if (const int rc = load_whole_table(infile, t, codes::cannot_open); rc != 0) return rc;
    wrap_notes(t, note_width, false);
    if (const int rc = check_stub(t); rc != 0) return rc;
    const outputs out = output_names(outfile);
    for (const std::string* f : {&out.data, &out.var, &out.dok})
        if (plat::overwrites_input(infile, *f)) return codes::cannot_open;

    std::uint64_t space = (g_free_space != nullptr ? g_free_space : file_system_free)(directory_of(outfile));
    if (space < least_at_start) return codes::nsd_no_space;

    const variable& stub = t.vars[0];
    const std::string stub_name = stub.name.value_or(defaultname);
    const std::vector<series> all = heading_series(t);
    cell_formatter fmt = make_cell_formatter(t);
    const int precision = stored_decimals(t);

    // The data file: a line per stub value.
    counted_file data(space);
    if (!data.open(out.data)) return codes::cannot_open;
    double smallest = 0, largest = 0;
    std::string line, number;
    const double* cells = t.data();
    for (std::int64_t row = 0; row < fmt.nrows; ++row) {
        line = std::to_string(std::strtoll(stub.values[static_cast<std::size_t>(row)].text.c_str(), nullptr, 10));
        for (std::int64_t col = 0; col < fmt.ncols; ++col) {
            const double x = cells[row * fmt.ncols + col];
            line += ' ';
            if (is_symbol_cell(x) && !is_nil(x)) {
                line += missing_code;
                continue;
            }
            cell_format(fmt, row, col, x, number, precision, ".", 0);
            line += number;
            smallest = std::min(smallest, x);
            largest = std::max(largest, x);
        }
        data.line(line);
        // The data file begun is dropped: an old one of that name stays.
        if (space < least_while_writing) return codes::nsd_no_space;
    }
    if (!data.close()) return codes::cannot_open;

    // The variable file.
    counted_file var(space);
    if (!var.open(out.var)) return codes::cannot_open;
    var.line("+");
    var.line("D" + cut(stub_name, 20) + ": " + cut(stub_name, 55));
    for (const value& v : stub.values) var.line(cut(v.text, 20) + " " + cut(v.code ? *v.code : v.text, 55));
    var.line("9999 #");
    const std::uint64_t nvalues = stub.values.size();
    if (space >= 20 * nvalues + 95 * all.size()) {
        const long long low = static_cast<long long>(smallest) - (smallest < 0 ? 1 : 0);
        const long long high = static_cast<long long>(largest) + 1;
        for (const series& s : all) {
            var.line("+");
            var.line(cut(s.key, 20) + ":" + cut(s.label, 55));
            var.line(std::to_string(low));
            var.line(std::to_string(high));
            var.line(std::to_string(t.decimals));
            var.line("999999999 #");
        }
    }
    if (!var.close()) return codes::cannot_open;

    // The documentation file, when its share of space is there.
    if (space >= least_while_writing * (nvalues + all.size())) {
        counted_file dok(space);
        if (!dok.open(out.dok)) return codes::cannot_open;
        write_documentation(dok, t, stub_name, all, space);
        if (!dok.close()) return codes::cannot_open;
    }
    return 0;
}

}  // namespace

free_space_source set_nsd_free_space(free_space_source source) noexcept {
    const free_space_source old = g_free_space;
    g_free_space = source;
    return old;
}

int nsdkonv(const std::string& infile, const std::string& outfile, const std::string& defaultname) noexcept {
    return run_export("nsdkonv", export_codes{}, [&] { return convert(infile, outfile, defaultname); });
}

}  // namespace vt
