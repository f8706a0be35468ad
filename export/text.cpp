// The text report writer (TextConv): a table as paginated plain text.
//
// A page of the report looks like this (margin not drawn):
//
//     <empty line>
//                                            <page>.<block>
//     <empty line>
//     Title line(s)
//     <empty line>
//     S blanks | heading field | heading field | ...     one line per label line
//     <margin only>                                      of every heading variable
//     Outer stub label                                   (its own line)
//       Inner stub label  |        cell |        cell   (cells right-aligned)
//     ...<form feed>
//
// S is the width of the stub column. Every data column, heading fields and
// cells alike, is F characters wide, where F is one more than the widest
// thing it has to hold: a heading label line (left-aligned after one blank)
// or a cell (right-aligned, so at least one blank stands before it). F is at
// least N + 1, N being the number width worked out from the largest value,
// the shown decimals, thousands grouping and the note markers; F grows
// further when a cell prints wider than N (a long symbol text, a number
// grouped into more than two separators), so every cell stays in its column
// under its heading.
//
// Tables wider than a line are cut into column blocks; the rows are cut into
// pages, and each page of rows is printed once per block, numbered
// "page.block". When the line length equals the margin the report is one
// unpaginated page instead.
#include "export/text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/cellfmt.h"
#include "core/datasec.h"
#include "core/notes.h"
#include "core/ordered_write.h"
#include "core/outfile.h"
#include "core/table.h"
#include "platform/codepage.h"
#include "platform/ini.h"
#include "export/frame.h"
#include "platform/message.h"
#include "platform/parallel.h"

namespace vt {

namespace {

constexpr std::string_view crlf = "\r\n";

// Label line limits: stub labels are sized for 40 characters at the first
// level and 2 fewer per further level, but printed 2 narrower still (so a
// label sized as one line may print as two); heading labels use 30 for both.
// A partitioned heading variable is at most 27 wide, and shows at most 28
// characters of a part in a field.
constexpr int stub_size_limit = 40;
constexpr int stub_print_limit = 38;
constexpr int heading_limit = 30;
constexpr int partition_limit = 27;
constexpr int partition_field_max = 28;
constexpr int max_margin = 30;

// Cuts a label into lines of at most `limit` characters. A line ends before
// the last blank that lets the line keep its whole last word; a word longer
// than the limit is cut after `limit` characters. The blank at a break is
// dropped, so a continuation line does not start with it.
std::vector<std::string> break_label(std::string_view text, int limit) {
    const std::size_t lim = static_cast<std::size_t>(std::max(limit, 1));
    std::vector<std::string> lines;
    while (true) {
        if (text.size() <= lim) {
            lines.emplace_back(text);
            break;
        }
        std::size_t cut = lim;
        for (std::size_t i = lim; i >= 1; --i) {
            if (text[i] == ' ') {
                cut = i;
                break;
            }
        }
        lines.emplace_back(text.substr(0, cut));
        text.remove_prefix(cut);
        if (!text.empty() && text.front() == ' ') text.remove_prefix(1);
        if (text.empty()) break;
    }
    return lines;
}

// Upper-cases the first byte of a label line that is already in the
// output's code page. OEM text knows only the ASCII letters and the
// accented letters of the Nordic and Western alphabets listed here; ANSI
// text goes through the system's upper-case mapping.
void upper_first(std::string& line, bool oem) {
    if (line.empty()) return;
    unsigned char c = static_cast<unsigned char>(line[0]);
    if (!oem) {
        line[0] = static_cast<char>(plat::ansi_upper(c));
        return;
    }
    static constexpr unsigned char lower[] = {0x82, 0x84, 0x86, 0x91, 0x94, 0x9B, 0xA0,
                                              0xA1, 0xA2, 0xA3, 0xD0, 0xE7, 0xEC};
    static constexpr unsigned char upper[] = {0x90, 0x8E, 0x8F, 0x92, 0x99, 0x9D, 0xB5,
                                              0xD6, 0xE0, 0xE9, 0xD1, 0xE8, 0xED};
    if (c >= 'a' && c <= 'z') {
        c = static_cast<unsigned char>(c - 0x20);
    } else {
        for (std::size_t i = 0; i < sizeof lower; ++i)
            if (c == lower[i]) c = upper[i];
    }
    line[0] = static_cast<char>(c);
}

// A label broken for printing, in the output's code page, first letter
// upper-cased.
std::vector<std::string> print_label(std::string_view text, int limit, bool oem) {
    std::vector<std::string> lines = break_label(text, limit);
    if (oem)
        for (std::string& l : lines) plat::ansi_to_oem(l);
    upper_first(lines.front(), oem);
    return lines;
}

// Width and line count of a variable's labels as the layout sizes them.
struct label_size {
    int width = 0;
    int lines = 1;
};

label_size size_labels(const variable& v, int limit, bool heading) {
    label_size s;
    if (!v.partitions.empty()) {
        // A partitioned variable shows one part per line: the part's name, a
        // blank and the stretch of the value text the part selects.
        int longest = 0;
        for (const value& val : v.values) longest = std::max(longest, static_cast<int>(val.text.size()));
        int widest = 0;
        for (const partition& p : v.partitions) {
            const int name = static_cast<int>(p.text.size());
            const int w = p.length > 0 ? name + p.length + 1 : longest + name - p.start + 2;
            widest = std::max(widest, w);
        }
        s.lines = static_cast<int>(v.partitions.size());
        s.width = std::max(0, std::min(heading ? partition_limit : limit, widest));
        return s;
    }
    for (const value& val : v.values) {
        const std::vector<std::string> lines = break_label(val.text, limit);
        s.lines = std::max(s.lines, static_cast<int>(lines.size()));
        for (const std::string& l : lines) s.width = std::max(s.width, static_cast<int>(l.size()));
    }
    return s;
}

// The stretch of a value text that a partition selects (start counts from 1).
std::string_view part_text(std::string_view text, const partition& p) {
    const std::size_t from = p.start > 1 ? static_cast<std::size_t>(p.start - 1) : 0;
    if (from >= text.size()) return {};
    text.remove_prefix(from);
    if (p.length > 0) return text.substr(0, static_cast<std::size_t>(p.length));
    return text;
}

// A piece of the output, with the conversion to the OEM code page on
// request. The pages are formatted in pieces on several threads at once,
// each into a sink of its own; the scratch strings of the cell writer live
// here too.
struct sink {
    std::string& buf;
    bool oem;
    std::string scratch;
    std::string cell;
    std::string key;

    void raw(std::string_view s) { buf.append(s); }
    void text(std::string_view s) {
        if (!oem) {
            buf.append(s);
            return;
        }
        scratch.assign(s);
        plat::ansi_to_oem(scratch);
        buf.append(scratch);
    }
    void blanks(std::int64_t n) {
        if (n > 0) buf.append(static_cast<std::size_t>(n), ' ');
    }
};

struct options {
    int rowlength = 0;
    int pagelength = 0;
    int margin = 0;
    bool oem = false;
    bool single = false;  // one unpaginated page
    int doublecolumn = 0;
    int completeinfo = 0;
    int noteplace = 0;
    std::string labelfile;
};

struct stub_level {
    const variable* var = nullptr;
    std::int64_t inner = 1;  // rows per value: product of the later stub variables' counts
    int indent = 0;          // 2 blanks per level
    std::vector<std::vector<std::string>> labels;  // per value, printed form
};

struct heading_level {
    const variable* var = nullptr;
    std::int64_t span = 1;    // columns per value: product of the later heading counts
    std::int64_t period = 1;  // span times this variable's count
    int lines = 1;
    std::vector<std::vector<std::string>> labels;  // per value, printed form (not partitioned)
};

// One column block: the columns [first, end).
struct block {
    std::int64_t first = 0;
    std::int64_t end = 0;
};

// A stretch of the pages formatted as one piece: whole pages from `page`,
// whose first row is `start`, up to the page starting at row `end`; or,
// with `blk` >= 0, the rows [start, end) of the page numbered `page` that
// starts at row `page_start`, in column block `blk` (the page's header with
// its first rows, its form feed with its last).
struct page_piece {
    int page = 1;
    int blk = -1;
    std::int64_t page_start = 0;
    std::int64_t start = 0;
    std::int64_t end = 0;
    bool last_rows = false;
};

class report {
public:
    report(table& t, const options& o, const cell_formatter& fmt, const cell_style& style)
        : t_(t), o_(o), fmt_(fmt), style_(style) {}

    // Prepares labels, widths and blocks. Returns false when a page cannot
    // hold its header.
    bool lay_out(const note_markers& markers);
    void write_pages(out_file& file);
    void write_notes(out_file& file);

private:
    void size_stub();
    void size_heading();
    void size_numbers();
    void cut_blocks();
    int header_lines() const;
    std::int64_t page_end(std::int64_t start) const;
    int row_lines(std::int64_t r, bool first) const;
    std::vector<page_piece> cut_pieces() const;

    void write_piece(const page_piece& p, sink& out) const;
    void write_page_rows(int page, int blk, std::int64_t page_start, std::int64_t start, std::int64_t end,
                         bool last_rows, sink& out) const;
    void write_page_header(int page, int blk, sink& out) const;
    void write_title_and_heading(const block& b, sink& out) const;
    void write_heading_line(const heading_level& h, int line, const block& b, sink& out) const;
    void write_row(std::int64_t r, bool first, const block& b, sink& out) const;
    void cell_text(std::int64_t r, std::int64_t c, std::string& out, std::string& key) const;

    void note_line(sink& out, std::string_view s);
    void note_lines(sink& out, const text_list& l);
    void variable_notes(sink& out, const variable& v, bool optional);

    table& t_;
    const options& o_;
    const cell_formatter& fmt_;
    const cell_style& style_;

    std::vector<stub_level> stub_;
    std::vector<heading_level> heading_;
    std::int64_t nrows_ = 1;
    std::int64_t ncols_ = 1;
    std::int64_t S_ = 1;       // stub column width
    std::int64_t N_ = 2;       // number width
    std::int64_t F_ = 3;       // field width of every data column
    std::int64_t line_width_ = 0;
    int decimals_ = 0;         // shown decimals that symbols stand left of
    std::vector<block> blocks_;

    const note_markers* markers_ = nullptr;  // nullptr: no cell has a marker
    std::size_t marker_slot_ = 0;  // widest marker (after the value only)

    int note_count_ = 0;
};

// ---------------------------------------------------------------------------
// Layout.

void report::size_stub() {
    const std::size_t ns = t_.stub_count();
    std::int64_t inner = 1;
    stub_.resize(ns);
    for (std::size_t k = ns; k-- > 0;) {
        stub_[k].inner = inner;
        inner *= std::max(1, t_.vars[k].value_count);
    }
    nrows_ = inner;
    std::int64_t widest = 0;
    for (std::size_t k = 0; k < ns; ++k) {
        stub_level& s = stub_[k];
        s.var = &t_.vars[k];
        s.indent = static_cast<int>(2 * k);
        const label_size size = size_labels(*s.var, stub_size_limit - s.indent, false);
        widest = std::max<std::int64_t>(widest, size.width + s.indent);
        for (const value& val : s.var->values)
            s.labels.push_back(print_label(val.text, stub_print_limit - s.indent, o_.oem));
    }
    S_ = widest + 1;
    // The cells follow the last line of the innermost label; the column is
    // never narrower than that line (its sizing above may have counted
    // shorter lines, as a partitioned variable does).
    if (ns > 0) {
        const stub_level& in = stub_.back();
        for (const auto& lines : in.labels) {
            const std::int64_t last =
                static_cast<std::int64_t>(lines.back().size()) + (lines.size() == 1 ? in.indent : 0);
            S_ = std::max(S_, last + 1);
        }
    }
}

void report::size_heading() {
    const std::size_t first = t_.stub_count();
    const std::size_t nh = t_.heading_count();
    heading_.resize(nh);
    std::int64_t span = 1;
    for (std::size_t h = nh; h-- > 0;) {
        heading_[h].span = span;
        span *= std::max(1, t_.vars[first + h].value_count);
        heading_[h].period = span;
    }
    ncols_ = span;
    std::int64_t widest = 0;
    for (std::size_t h = 0; h < nh; ++h) {
        heading_level& hl = heading_[h];
        hl.var = &t_.vars[first + h];
        const label_size size = size_labels(*hl.var, heading_limit, true);
        hl.lines = size.lines;
        widest = std::max<std::int64_t>(widest, size.width);
        if (hl.var->partitions.empty())
            for (const value& val : hl.var->values)
                hl.labels.push_back(print_label(val.text, heading_limit, o_.oem));
    }
    F_ = widest + 1;
}

// The number width: the digits of the largest number and one more (for a
// sign), at least 2; 2 more for thousands separators; the shown decimals
// and their point; 4 for a note marker. Then the widest printed cell, so
// nothing overflows its field.
void report::size_numbers() {
    // From 7 shown decimals up cells print without decimals. Symbol cells
    // stand left of the decimals, so their printed width depends on these.
    const int shown = shown_decimals_max(t_);
    decimals_ = shown >= 1 && shown <= 6 ? shown : 0;

    // The largest number and the widest printed cell, found piece by piece
    // on all the threads allowed.
    const cell_pieces pieces(nrows_, ncols_);
    std::vector<double> largest_of(pieces.count(), 0);
    std::vector<std::int64_t> widest_of(pieces.count(), 0);
    plat::parallel_for(pieces.count(), plat::thread_count(), [&](std::size_t i) {
        const cell_pieces::span s = pieces.at(i);
        const double* data = t_.data();
        std::string cell, key;
        double largest = 0;
        std::int64_t widest = 0;
        for (std::int64_t r = s.first_row; r < s.end_row; ++r)
            for (std::int64_t c = s.first_col; c < s.end_col; ++c) {
                const double v = data[r * ncols_ + c];
                if (!is_symbol_cell(v) && std::isfinite(v))  // inf would never shrink below 9.5
                    largest = std::max(largest, std::fabs(v));
                cell_text(r, c, cell, key);
                widest = std::max<std::int64_t>(widest, static_cast<std::int64_t>(cell.size()));
            }
        largest_of[i] = largest;
        widest_of[i] = widest;
    });
    double largest = 0;
    std::int64_t widest = 0;
    for (std::size_t i = 0; i < pieces.count(); ++i) {
        largest = std::max(largest, largest_of[i]);
        widest = std::max(widest, widest_of[i]);
    }
    std::int64_t digits = 1;
    for (double m = largest; m >= 9.5; m /= 10) ++digits;
    std::int64_t n = std::max<std::int64_t>(digits + 1, 2);
    if (style_.thousands > 0 && n >= 4) n += 2;
    if (decimals_ > 0) n += decimals_ + 1;
    if (!t_.datanotecell_texts.empty()) n += 4;
    N_ = std::max(n, widest);
    F_ = std::max(F_, N_ + 1);
}

// Columns go into a block while the stub column and the block's fields stay
// below the usable width. A usable width shorter than the stub column counts
// as none; then, or when not even one column fits, one block holds them all.
void report::cut_blocks() {
    std::int64_t usable = o_.single ? 0 : static_cast<std::int64_t>(o_.rowlength) - o_.margin;
    if (usable > 0 && usable < S_) usable = 0;
    if (usable < 1) {
        line_width_ = F_ * ncols_ + S_ + 1;
        blocks_.push_back({0, ncols_});
        return;
    }
    line_width_ = usable;
    if (usable < S_ + F_ + 1) {
        blocks_.push_back({0, ncols_});
        return;
    }
    const std::int64_t per_block = (usable - S_ - 1) / F_;
    for (std::int64_t c = 0; c < ncols_; c += per_block) blocks_.push_back({c, std::min(ncols_, c + per_block)});
}

bool report::lay_out(const note_markers& markers) {
    markers_ = markers.active() ? &markers : nullptr;
    if (markers_ != nullptr && o_.noteplace == 0)
        for (const std::string& s : datanote_symbols()) marker_slot_ = std::max(marker_slot_, s.size());
    size_stub();
    size_heading();
    size_numbers();
    cut_blocks();
    return o_.single || o_.pagelength > header_lines();
}

// Page header (3), titles, the empty line, the heading lines and the line
// that holds only the margin.
int report::header_lines() const {
    int lines = 3 + static_cast<int>(t_.title.size()) + 1 + 1;
    for (const heading_level& h : heading_) lines += h.lines;
    return lines;
}

int report::row_lines(std::int64_t r, bool first) const {
    if (stub_.empty()) return 1;
    int lines = 0;
    for (const stub_level& s : stub_) {
        if (!first && r % s.inner != 0) continue;
        const std::int64_t v = (r / s.inner) % static_cast<std::int64_t>(s.labels.size());
        lines += static_cast<int>(s.labels[static_cast<std::size_t>(v)].size());
    }
    return lines;
}

// The row after the last one that fits on the page starting at `start`.
// A page always takes at least one row, however many lines it needs.
std::int64_t report::page_end(std::int64_t start) const {
    if (o_.single) return nrows_;
    const std::int64_t room = static_cast<std::int64_t>(o_.pagelength) - header_lines();
    std::int64_t used = row_lines(start, true);
    std::int64_t r = start + 1;
    for (; r < nrows_; ++r) {
        const int l = row_lines(r, false);
        if (used + l > room) break;
        used += l;
    }
    return r;
}

// ---------------------------------------------------------------------------
// Pages.

// The pieces the pages are formatted in: runs of whole pages of about a
// piece's cells together, and a page larger than that cut into runs of its
// rows per column block. Only the page breaks are worked out here, from the
// label lines of the rows; the cells are left to the pieces.
std::vector<page_piece> report::cut_pieces() const {
    const std::int64_t budget = cell_pieces::piece_cells();
    std::vector<page_piece> pieces;
    page_piece run;  // whole pages gathered so far
    int page = 1;
    for (std::int64_t start = 0; start < nrows_; ++page) {
        const std::int64_t end = page_end(start);
        const std::int64_t cells = (end - start) * ncols_;
        if (run.end > run.start && (end - run.start) * ncols_ > budget) {
            pieces.push_back(run);
            run = page_piece{};
        }
        if (cells <= budget) {
            if (run.end == run.start) {
                run.page = page;
                run.start = start;
            }
            run.end = end;
        } else {
            for (std::size_t k = 0; k < blocks_.size(); ++k) {
                const std::int64_t width = std::max<std::int64_t>(blocks_[k].end - blocks_[k].first, 1);
                const std::int64_t rows = std::max<std::int64_t>(budget / width, 1);
                for (std::int64_t r = start; r < end; r += rows)
                    pieces.push_back({page, static_cast<int>(k), start, r, std::min(end, r + rows), r + rows >= end});
            }
        }
        start = end;
    }
    if (run.end > run.start) pieces.push_back(run);
    return pieces;
}

// The pages, formatted in pieces on all the threads allowed and written in
// order, so the report is the same for any number of threads.
void report::write_pages(out_file& file) {
    const std::vector<page_piece> pieces = cut_pieces();
    write_in_order(file, pieces.size(), plat::thread_count(), [&](std::size_t i, std::string& buf) {
        sink out{buf, o_.oem, {}, {}, {}};
        write_piece(pieces[i], out);
    });
    if (o_.single) file.write(crlf);
}

void report::write_piece(const page_piece& p, sink& out) const {
    if (p.blk >= 0) {
        write_page_rows(p.page, p.blk, p.page_start, p.start, p.end, p.last_rows, out);
        return;
    }
    int page = p.page;
    for (std::int64_t start = p.start; start < p.end; ++page) {
        const std::int64_t end = page_end(start);
        for (std::size_t k = 0; k < blocks_.size(); ++k)
            write_page_rows(page, static_cast<int>(k), start, start, end, true, out);
        start = end;
    }
}

// Rows [start, end) of the page starting at row `page_start`, in column
// block `blk`: the header first when they are the page's first rows, the
// form feed after them when they are its last.
void report::write_page_rows(int page, int blk, std::int64_t page_start, std::int64_t start, std::int64_t end,
                             bool last_rows, sink& out) const {
    const block& b = blocks_[static_cast<std::size_t>(blk)];
    if (start == page_start) {
        if (!o_.single) write_page_header(page, blk + 1, out);
        write_title_and_heading(b, out);
    }
    for (std::int64_t r = start; r < end; ++r) write_row(r, r == page_start, b, out);
    if (last_rows && !o_.single) out.raw("\f");
}

void report::write_page_header(int page, int blk, sink& out) const {
    out.raw(crlf);
    out.blanks(o_.margin);
    out.blanks(line_width_ - 14);
    out.raw(std::to_string(page) + "." + std::to_string(blk));
    out.raw(crlf);
    out.raw(crlf);
}

void report::write_title_and_heading(const block& b, sink& out) const {
    for (const std::string& s : t_.title) {
        out.blanks(o_.margin);
        out.text(s);
        out.raw(crlf);
    }
    if (o_.single) out.raw("\t");
    out.raw(crlf);
    out.blanks(o_.margin);
    for (const heading_level& h : heading_)
        for (int i = 0; i < h.lines; ++i) {
            write_heading_line(h, i, b, out);
            out.raw(crlf);
            out.blanks(o_.margin);
        }
}

// One line of a heading variable over the columns of a block. A value's
// label stands over the first column of its span, and again over the first
// column of a block that cuts its span.
void report::write_heading_line(const heading_level& h, int line, const block& b, sink& out) const {
    out.blanks(S_);
    const variable& v = *h.var;
    const bool parted = !v.partitions.empty();
    std::string_view previous;
    bool have_previous = false;
    for (std::int64_t j = b.first; j < b.end; ++j) {
        const bool starts = j % h.span == 0 || j == b.first;
        if (!starts) {
            out.blanks(F_);
            continue;
        }
        const std::size_t val = static_cast<std::size_t>((j % h.period) / h.span);
        if (val >= v.values.size()) {
            out.blanks(F_);
            continue;
        }
        std::string field;
        if (parted) {
            const partition& p = v.partitions[static_cast<std::size_t>(line)];
            const std::string_view sel = part_text(v.values[val].text, p);
            // A fixed-length part that repeats the one before it is left out,
            // so runs of the same code are shown once.
            const bool repeat = p.length > 0 && have_previous && sel == previous && j != b.first;
            previous = sel;
            have_previous = true;
            if (!repeat) {
                field = p.text + " ";
                field.append(sel);
                field.resize(std::min<std::size_t>(field.size(), partition_field_max));
                if (o_.oem) plat::ansi_to_oem(field);
            }
        } else {
            const auto& lines = h.labels[val];
            if (static_cast<std::size_t>(line) < lines.size()) field = lines[static_cast<std::size_t>(line)];
        }
        if (field.empty()) {
            out.blanks(F_);
            continue;
        }
        const std::int64_t room = F_ - 1;
        if (static_cast<std::int64_t>(field.size()) > room) field.resize(static_cast<std::size_t>(room));
        out.raw(" ");
        out.raw(field);
        out.blanks(room - static_cast<std::int64_t>(field.size()));
    }
}

void report::write_row(std::int64_t r, bool first, const block& b, sink& out) const {
    if (stub_.empty()) {
        out.raw(crlf);
        out.blanks(o_.margin);
        out.blanks(S_);
    }
    for (std::size_t k = 0; k < stub_.size(); ++k) {
        const stub_level& s = stub_[k];
        if (!first && r % s.inner != 0) continue;
        const auto& lines = s.labels[static_cast<std::size_t>((r / s.inner) % static_cast<std::int64_t>(s.labels.size()))];
        for (std::size_t i = 0; i < lines.size(); ++i) {
            out.raw(crlf);
            out.blanks(o_.margin);
            if (i == 0) out.blanks(s.indent);
            out.raw(lines[i]);
        }
        if (k + 1 == stub_.size()) {
            const std::int64_t used =
                static_cast<std::int64_t>(lines.back().size()) + (lines.size() == 1 ? s.indent : 0);
            out.blanks(S_ - used);
        }
    }
    for (std::int64_t c = b.first; c < b.end; ++c) {
        cell_text(r, c, out.cell, out.key);
        out.blanks(F_ - static_cast<std::int64_t>(out.cell.size()));
        out.text(out.cell);
    }
}

// A cell as printed, without the blanks before it: a number, or a symbol
// text followed by blanks for the decimals so that it stands where the
// integer digits of the numbers end; with its note marker after or before
// it. Markers after the value are padded to the widest one, so the values
// stay aligned.
void report::cell_text(std::int64_t r, std::int64_t c, std::string& out, std::string& key) const {
    const std::int64_t cell = r * ncols_ + c;
    const double v = t_.data()[cell];
    format_cell(fmt_, r, c, v, style_, out);
    if (decimals_ > 0 && is_symbol_cell(v)) out.append(static_cast<std::size_t>(decimals_) + 1, ' ');
    if (markers_ == nullptr) return;
    const std::string* m = markers_->find(cell, key);
    if (o_.noteplace == 1) {
        if (m != nullptr) out.insert(0, *m);
        return;
    }
    const std::size_t base = out.size();
    if (m != nullptr) out += *m;
    if (out.size() < base + marker_slot_) out.resize(base + marker_slot_, ' ');
}

// ---------------------------------------------------------------------------
// Notes.

// One line of the notes part: the margin and the text, without the "#" that
// marked a forced line break (the break has been made). A full page ends
// with a form feed.
void report::note_line(sink& out, std::string_view s) {
    if (!o_.single && note_count_ >= o_.pagelength) {
        out.raw("\f");
        note_count_ = 0;
    }
    if (!s.empty() && s.back() == '#') s.remove_suffix(1);
    out.blanks(o_.margin);
    out.text(s);
    out.raw(crlf);
    ++note_count_;
}

void report::note_lines(sink& out, const text_list& l) {
    for (const std::string& s : l) note_line(out, s);
}

void report::variable_notes(sink& out, const variable& v, bool optional) {
    auto value_has = [optional](const value& val) {
        return !val.valuenotex.empty() || (optional && !val.valuenote.empty());
    };
    const bool any = !v.notex.empty() || (optional && !v.note.empty()) ||
                     std::any_of(v.values.begin(), v.values.end(), value_has);
    if (!any) return;
    std::string name = v.name ? *v.name
                              : (o_.labelfile.empty()
                                     ? std::string("$$SORT")
                                     : plat::ini_get_string(o_.labelfile, "Global", "$$SORT", "$$SORT", 256));
    note_line(out, name + ":");
    note_lines(out, v.notex);
    if (optional) note_lines(out, v.note);
    for (const value& val : v.values) {
        if (!value_has(val)) continue;
        note_line(out, val.text + ":");
        note_lines(out, val.valuenotex);
        if (optional) note_lines(out, val.valuenote);
    }
}

// The notes after the pages: table notes, variable and value notes, the
// cell notes and, at the top level, the contents information. Mandatory
// notes (NOTEX) from level 1, the optional ones (NOTE) from level 2.
void report::write_notes(out_file& file) {
    const int level = o_.completeinfo;
    if (level < 1) return;
    const bool optional = level >= 2;
    const int width = static_cast<int>(std::min<std::int64_t>(line_width_, 1 << 20));
    wrap_notes(t_, width, true);

    std::string text;
    sink out{text, o_.oem, {}, {}, {}};
    out.raw(crlf);
    note_count_ = 1;
    note_lines(out, t_.notex);
    note_line(out, "");
    if (optional) note_lines(out, t_.note);
    for (const variable& v : t_.vars) variable_notes(out, v, optional);

    // The blocks of the shared note writers go through a buffer so they can
    // be converted to the OEM code page like the rest of the report.
    std::string block_text;
    {
        out_file mem(4096);
        mem.open_memory(block_text);
        mem.write(crlf);
        write_cell_notes(t_, mem, width, o_.margin, o_.labelfile, cellnotex_list);
        if (optional) write_cell_notes(t_, mem, width, o_.margin, o_.labelfile, cellnote_list);
        if (level >= 3) write_contents_info(mem, t_, width, o_.margin, o_.labelfile);
        mem.close();
    }
    out.text(block_text);
    file.write(text);
}

// Stub values with a code show the code, three blanks and the text: all of
// them (mode 1) or those of variables marked DOUBLECOLUMN=YES (mode 2).
void apply_double_column(table& t, int mode) {
    if (mode != 1 && mode != 2) return;
    for (std::size_t k = 0; k < t.stub_count(); ++k) {
        variable& v = t.vars[k];
        if (mode == 2 && v.doublecolumn != 1) continue;
        for (value& val : v.values)
            if (val.code) val.text = *val.code + "   " + val.text;
    }
}

int convert(const std::string& infile, const std::string& outfile, const options& o,
            const std::string& decimalpoint, const std::string& symbols, int rounding, int thousand) {
    table t = table_new();
    if (const int rc = load_whole_table(infile, t, codes::text_cannot_open); rc != 0) return rc;
    apply_double_column(t, o.doublecolumn);

    out_file file;
    if (!open_output(file, outfile)) return codes::text_cannot_open;

    note_markers markers;
    markers.prepare(t, infile, outfile);

    const cell_formatter fmt = make_cell_formatter(t, symbols);
    const cell_style style = export_cell_style(t, decimalpoint, rounding, thousand);

    report rep(t, o, fmt, style);
    // A page too short for the report leaves any old output as it was.
    if (!rep.lay_out(markers)) return codes::text_page_too_short;
    rep.write_pages(file);
    rep.write_notes(file);
    return file.close() ? 0 : codes::text_cannot_open;
}

}  // namespace

int TextConv(const std::string& infile, const std::string& outfile, int rowlength, int pagelength,
             int marglength, int oem, const std::string& decimalpoint, const std::string& symbols,
             int doublecolumn, int completeinfo, const std::string& labelfile, int rounding,
             int noteplace, int thousand) noexcept {
    return run_export("TextConv", {codes::text_cannot_open}, [&] {
        options o;
        o.rowlength = rowlength;
        o.pagelength = pagelength;
        o.margin = std::clamp(marglength, 0, max_margin);
        o.oem = oem == 1;
        o.single = rowlength == marglength;
        o.doublecolumn = doublecolumn;
        o.completeinfo = completeinfo;
        o.noteplace = noteplace;
        o.labelfile = labelfile;
        return convert(infile, outfile, o, decimalpoint, symbols, rounding, thousand);
    });
}

}  // namespace vt
