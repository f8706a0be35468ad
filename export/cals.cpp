// The CALS table of the statinfo export: the stub variables as leading
// columns, each heading variable as two header rows (its name, its values)
// spanning the columns below them, a body row per stub row with its cells,
// and the data-note symbols as footnotes.
//
//     <statdata><tgroup cols="j+W">
//     <colspec colname="1" colnum="1" hierarchylevel="0" />   per column
//     <thead> <row hierarchylevel="0"> stub names (morerows), first heading name
//             <row hierarchylevel="1"> its values ...            2f rows in all
//     <tbody> <row><entry morerows="..">outer stub</entry><entry>inner</entry><entry>cell</entry>...</row>
//     </tgroup> <footnotes> ... </statdata>
#include <cstdint>
#include <optional>
#include <string>

#include "core/cells.h"
#include "core/cellfmt.h"
#include "core/datasec.h"
#include "core/tokens.h"
#include "export/xdf_doc.h"

namespace vt::xdf {

namespace {

// The cells of the body, one after the other, from the input's tokens or
// from memory: a data symbol as its text without quotes, a number as the
// cell formatting prints it for its row and column.
class body_cells {
public:
    explicit body_cells(doc& d)
        : d_(d), fmt_(make_cell_formatter(d.t)), precision_(stored_decimals(d.t)), total_(count_cells(d.t.vars)) {
        if (!d.s.in_memory) tokens_.emplace(d.s.in);
    }

    // The next cell's text; false when the cells have run out.
    bool next(std::string& text) {
        if (counter_ >= total_) return false;
        double x = 0;
        if (tokens_) {
            std::string_view tok;
            char term = '\0';
            if (!tokens_->next(tok, term)) return false;
            if (!tok.empty() && tok[0] == '"') {
                text.assign(tok.size() >= 2 ? tok.substr(1, tok.size() - 2) : std::string_view());
                step();
                return true;
            }
            x = parse_cell_number(tok.data(), tok.data() + tok.size());
        } else {
            x = d_.t.data()[counter_];
            if (const char* sym = data_symbol_token(x)) {
                const std::string_view s(sym);
                text.assign(s.substr(1, s.size() - 2));
                step();
                return true;
            }
        }
        cell_format(fmt_, row_, column_, x, text, precision_, ".", d_.rounding);
        step();
        return true;
    }

private:
    void step() noexcept {
        ++counter_;
        if (++column_ == fmt_.ncols) {
            column_ = 0;
            ++row_;
        }
    }

    doc& d_;
    cell_formatter fmt_;
    int precision_;
    std::int64_t total_;
    std::int64_t counter_ = 0;
    std::int64_t row_ = 0;
    std::int64_t column_ = 0;
    std::optional<data_tokens> tokens_;
};

struct cals {
    doc& d;
    std::size_t j;      // stub variables
    std::int64_t W;     // data columns
    std::int64_t cols;  // all columns
};

// Names and value texts are escaped like every other text of the document:
// written as they stand, one "&" or "<" would leave a document no parser
// accepts.
void para(cals& c, std::string_view text) { c.d.lang_element("para", text); }

void metadataref(cals& c, const std::string& linkend, const std::string& procmeta) {
    c.d.w.raw_element("metadataref", "*", {{"linkend", linkend}, {"procmetaIdRef", procmeta}});
}

// A variable's name entry in the header: its name and where its metadata is.
void name_entry(cals& c, std::size_t n, markup_writer::attributes attrs) {
    c.d.w.start_tag("entry", attrs);
    para(c, name_or_sort(c.d.t.vars[n]));
    metadataref(c, var_id(n), "vtvar" + std::to_string(n + 1));
    c.d.w.line("</entry>");
}

void value_row(cals& c, std::size_t n, int level, std::int64_t& spans) {
    const table& t = c.d.t;
    const variable& v = t.vars[n];
    const bool last = n + 1 == t.vars.size();
    const bool contents = c.d.is_contvariable(v);
    c.d.w.start_tag("row", {{"hierarchylevel", std::to_string(level)}});
    std::int64_t m = 0;
    for (std::int64_t s = 0; s < spans; ++s)
        for (const value& val : v.values) {
            const std::int64_t col = static_cast<std::int64_t>(c.j) + 1 + m * v.stride;
            const std::string cs = std::to_string(col);
            if (last)
                c.d.w.start_tag("entry", {{"colname", cs}});
            else
                c.d.w.start_tag("entry", {{"colname", cs}, {"namest", cs}, {"nameend", std::to_string(col + v.stride - 1)}});
            para(c, val.text);
            if (contents && s == 0)
                metadataref(c, var_id(n) + "_" + std::to_string(m + 1),
                            "vtvar" + std::to_string(n + 1) + "vtval" + std::to_string(m + 1));
            c.d.w.line("</entry>");
            ++m;
        }
    spans = m;
    c.d.w.line("</row>");
}

void header(cals& c) {
    const table& t = c.d.t;
    const std::size_t f = t.heading_count();
    const std::string last_col = std::to_string(c.cols);
    c.d.w.line("<thead>");
    c.d.w.line("<row hierarchylevel=\"0\">");
    for (std::size_t k = 0; k < c.j; ++k)
        name_entry(c, k, {{"colname", std::to_string(k + 1)}, {"morerows", std::to_string(2 * static_cast<long long>(f) - 1)}});
    if (f > 0) {
        const std::string first = std::to_string(c.j + 1);
        name_entry(c, c.j, {{"colname", first}, {"namest", first}, {"nameend", last_col}});
    }
    c.d.w.line("</row>");
    std::int64_t spans = 1;
    int level = 0;
    for (std::size_t h = 0; h < f; ++h) {
        const std::size_t n = c.j + h;
        const variable& v = t.vars[n];
        ++level;
        if (h > 0) {
            c.d.w.start_tag("row", {{"hierarchylevel", std::to_string(level)}});
            std::int64_t b = static_cast<std::int64_t>(c.j) + 1;
            for (std::int64_t s = 0; s < spans; ++s) {
                const std::int64_t e = spans == 1 ? c.cols : b + v.stride * v.value_count - 1;
                const std::string bs = std::to_string(b);
                name_entry(c, n, {{"colname", bs}, {"namest", bs}, {"nameend", std::to_string(e)}});
                b = e + 1;
            }
            c.d.w.line("</row>");
            ++level;
        }
        value_row(c, n, level, spans);
    }
    c.d.w.line("</thead>");
}

// The data entries of one body row; false when the cells ran out.
bool data_entries(cals& c, body_cells& cells, std::string& text) {
    out_file& o = c.d.w.out();
    for (std::int64_t k = 0; k < c.W; ++k) {
        if (!cells.next(text)) return false;
        o.write("<entry>");
        o.write(text);
        o.write("</entry>\r\n");
    }
    return true;
}

// The rows below stub variable k: an outer value's entry spans the rows of
// the inner values (morerows) and shares its row with the first of them.
bool stub_rows(cals& c, std::size_t k, body_cells& cells, std::string& text) {
    const table& t = c.d.t;
    const variable& v = t.vars[k];
    const bool last = k + 1 == c.j;
    std::int64_t below = 1;
    for (std::size_t i = k + 1; i < c.j; ++i) below *= t.vars[i].value_count;
    for (std::size_t vi = 0; vi < v.values.size(); ++vi) {
        if (!last) {
            if (k == 0 || vi > 0) c.d.w.line("<row>");
            c.d.w.start_tag("entry", {{"morerows", std::to_string(below - 1)}});
        } else {
            if (vi > 0 || c.j == 1) c.d.w.line("<row>");
            c.d.w.line("<entry>");
        }
        para(c, v.values[vi].text);
        c.d.w.line("</entry>");
        if (!last) {
            if (!stub_rows(c, k + 1, cells, text)) return false;
            continue;
        }
        const bool complete = data_entries(c, cells, text);
        // A row whose cells ran out is closed all the same, so the table
        // stays well-formed; the body ends there.
        c.d.w.line("</row>");
        if (!complete) return false;
    }
    return true;
}

void body(cals& c) {
    body_cells cells(c.d);
    std::string text;
    c.d.w.line("<tbody>");
    if (c.j == 0) {
        c.d.w.line("<row>");
        data_entries(c, cells, text);
        c.d.w.line("</row>");
    } else {
        stub_rows(c, 0, cells, text);
    }
    c.d.w.line("</tbody>");
}

void footnotes(cals& c) {
    const table& t = c.d.t;
    if (t.vars.empty() || t.vars.front().datanotecell_refs.empty()) return;
    c.d.w.line("<footnotes>");
    for (std::size_t n = 0; n < t.datanotecell_texts.size(); ++n) {
        c.d.w.start_tag("footnote", {{"id", "note" + std::to_string(n + 1)}});
        c.d.w.line("<notegrp dataNote=\"1\">");
        c.d.w.raw_element("note", std::string_view(t.datanotecell_texts[n]).substr(0, 20), {{"xml:lang", c.d.lang}});
        c.d.w.line("</notegrp>");
        c.d.w.line("</footnote>");
    }
    c.d.w.line("</footnotes>");
}

}  // namespace

void write_cals(doc& d) {
    table& t = d.s.t;
    compute_strides(t.vars);
    std::int64_t width = 1;
    for (std::size_t k = t.stub_count(); k < t.vars.size(); ++k) width *= t.vars[k].value_count;
    cals c{d, t.stub_count(), width, static_cast<std::int64_t>(t.stub_count()) + width};
    d.w.line("<statdata>");
    d.w.start_tag("tgroup", {{"cols", std::to_string(c.cols)}});
    for (std::int64_t k = 1; k <= c.cols; ++k) {
        const std::string ks = std::to_string(k);
        d.w.raw("<colspec colname=\"" + ks + "\" colnum=\"" + ks + "\"");
        d.w.line(k <= static_cast<std::int64_t>(c.j) ? " hierarchylevel=\"" + std::to_string(k - 1) + "\" />" : " />");
    }
    header(c);
    body(c);
    d.w.line("</tgroup>");
    footnotes(c);
    d.w.line("</statdata>");
}

}  // namespace vt::xdf
