// The TSD series export arekonv.
//
//     POP1            Population region=North                    name, contents, stub values
//                     Veltra sample of            200301  200501  A1
//        1.200400e+03   1.210000e+03   1.225600e+03              five values a line
//
// The cells are read as tokens from the table file while the series are
// written, so memory holds only the table's keywords.
#include "export/tsd.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/datasec.h"
#include "export/frame.h"
#include "platform/codepage.h"
#include "platform/fsinfo.h"
#include "platform/ini.h"
#include "platform/text.h"

namespace vt {

namespace {

constexpr std::string_view crlf = "\r\n";
constexpr std::size_t name_width = 16;
constexpr std::size_t line_limit = 64;

// One time scale of the TIMEVAL list: its periods rewritten for the file.
struct time_scale {
    std::string scale;
    std::string start, end;
    std::int64_t periods = 0;
};

// "A1" codes gain "01", "Q1" codes become YYYY0Q; false for a quarter code
// too short to rewrite.
bool period_code(const timeval_entry& e, std::string& out) {
    if (e.scale == "A1") {
        out = e.code + "01";
    } else if (e.scale == "Q1") {
        if (e.code.size() < 5) return false;
        out = e.code.substr(0, 4) + "0" + e.code[4];
    } else {
        out = e.code;
    }
    return true;
}

int read_scales(const table& t, std::vector<time_scale>& scales) {
    std::string code;
    for (const timeval_entry& e : t.timeval) {
        if (scales.empty() || e.scale != scales.back().scale) {
            bool known = false;
            for (const time_scale& s : scales) known = known || s.scale == e.scale;
            if (!known) {
                if (scales.size() == 2) return codes::tsd_three_scales;
                scales.push_back({e.scale, {}, {}, 0});
            }
        }
        time_scale* s = &scales.front();
        for (time_scale& c : scales)
            if (c.scale == e.scale) s = &c;
        if (!period_code(e, code)) return codes::tsd_bad_period;
        if (s->periods == 0) s->start = code;
        s->end = code;
        ++s->periods;
    }
    if (scales.empty() || scales.front().periods == 0) return codes::tsd_bad_period;
    return 0;
}

int check_table(const table& t) {
    if (t.timeval.empty()) return codes::tsd_no_timeval;
    if (!t.has_heading()) return codes::tsd_no_time_heading;
    if (t.heading_count() > 1) return codes::tsd_two_headings;
    if (!t.vars[t.heading].is_time) return codes::tsd_no_time_heading;
    return 0;
}

std::string cut(std::string_view s, std::size_t n) { return std::string(s.substr(0, n)); }

std::string padded(std::string s, std::size_t width) {
    if (s.size() < width) s.append(width - s.size(), ' ');
    return s;
}

// The series-name file: the entries for one table file, looked up by the
// selection key of a stub row.
class series_names {
public:
    bool active() const noexcept { return active_; }

    void load(const std::string& path, const std::string& table_file) {
        active_ = true;
        plat::ini_file f;
        f.load(path);
        for (int n = 1;; ++n) {
            const std::string section = "series" + std::to_string(n);
            const std::string file = f.get_string(section, "vtfile", "MISSING", 260);
            if (file == "MISSING") break;
            if (!plat::equal_nocase(file, table_file)) continue;
            entries_.push_back({f.get_string(section, "TSDSelection", "", 1024),
                                f.get_string(section, "SeriesName", "", 80)});
        }
    }

    const std::string* find(std::string_view key) const {
        for (const entry& e : entries_)
            if (plat::equal_nocase(e.selection, key)) return &e.name;
        return nullptr;
    }

private:
    struct entry {
        std::string selection, name;
    };
    bool active_ = false;
    std::vector<entry> entries_;
};

struct series_writer {
    const table& t;
    in_file& in;
    out_file& out;
    bool oem;
    std::string token;
    char buf[64];

    std::string text(std::string s) const {
        if (oem) plat::ansi_to_oem(s);
        return s;
    }

    double next_cell() {
        if (!next_data_token(in, token) || token.empty() || token[0] == '"') return 0;
        return parse_cell_number(token.data(), token.data() + token.size());
    }

    // The values of one series, five a line; `sign_space` lets a minus sign
    // take the place of the third blank.
    void values(std::int64_t n, bool sign_space) {
        for (std::int64_t i = 0; i < n; ++i) {
            const double x = next_cell();
            if (i > 0 && i % 5 == 0) out.write(crlf);
            out.write(sign_space && x < 0 ? "  " : "   ");
            const int len = std::snprintf(buf, sizeof buf, "%e", x);
            out.write(buf, static_cast<std::size_t>(len));
        }
        out.write(crlf);
    }

    void skip(std::int64_t n) {
        for (std::int64_t i = 0; i < n; ++i) next_cell();
    }
};

int convert(const std::string& path, const std::string& path2, int oem, const std::string& series_file,
            int keep_unnamed) {
    // The directory of the input holds the series-name file; "/" separates
    // too.
    const std::size_t slash = path.find_last_of("\\/");
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash);
    const std::string file_name = slash == std::string::npos ? path : path.substr(slash + 1);

    table t = table_new();
    in_file in;
    if (const int rc = read_keywords(path, in, t, codes::cannot_open); rc != 0) return rc;
    if (const int rc = check_table(t); rc != 0) return rc;
    std::vector<time_scale> scales;
    if (const int rc = read_scales(t, scales); rc != 0) return rc;
    if (plat::overwrites_input(path, path2)) return codes::cannot_open;

    series_names names;
    if (series_file.size() > 1)
        names.load(plat::native_path(dir.empty() ? series_file : dir + "\\" + series_file), file_name);

    out_file out;
    if (!open_output(out, path2)) return codes::cannot_open;
    series_writer w{t, in, out, oem == 1, {}, {}};

    const std::size_t nstub = t.stub_count();
    const std::string matrix = t.matrix.value_or("");
    const std::string contents = t.contents.value_or("");
    const std::string source = t.source.empty() ? std::string() : cut(t.source.front(), name_width);
    std::int64_t rows = 1;
    for (std::size_t k = 0; k < nstub; ++k) rows *= t.vars[k].value_count;

    // Names and texts of the stub values are cut harder the more stub
    // variables share the description line.
    const std::size_t name_cut = nstub <= 2 ? std::string::npos : nstub == 3 ? 10 : 6;
    const std::size_t text_cut = nstub <= 2 ? std::string::npos : nstub == 3 ? 10 : 7;
    const std::size_t contents_cut = nstub == 0 ? line_limit : nstub <= 2 ? 21 : 11;

    int decimals = t.decimals;
    long counter = 1;
    for (std::int64_t row = 0; row < rows; ++row) {
        std::string suffix, selection;
        std::int64_t rest = row, inner = rows;
        for (std::size_t k = 0; k < nstub; ++k) {
            const variable& v = t.vars[k];
            inner /= v.value_count;
            const value& val = v.values[static_cast<std::size_t>(rest / inner)];
            rest %= inner;
            const std::string vname = v.name.value_or("");
            suffix += cut(vname, name_cut) + "=" + cut(val.text, text_cut) + " ";
            selection += vname + "=" + (val.code ? *val.code : val.text) + ",";
            if (val.precision > decimals) decimals = val.precision;
        }
        std::string description = cut(contents, contents_cut);
        if (nstub > 0) description = cut(description + " " + suffix, line_limit - name_width);

        for (std::size_t sc = 0; sc < scales.size(); ++sc, ++counter) {
            const time_scale& s = scales[sc];
            std::string name;
            const std::string* found = names.active() ? names.find(selection) : nullptr;
            if (found != nullptr) {
                name = padded(*found, name_width);
            } else if (names.active() && nstub > 0 && keep_unnamed == 0) {
                w.skip(s.periods);
                continue;
            } else {
                name = padded(matrix + std::to_string(counter), name_width);
            }
            out.write(w.text(name + description));
            out.write(crlf);
            out.write(std::string(name_width, ' ') + w.text(padded(source, name_width)) + std::string(12, ' ') +
                      s.start + "  " + s.end + "  " + s.scale.substr(0, 1) + std::to_string(decimals));
            out.write(crlf);
            w.values(s.periods, sc == 0 && nstub > 0);
        }
    }
    return out.close() ? 0 : codes::cannot_open;
}

}  // namespace

int arekonv(const std::string& path, const std::string& path2, int oem, const std::string& series_file,
            int keep_unnamed) noexcept {
    return run_export("arekonv", export_codes{},
                      [&] { return convert(path, path2, oem, series_file, keep_unnamed); });
}

}  // namespace vt
