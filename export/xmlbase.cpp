// The shared start and the CDATA data block of the XML exports.
#include "export/xmlbase.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/cells.h"
#include "core/cellfmt.h"
#include "core/codes.h"
#include "core/datasec.h"
#include "core/numfmt.h"
#include "core/ordered_write.h"
#include "core/reader.h"
#include "core/tokens.h"
#include "export/frame.h"
#include "export/markup.h"
#include "platform/fsinfo.h"
#include "platform/parallel.h"

namespace vt {

namespace {

bool keyed(const table& t) noexcept { return t.stub_count() > 0 && t.vars.front().keys_mode != 0; }

// The CDATA lines: a line ends after every row of cells and as soon as it
// has grown beyond this many characters.
constexpr std::size_t cdata_line_limit = 32730;

class cdata_lines {
public:
    cdata_lines(out_file& out, std::int64_t row_length) : out_(out), row_length_(row_length) {}

    // One token with what follows it ('\0': nothing).
    void put(std::string_view token, char after) {
        // A "]]>" inside a token would end the block early: it is split
        // over two blocks, which read back as the same text.
        for (std::size_t k; (k = token.find("]]>")) != std::string_view::npos; token.remove_prefix(k + 2)) {
            out_.write(token.substr(0, k + 2));
            out_.write("]]><![CDATA[");
        }
        out_.write(token);
        if (after != '\0') out_.put(after);
        line_ += token.size() + 1;
        if (++column_ == row_length_) {
            column_ = 0;
            new_line();
        } else if (line_ > cdata_line_limit) {
            new_line();
        }
    }

private:
    void new_line() {
        out_.write("\r\n");
        line_ = 0;
    }

    out_file& out_;
    std::int64_t row_length_;
    std::int64_t column_ = 0;
    std::size_t line_ = 0;
};

void copy_tokens(in_file& in, cdata_lines& lines, std::int64_t cells) {
    data_tokens tokens(in);
    std::string_view tok;
    char term = '\0';
    for (std::int64_t n = 0; n < cells && tokens.next(tok, term); ++n) {
        if (tok.size() >= 2 && tok[0] == '"' && tok[1] == '"') {
            lines.put(tok.substr(1, tok.size() - 2), ' ');
            continue;
        }
        lines.put(tok, term == ',' || term == ';' ? ' ' : term);
    }
}

void write_cells(const table& t, cdata_lines& lines, std::int64_t cells) {
    const int decimals = stored_decimals(t);
    const double* data = t.data();
    char buf[format_fixed_max];
    for (std::int64_t n = 0; n < cells; ++n) {
        if (const char* sym = data_symbol_token(data[n]))
            lines.put(sym, ' ');
        else
            lines.put(std::string_view(buf, format_fixed(buf, data[n], decimals)), ' ');
    }
}

}  // namespace

int open_xml_source(const std::string& infile, const std::string& outfile, xml_source& s, out_file& out,
                    bool with_cells, std::string_view language) {
    {
        reader_language_scope scope(language);
        scope.restore_only_untaken();
        if (const int rc = read_keywords(infile, s.in, s.t, codes::cannot_open); rc != 0) return rc;
    }
    for (const variable& v : s.t.vars) s.keys_modes.push_back(v.keys_mode);
    if (plat::overwrites_input(infile, outfile)) return codes::cannot_open;
    if (with_cells && keyed(s.t)) {
        if (const int rc = load_cells(s); rc != 0) return rc;
        s.in.close();
    }
    return open_output(out, outfile) ? 0 : codes::cannot_open;
}

int load_cells(xml_source& s) {
    if (s.in_memory) return 0;
    const int rc = read_data(s.t, s.in);
    if (rc == 0) s.in_memory = true;
    return rc;
}

void cdata_block(xml_source& s, out_file& out) {
    const table& t = s.t;
    std::int64_t row_length = 1;
    for (std::size_t k = t.stub_count(); k < t.vars.size(); ++k) row_length *= t.vars[k].value_count;
    const std::int64_t cells = count_cells(t.vars);
    out.write("<![CDATA[");
    cdata_lines lines(out, row_length);
    if (s.in_memory)
        write_cells(t, lines, cells);
    else
        copy_tokens(s.in, lines, cells);
    out.write("]]>");
}

void write_joined(out_file& out, const text_list& list, bool escaped, std::string_view separator) {
    bool first = true;
    for (const std::string& s : list) {
        if (!first) out.write(separator);
        first = false;
        if (escaped)
            xml_escape(out, s);
        else
            out.write(s);
    }
}

}  // namespace vt

namespace vt {

// The pieces of the earlier variables change only when a later one wraps
// round, so they are kept joined and rebuilt then; a cell costs the joined
// prefix, the last variable's piece and its number.
void write_cell_list(const table& t, const cell_list_form& form, out_file& out) {
    const double* data = t.data();
    const std::size_t nvars = t.vars.size();
    if (data == nullptr || nvars == 0) return;
    const std::int64_t cells = count_cells(t.vars);
    if (cells <= 0) return;
    const int decimals = stored_decimals(t);
    const std::vector<std::string>& last = form.pieces[nvars - 1];
    const int last_count = t.vars[nvars - 1].value_count;
    constexpr std::string_view end = "</cell>\r\n";
    auto put = [](char* w, std::string_view s) noexcept {
        std::memcpy(w, s.data(), s.size());
        return w + s.size();
    };
    // The cells are cut into pieces formatted on all the threads allowed and
    // written in order; each piece starts its odometer at its first cell.
    const std::int64_t piece_cells = cell_pieces::piece_cells();
    const auto count = static_cast<std::size_t>((cells + piece_cells - 1) / piece_cells);
    write_in_order(out, count, plat::thread_count(), [&](std::size_t i, std::string& buf) {
        const std::int64_t first = static_cast<std::int64_t>(i) * piece_cells;
        const std::int64_t stop = std::min(cells, first + piece_cells);
        std::vector<int> at(nvars, 0);
        std::int64_t rest = first;
        for (std::size_t k = nvars; k-- > 0;) {
            const std::int64_t n = t.vars[k].value_count;
            at[k] = static_cast<int>(rest % n);
            rest /= n;
        }
        std::string prefix;
        auto rebuild = [&] {
            prefix = form.open;
            for (std::size_t k = 0; k + 1 < nvars; ++k) prefix += form.pieces[k][static_cast<std::size_t>(at[k])];
        };
        rebuild();
        for (std::int64_t n = first; n < stop; ++n) {
            const double x = data[n];
            if (x != 0.0) {
                // One line is written straight into the piece's buffer.
                const std::string& piece = last[static_cast<std::size_t>(at[nvars - 1])];
                const std::size_t old = buf.size();
                buf.resize(old + prefix.size() + piece.size() + form.close.size() + format_fixed_max + end.size());
                char* const start = buf.data() + old;
                char* w = put(put(put(start, prefix), piece), form.close);
                if (const char* sym = data_symbol_token(x)) {
                    const std::string_view s(sym);
                    w = put(w, form.quoted_symbols ? s : s.substr(1, s.size() - 2));
                } else {
                    w += format_fixed(w, x, decimals);
                }
                w = put(w, end);
                buf.resize(old + static_cast<std::size_t>(w - start));
            }
            if (++at[nvars - 1] < last_count) continue;
            // The odometer: the last variable wrapped, carry into the earlier ones.
            std::size_t k = nvars - 1;
            at[k] = 0;
            while (k > 0 && ++at[k - 1] == t.vars[k - 1].value_count) at[--k] = 0;
            rebuild();
        }
    });
}

}  // namespace vt
