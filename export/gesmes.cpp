// The GESMES/TS export: one UN/EDIFACT interchange holding one message.
//
//     UNA:+.? '                                       service string advice
//     UNB+UNOC:3+sender+receiver+YYMMDD:HHMM+ref++GESMES/TS'
//     UNH+msg+GESMES:2:1:E6'                          counted from here ...
//     ... header segments (BGM, NAD, IDE, CTA, COM, DSI, STS, DTM, GIS)
//     ARR++A:key1:key2:B:20002004:702:1.0:A:F+-:M:F'   one per series
//     FNS+Attributes:10' ...                          attributes on request
//     UNT+count+msg'                                  ... to here
//     UNZ+1+ref'
//
// Free texts of the table go into FTX segments with release characters,
// so a title or note holding a separator cannot end an element early.
#include "export/gesmes.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/cells.h"
#include "core/cellfmt.h"
#include "core/datasec.h"
#include "core/notes.h"
#include "export/clock.h"
#include "export/frame.h"
#include "platform/fsinfo.h"
#include "platform/ini.h"

namespace vt {

namespace {

constexpr std::size_t segment_text_limit = 350;  // characters of free text per FTX segment
constexpr std::size_t component_limit = 70;      // characters of one text component
constexpr int note_width = 70;
constexpr int cell_note_width = 60;

std::string two_digits(int n) {
    std::string s = std::to_string(n % 100);
    return s.size() < 2 ? "0" + s : s;
}

// The message body: counted segments and the FTX text writer.
class message {
public:
    explicit message(out_file& out) : out_(out) {}

    // A segment outside UNH .. UNT.
    void envelope(std::string_view text) {
        out_.write(text);
        out_.write("'\r\n");
    }
    // A segment inside UNH .. UNT.
    void segment(std::string_view text) {
        envelope(text);
        ++count_;
    }
    int count() const noexcept { return count_; }

    // An FTX segment whose text is built by the calls up to ftx_end().
    void ftx_begin() {
        out_.write("FTX+ACM+++");
        ++count_;
        in_segment_ = 0;
        in_line_ = 0;
    }
    // Note strings one after the other: a new segment before a string that
    // would take the segment past its limit, a component break before one
    // that would take the component past its limit, and a final "#" (the
    // note's own line break) as a component break.
    void ftx_strings(const text_list& strings) {
        for (const std::string& s : strings) {
            const bool hash = !s.empty() && s.back() == '#';
            const std::string piece = edifact_release(hash ? s.substr(0, s.size() - 1) : s);
            const std::size_t len = piece.size() + (hash ? 1 : 0);
            if (in_segment_ > 0 && in_segment_ + len > segment_text_limit) {
                out_.write("'\r\nFTX+ACM+++");
                ++count_;
                in_segment_ = 0;
                in_line_ = 0;
            } else if (in_line_ > 0 && in_line_ + len > component_limit) {
                out_.put(':');
                ++in_segment_;
                in_line_ = 0;
            }
            out_.write(piece);
            in_segment_ += piece.size();
            in_line_ += piece.size();
            if (hash) {
                out_.put(':');
                ++in_segment_;
                in_line_ = 0;
            }
        }
    }
    // The writer's own ": " between a mandatory and an optional note.
    void ftx_separator() {
        out_.write(": ");
        in_segment_ += 2;
        in_line_ = 1;
    }
    void ftx_end() { out_.write("'\r\n"); }

    // One whole FTX segment of a single text.
    void ftx_text(const std::string& text) {
        ftx_begin();
        out_.write(edifact_release(text));
        ftx_end();
    }

private:
    out_file& out_;
    int count_ = 0;
    std::size_t in_segment_ = 0;
    std::size_t in_line_ = 0;
};

struct context {
    const table& t;
    const gesmes_settings& s;
    plat::ini_file codes;
    bool has_codes = false;

    // The key of a value: its code (its text without one), mapped through
    // the code file under the variable's name when there is one.
    std::string key(std::size_t var, std::size_t val) const {
        const value& v = t.vars[var].values[val];
        const std::string& own = v.code ? *v.code : v.text;
        if (!has_codes) return own;
        return codes.get_string(t.vars[var].name.value_or(""), own, own, 101);
    }
};

std::string format_code(const table& t) {
    const std::string& scale = t.timeval.front().scale;
    if (scale == "A1") return ":702";
    if (scale == "M1") return ":710";
    if (scale == "Q1") return ":708";
    if (scale == "W1") return ":716";
    return "";
}

std::string preparation_time(const table& t, const clock_reading& now) {
    if (t.creation_date && t.creation_date->size() > 12) {
        const std::string& d = *t.creation_date;
        return d.substr(0, 8) + d.substr(9, 2) + d.substr(12, 2);
    }
    return std::to_string(now.year) + two_digits(now.month) + two_digits(now.day) + two_digits(now.hour) +
           two_digits(now.minute);
}

void write_header(message& m, const context& c, const clock_reading& now) {
    const gesmes_settings& s = c.s;
    const table& t = c.t;
    m.segment("UNH+" + s.message_ref + "+GESMES:2:1:E6");
    m.segment(s.include.starts_with('M') ? "BGM+73" : "BGM+74");
    m.segment("NAD+Z02+" + s.code_list_org);
    m.segment("NAD+MR+" + s.receiver);
    m.segment("NAD+MS+" + s.sender);
    m.segment("IDE+10+" + s.dsn);
    m.segment("CTA+CC+:" + s.contact_name);
    m.segment("COM+" + s.contact_email + ":EM");
    m.segment("DSI+" + s.dsn);
    m.segment("STS+3+7");
    m.segment("DTM+242:" + preparation_time(t, now) + ":203");
    m.segment("DTM+Z02:" + t.timeval.front().code + t.timeval.back().code + format_code(t));
    m.segment("IDE+5+" + s.datastruct);
    m.segment("GIS+AR3");
    m.segment("GIS+1:::-");
}

// One ARR segment per stub combination, first stub variable slowest.
void write_series(message& m, const context& c, cell_formatter& fmt) {
    const table& t = c.t;
    const gesmes_settings& s = c.s;
    const std::size_t nstub = t.stub_count();
    const std::string tail = s.list_b + t.timeval.front().code + t.timeval.back().code + format_code(t) + ":";
    const int precision = stored_decimals(t);
    const double* cells = t.data();
    std::string seg, number;
    for (std::int64_t row = 0; row < fmt.nrows; ++row) {
        seg = "ARR++" + s.list_a;
        std::int64_t rest = row;
        std::int64_t inner = fmt.nrows;
        for (std::size_t k = 0; k < nstub; ++k) {
            inner /= t.vars[k].value_count;
            seg += ':';
            seg += c.key(k, static_cast<std::size_t>(rest / inner));
            rest %= inner;
        }
        seg += ':';
        seg += tail;
        for (std::int64_t col = 0; col < fmt.ncols; ++col) {
            const double x = cells[row * fmt.ncols + col];
            if (col > 0) seg += '+';
            if (is_symbol_cell(x) && !is_nil(x)) {
                const char* token = data_symbol_token(x);
                seg += token != nullptr && std::strcmp(token, "\".\"") == 0 ? "-:M:" : "-:L:";
            } else {
                cell_format(fmt, row, col, x, number, precision, ".", 0);
                seg += number;
                seg += ':';
                seg += s.obs_status;
                seg += ':';
            }
            seg += s.conf;
        }
        m.segment(seg);
    }
}

bool has_any_note(const table& t) {
    const continfo& ci = t.continfos.front();
    if (!t.notex.empty() || !t.note.empty() || !ci.refperiod.empty() || !ci.baseperiod.empty()) return true;
    if (!t.cellnote_texts.empty() || !t.cellnotex_texts.empty()) return true;
    for (const variable& v : t.vars) {
        if (!v.notex.empty() || !v.note.empty()) return true;
        for (const value& val : v.values)
            if (!val.valuenotex.empty() || !val.valuenote.empty()) return true;
    }
    return false;
}

void footnote(message& m, const text_list& mandatory, const text_list& optional) {
    m.segment("REL+Z01+1");
    m.segment("ARR+0");
    m.segment("IDE+Z11+FOOTNOTE");
    m.ftx_begin();
    m.ftx_strings(mandatory);
    m.ftx_separator();
    m.ftx_strings(optional);
    m.ftx_end();
}

// The ARR segment of a cell note: list A, then per variable ":" and the key
// of the value the note names ("*" leaves the key out, and the last
// variable's ":" too); the count is list A's components plus K's.
std::string cell_note_arr(const context& c, const std::vector<const cell_ref_list*>& refs, std::size_t entry) {
    std::string k;
    int components = 0;
    const std::size_t n = c.t.vars.size();
    for (std::size_t v = 0; v < n; ++v) {
        const cell_ref r = entry < refs[v]->size() ? (*refs[v])[entry] : any_value;
        if (r != any_value) {
            k += ':';
            k += c.key(v, static_cast<std::size_t>(r));
            ++components;
        } else if (v + 1 < n) {
            k += ':';
            ++components;
        }
    }
    if (!k.empty() && k.back() == ':') {
        k.pop_back();
        --components;
    }
    return "ARR+" + std::to_string(c.s.arr_var + components) + "+" + c.s.list_a + k;
}

void cell_notes(message& m, const context& c, const text_list& texts, bool mandatory) {
    std::vector<const cell_ref_list*> refs;
    for (const variable& v : c.t.vars) refs.push_back(mandatory ? &v.cellnotex_refs : &v.cellnote_refs);
    for (std::size_t e = 0; e < texts.size(); ++e) {
        m.segment("REL+Z01+4");
        m.segment(cell_note_arr(c, refs, e));
        m.segment("IDE+Z11+FOOTNOTE");
        m.ftx_begin();
        m.ftx_strings(strip_markup(text_list{texts[e]}, cell_note_width));
        m.ftx_end();
    }
}

void write_attributes(message& m, const context& c) {
    const table& t = c.t;
    m.segment("FNS+Attributes:10");
    m.segment("REL+Z01+1");
    m.segment("ARR+0");
    m.segment("IDE+Z11+TITLE");
    m.ftx_text(t.title.empty() ? std::string() : t.title.front());
    if (!has_any_note(t)) return;
    const continfo& ci = t.continfos.front();
    if (!ci.refperiod.empty()) {
        m.segment("REL+Z01+1");
        m.segment("ARR+0");
        m.segment("IDE+Z11+REF_PERIOD");
        m.ftx_text(ci.refperiod.front());
    }
    if (!t.notex.empty() || !t.note.empty()) footnote(m, t.notex, t.note);
    for (const variable& v : t.vars)
        if (!v.notex.empty() || !v.note.empty()) footnote(m, v.notex, v.note);
    const std::size_t nstub = t.stub_count();
    for (std::size_t v = 0; v < t.vars.size(); ++v) {
        for (std::size_t i = 0; i < t.vars[v].values.size(); ++i) {
            const value& val = t.vars[v].values[i];
            if (val.valuenotex.empty() && val.valuenote.empty()) continue;
            std::string arr = "ARR+" + std::to_string(c.s.arr_var + static_cast<int>(v)) + "+";
            if (v == 0) arr.append(static_cast<std::size_t>(c.s.arr_var > 0 ? c.s.arr_var : 0), ':');
            arr += ':';
            for (std::size_t k = 0; k < nstub; ++k) arr += k == v ? c.key(k, i) : std::string(":");
            m.segment("REL+Z01+4");
            m.segment(arr);
            m.segment("IDE+Z11+FOOTNOTE");
            m.ftx_begin();
            m.ftx_strings(val.valuenotex);
            m.ftx_separator();
            m.ftx_strings(val.valuenote);
            m.ftx_end();
        }
    }
    cell_notes(m, c, t.cellnote_texts, false);
    cell_notes(m, c, t.cellnotex_texts, true);
}

int check_time_table(const table& t) {
    if (t.timeval.empty()) return codes::gesmes_no_timeval;
    if (!t.has_heading()) return codes::gesmes_no_heading;
    if (t.heading_count() > 1) return codes::gesmes_two_headings;
    if (!t.vars[t.heading].is_time) return codes::gesmes_not_time;
    return 0;
}

int convert(const std::string& infile, const std::string& outfile, const gesmes_settings& s) {
    table t = table_new();
    {
        in_file in;
        if (const int rc = read_keywords(infile, in, t, codes::cannot_open); rc != 0) return rc;
        if (const int rc = check_time_table(t); rc != 0) return rc;
        if (const int rc = read_data(t, in); rc != 0) return rc;
    }
    if (t.data() == nullptr || static_cast<std::int64_t>(t.data_handle.size()) < count_cells(t.vars))
        return codes::no_data_block;
    wrap_notes(t, note_width, true);

    context c{t, s, {}, false};
    if (!s.code_file.empty()) c.has_codes = c.codes.load(plat::native_path(s.code_file));

    out_file file;
    if (!open_output(file, outfile)) return codes::cannot_open;
    cell_formatter fmt = make_cell_formatter(t);
    const clock_reading now = export_clock_now();

    file.write("UNA:+.? '\r\n");
    message m(file);
    m.envelope("UNB+UNOC:3+" + s.sender + "+" + s.receiver + "+" + two_digits(now.year) + two_digits(now.month) +
               two_digits(now.day) + ":" + two_digits(now.hour) + two_digits(now.minute) + "+" + s.interchange_msg +
               "++GESMES/TS" + (s.test == 1 ? "++++1" : ""));
    write_header(m, c, now);
    write_series(m, c, fmt);
    if (s.include.starts_with('A')) write_attributes(m, c);
    m.segment("UNT+" + std::to_string(m.count() + 1) + "+" + s.message_ref);
    m.envelope("UNZ+" + std::string(s.include.starts_with('T') ? "2+" : "1+") + s.interchange_msg);
    return file.close() ? 0 : codes::cannot_open;
}

}  // namespace

std::string edifact_release(const std::string& text) {
    if (text.find_first_of("?:+'") == std::string::npos) return text;
    std::string out;
    out.reserve(text.size() + 8);
    for (const char ch : text) {
        if (ch == '?' || ch == ':' || ch == '+' || ch == '\'') out.push_back('?');
        out.push_back(ch);
    }
    return out;
}

int gesmes2003(const std::string& infile, const std::string& outfile, const gesmes_settings& s) noexcept {
    return run_export("gesmes2003", export_codes{}, [&] { return convert(infile, outfile, s); });
}

}  // namespace vt
