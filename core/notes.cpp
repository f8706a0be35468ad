// Note texts of a table for the exports: line cutting, markup, the
// data-note index files and the text blocks of contents information and
// cell notes.
#include "core/notes.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/fsinfo.h"
#include "platform/ini.h"

namespace vt {

namespace {

// Smallest width at which a hyphenated piece still consumes a character.
constexpr std::size_t min_width = 2;

std::size_t clamp_width(int width) noexcept {
    return width < static_cast<int>(min_width) ? min_width : static_cast<std::size_t>(width);
}

std::string join(const text_list& list) {
    std::size_t n = 0;
    for (const std::string& s : list) n += s.size();
    std::string out;
    out.reserve(n);
    for (const std::string& s : list) out += s;
    return out;
}

bool is_stop(char c) noexcept { return c == ',' || c == '.'; }

}  // namespace

text_list wrap_text(text_list list, int width) {
    const std::size_t w = clamp_width(width);
    const std::string text = join(list);
    list.clear();

    text_list out;
    std::string_view rest(text);
    while (!rest.empty()) {
        if (rest.size() <= w) {
            const std::size_t hash = rest.find('#');
            if (hash == std::string_view::npos || hash + 1 == rest.size()) {
                out.emplace_back(rest);
                break;
            }
            out.emplace_back(rest.substr(0, hash + 1));
            rest.remove_prefix(hash + 1);
            continue;
        }
        const std::string_view head = rest.substr(0, w);
        if (const std::size_t hash = head.find('#'); hash != std::string_view::npos) {
            out.emplace_back(rest.substr(0, hash + 1));
            rest.remove_prefix(hash + 1);
        } else if (const std::size_t blank = head.rfind(' '); blank != std::string_view::npos) {
            out.emplace_back(rest.substr(0, blank + 1));
            rest.remove_prefix(blank + 1);
        } else if (is_stop(head.back()) || is_stop(rest[w]) || rest[w] == ' ') {
            out.emplace_back(head);
            rest.remove_prefix(w);
            if (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
        } else {
            std::string piece(rest.substr(0, w - 1));
            piece += '-';
            out.push_back(std::move(piece));
            rest.remove_prefix(w - 1);
        }
    }
    return out;
}

// ---------------------------------------------------------------------------
// Markup of note texts.

namespace {

bool is_letter(char c, char upper) noexcept { return c == upper || c == upper - 'A' + 'a'; }

// The replacement of an anchor tag "<A attr='value'>" starting at `lt`:
// the value of its first attribute in parentheses and a blank, so the link
// target stands before the link text that follows. `end` receives the
// position after the tag. False when the tag never closes.
bool convert_anchor(const std::string& s, std::size_t lt, std::string& out, std::size_t& end) {
    const std::size_t gt = s.find('>', lt + 2);
    if (gt == std::string::npos) return false;
    end = gt + 1;
    std::size_t i = s.find('=', lt + 2);
    if (i == std::string::npos || i > gt) return true;  // nothing to show for a bare anchor
    ++i;
    while (i < gt && s[i] == ' ') ++i;
    std::size_t stop = gt;
    if (i < gt && (s[i] == '\'' || s[i] == '"')) {
        const std::size_t close = s.find(s[i], i + 1);
        ++i;
        if (close != std::string::npos && close < gt) stop = close;
    } else {
        const std::size_t blank = s.find(' ', i);
        if (blank != std::string::npos && blank < gt) stop = blank;
    }
    out += '(';
    out.append(s, i, stop - i);
    out += ") ";
    return true;
}

// Converts the tags of `s` from the front (see strip_markup). The first
// "<" that starts no known tag is kept with everything after it.
std::string convert_markup(const std::string& s) {
    std::string out;
    out.reserve(s.size() + 8);
    std::size_t pos = 0;
    auto at = [&s](std::size_t i) noexcept { return i < s.size() ? s[i] : '\0'; };
    for (;;) {
        const std::size_t lt = s.find('<', pos);
        if (lt == std::string::npos) {
            out.append(s, pos);
            return out;
        }
        out.append(s, pos, lt - pos);
        const char c1 = at(lt + 1);
        if (is_letter(c1, 'P') && at(lt + 2) == '>') {
            out += "##";
            pos = lt + 3;
            continue;
        }
        if (c1 == '/') {
            const std::size_t gt = s.find('>', lt + 2);
            if (gt != std::string::npos) {
                pos = gt + 1;
                continue;
            }
        } else if ((is_letter(c1, 'B') || is_letter(c1, 'I')) && at(lt + 2) == '>') {
            pos = lt + 3;
            continue;
        } else if (is_letter(c1, 'A') && at(lt + 2) == ' ') {
            std::size_t end = 0;
            if (convert_anchor(s, lt, out, end)) {
                pos = end;
                continue;
            }
        } else if (is_letter(c1, 'B') && lt + 3 < s.size() && s[lt + 3] == '>') {
            out += '#';
            pos = lt + 4;
            continue;
        }
        out.append(s, lt);
        return out;
    }
}

}  // namespace

text_list strip_markup(text_list list, int width) {
    text_list one;
    one.push_back(convert_markup(join(list)));
    list.clear();
    return wrap_text(std::move(one), width);
}

void wrap_notes(table& t, int width, bool markup) {
    // Base period, source and database stand after a caption, so their
    // lines are kept ten characters shorter.
    const int narrow = width >= 12 ? width - 10 : static_cast<int>(min_width);
    auto cut = [markup](text_list& l, int w) {
        if (l.empty()) return;
        l = markup ? strip_markup(std::move(l), w) : wrap_text(std::move(l), w);
    };
    cut(t.notex, width);
    cut(t.note, width);
    for (variable& v : t.vars) {
        cut(v.notex, width);
        cut(v.note, width);
        for (value& val : v.values) {
            if (!val.valuenotex.empty()) cut(val.valuenotex.edit(), width);
            if (!val.valuenote.empty()) cut(val.valuenote.edit(), width);
        }
    }
    const std::size_t records = t.contvariable ? t.continfos.size() : std::min<std::size_t>(1, t.continfos.size());
    for (std::size_t i = 0; i < records; ++i) {
        continfo& c = t.continfos[i];
        cut(c.contact, width);
        cut(c.refperiod, width);
        cut(c.baseperiod, narrow);
    }
    cut(t.source, narrow);
    cut(t.database, narrow);
}

// ---------------------------------------------------------------------------
// Data-note index files.

std::string notes_file_name(const std::string& output_path) {
    const std::size_t slash = output_path.find_last_of("/\\");
    const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = output_path.rfind('.');
    const std::size_t stem = dot != std::string::npos && dot >= name ? dot : output_path.size();
    return output_path.substr(0, stem) + "notes.txt";
}

std::string symbol_file_name(const std::string& notes_file) { return notes_file + "text.txt"; }

text_list& datanote_symbols() {
    static text_list symbols;
    return symbols;
}

namespace {

// One DATANOTECELL entry: its records (one per variable, in chain order)
// and its symbol.
struct datanote_entry {
    std::vector<const datanotecell*> records;
    const std::string* symbol = nullptr;
};

// Splits the record chain into entries. The reader writes each entry as a
// run of records with rising variable positions, the symbol on the last;
// a position that does not rise starts the next entry.
std::vector<datanote_entry> datanote_entries(const table& t) {
    std::vector<datanote_entry> entries;
    int last = -1;
    for (const datanotecell& rec : t.datanotecells) {
        if (entries.empty() || rec.position <= last) entries.emplace_back();
        entries.back().records.push_back(&rec);
        entries.back().symbol = &rec.symbol;
        last = rec.position;
    }
    return entries;
}

// The value positions of each variable that the entry marks; empty lists
// when the entry covers no cell (a variable without a record, or one whose
// marks name no value).
std::vector<std::vector<std::int64_t>> marked_values(const table& t, const datanote_entry& e) {
    std::vector<std::vector<std::int64_t>> marked(t.vars.size());
    std::vector<bool> seen(t.vars.size(), false);
    for (const datanotecell* rec : e.records) {
        if (rec->position < 0 || static_cast<std::size_t>(rec->position) >= t.vars.size()) continue;
        const std::size_t vi = static_cast<std::size_t>(rec->position);
        const std::size_t n = std::min(rec->marks.size(), t.vars[vi].values.size());
        seen[vi] = true;
        marked[vi].clear();
        for (std::size_t p = 0; p < n; ++p)
            if (rec->marks[p] != 0) marked[vi].push_back(static_cast<std::int64_t>(p));
    }
    for (std::size_t vi = 0; vi < t.vars.size(); ++vi)
        if (!seen[vi] || marked[vi].empty()) return {};
    return marked;
}

// Appends (cell number, note) for every cell the marked values cover, in
// data-matrix order (last variable fastest).
void add_covered_cells(const table& t, const std::vector<std::vector<std::int64_t>>& marked, int note,
                       std::vector<std::pair<std::int64_t, int>>& cells) {
    if (marked.empty()) return;
    const std::size_t n = t.vars.size();
    std::vector<std::int64_t> stride(n, 1);
    for (std::size_t i = n; i-- > 1;)
        stride[i - 1] = stride[i] * static_cast<std::int64_t>(t.vars[i].values.size());
    std::vector<std::size_t> at(n, 0);
    for (;;) {
        std::int64_t cell = 0;
        for (std::size_t i = 0; i < n; ++i) cell += marked[i][at[i]] * stride[i];
        cells.emplace_back(cell, note);
        std::size_t i = n;
        while (i > 0 && ++at[i - 1] == marked[i - 1].size()) at[--i] = 0;
        if (i == 0) return;
    }
}

int symbol_number(text_list& symbols, const std::string& symbol) {
    const auto it = std::find(symbols.begin(), symbols.end(), symbol);
    if (it != symbols.end()) return static_cast<int>(it - symbols.begin()) + 1;
    symbols.push_back(symbol);
    return static_cast<int>(symbols.size());
}

}  // namespace

void list_datanote_symbols(const table& t) {
    text_list& symbols = datanote_symbols();
    symbols.clear();
    for (const datanote_entry& e : datanote_entries(t))
        if (e.symbol != nullptr && !e.symbol->empty()) symbol_number(symbols, *e.symbol);
}

int write_datanote_index(const table& t, const std::string& notes_path) {
    list_datanote_symbols(t);
    text_list& symbols = datanote_symbols();
    const std::string symbol_path = symbol_file_name(notes_path);
    // Old notes of an earlier run would give cells markers they no longer have.
    plat::remove_regular_file(notes_path);
    plat::remove_regular_file(symbol_path);

    int with_symbol = 0;
    std::vector<std::pair<std::int64_t, int>> cells;
    for (const datanote_entry& e : datanote_entries(t)) {
        if (e.symbol == nullptr || e.symbol->empty()) continue;
        ++with_symbol;
        add_covered_cells(t, marked_values(t, e), symbol_number(symbols, *e.symbol), cells);
    }

    // In cell order; of the notes of one cell the one added last wins.
    std::stable_sort(cells.begin(), cells.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string text;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i + 1 < cells.size() && cells[i + 1].first == cells[i].first) continue;
        text += "[cell" + std::to_string(cells[i].first) + "]\r\nnote=" + std::to_string(cells[i].second) +
                "\r\n";
    }
    if (!text.empty()) {
        plat::ini_file notes;
        notes.parse(text);
        notes.save(notes_path);
    }
    if (!symbols.empty()) {
        plat::ini_file sym;
        for (const std::string& s : symbols) sym.set("text", s, "1");  // a symbol that is no valid key is left out
        sym.save(symbol_path);
    }
    return with_symbol;
}

// ---------------------------------------------------------------------------
// Captions from the label file.

namespace {

struct caption {
    const char* section;
    const char* key;
    const char* deflt;
};

constexpr std::size_t caption_buffer = 60;  // keeps at most 59 characters
constexpr std::size_t symbol_buffer = 20;   // keeps at most 19 characters
constexpr std::size_t sort_name_buffer = 256;

constexpr caption cap_lastupdated{"Notes", "Lastupdated", "Lastupdated"};
constexpr caption cap_source{"Notes", "Source", "Source"};
constexpr caption cap_contact{"Notes", "Contact", "Contact"};
constexpr caption cap_copyright{"Notes", "Copyright", "Copyright"};
constexpr caption cap_unit{"labels", "Unit", "Unit"};
constexpr caption cap_stockfa{"Notes", "StockFA", "Datatyp"};
constexpr caption cap_stock_a{"Notes", "StockA", "Average"};
constexpr caption cap_stock_f{"Notes", "StockF", "Flow"};
constexpr caption cap_stock_s{"Notes", "StockS", "Stock"};
constexpr caption cap_refperiod{"Notes", "Refperiod", "Refperiod"};
constexpr caption cap_baseperiod{"Notes", "Baseperiod", "Baseperiod"};
constexpr caption cap_cprices{"Notes", "Cprices", "Cprices"};
constexpr caption cap_fprices{"Notes", "Fprices", "Fprices"};
constexpr caption cap_dayadj{"Notes", "Dayadj", "Dayadj"};
constexpr caption cap_seasadj{"Notes", "Seasadj", "Seasadj"};
constexpr caption cap_database{"Notes", "Database", "Database"};
constexpr caption cap_refkod{"Notes", "Refkod", "Refkod"};
constexpr caption cap_sort_name{"Global", "$$SORT", "$$SORT"};

// The label file, read once per block.
class labels {
public:
    explicit labels(const std::string& path) {
        if (!path.empty()) ini_.load(path);
    }
    std::string operator()(const caption& c, std::size_t buffer = caption_buffer) const {
        return ini_.get_string(c.section, c.key, c.deflt, buffer);
    }

private:
    plat::ini_file ini_;
};

constexpr int max_indent = 30;

std::string indent_blanks(int indent) {
    return std::string(static_cast<std::size_t>(std::clamp(indent, 0, max_indent)), ' ');
}

}  // namespace

std::array<std::string, 8> symbol_texts(const table& t, const std::string& label_file, std::string_view sum_default) {
    const labels caps(label_file);
    std::array<std::string, 8> out;
    auto pick = [&](const opt_string& own, const std::string& key, const std::string& deflt) {
        const caption c{"Global", key.c_str(), deflt.c_str()};
        return own ? *own : caps(c, symbol_buffer);
    };
    for (std::size_t i = 0; i < 6; ++i)
        out[i] = pick(t.datasymbol[i], "Datasymbol" + std::to_string(i + 1), std::string(i + 1, '.'));
    out[6] = pick(t.datasymbolsum, "Datasymbolsum", std::string(sum_default));
    out[7] = pick(t.datasymbolnil, "Datasymbolnil", "-");
    return out;
}

std::string symbol_legend(const table& t, const std::string& label_file) {
    std::string out;
    for (const std::string& s : symbol_texts(t, label_file)) {
        out += s;
        out += ';';
    }
    return out;
}

// ---------------------------------------------------------------------------
// The contents-information block.

namespace {

constexpr std::string_view crlf = "\r\n";

// "YYYYMMDD rest" as "YYYY-MM-DD rest".
std::string long_date(const std::string& d) {
    return d.substr(0, 4) + "-" + d.substr(4, 2) + "-" + d.substr(6, 2) + d.substr(8);
}

std::string_view without_trailing_hash(std::string_view s) noexcept {
    if (!s.empty() && s.back() == '#') s.remove_suffix(1);
    return s;
}

// Writes the block item by item; every item is written only when the table
// has it. With a contents variable most items are given per contents value,
// one line (or group of lines) per contents record that has the item.
class contents_block {
public:
    contents_block(out_file& f, const table& t, int indent, const std::string& label_file)
        : f_(f), t_(t), ind_(indent_blanks(indent)), caps_(label_file), per_content_(t.contvariable.has_value()) {}

    void write() {
        last_updated();
        source();
        contact();
        copyright();
        units();
        stockfa();
        refperiod();
        baseperiod();
        cfprices();
        adjusted(&continfo::dayadj, cap_dayadj);
        adjusted(&continfo::seasadj, cap_seasadj);
        database();
        refkod();
    }

private:
    const continfo* first() const { return t_.continfos.empty() ? nullptr : &t_.continfos.front(); }

    // True when the block is given per contents value and some record has
    // the item.
    template <class Has>
    bool per_record(Has has) const {
        return per_content_ && std::any_of(t_.continfos.begin(), t_.continfos.end(), has);
    }

    void put(std::string_view s) { f_.write(s); }
    void content(const continfo& c) { put(c.content ? std::string_view(*c.content) : std::string_view()); }

    // A short date stands after the indent, a long one is spelled out.
    void date(const std::string& d) {
        if (d.size() < 8) {
            put(ind_);
            put(d);
        } else {
            put(long_date(d));
        }
    }

    void last_updated() {
        auto has = [](const continfo& c) { return c.last_updated.has_value(); };
        if (per_record(has)) {
            put(ind_), put(caps_(cap_lastupdated)), put(crlf);
            for (const continfo& c : t_.continfos) {
                if (!has(c)) continue;
                put(ind_), content(c), put("\t"), date(*c.last_updated), put(crlf);
            }
            put(crlf);
        } else if (first() && has(*first())) {
            put(ind_), put(caps_(cap_lastupdated)), put("\t"), date(*first()->last_updated), put(crlf), put(crlf);
        }
    }

    void source() {
        if (t_.source.empty()) return;
        put(ind_), put(caps_(cap_source)), put("\t");
        for (const std::string& s : t_.source) put(ind_), put(without_trailing_hash(s)), put(crlf), put("\t");
        put(crlf);
    }

    void contact() {
        auto has = [](const continfo& c) { return !c.contact.empty(); };
        if (per_record(has)) {
            const std::string cap = caps_(cap_contact);
            for (const continfo& c : t_.continfos) {
                if (!has(c)) continue;
                put(ind_), put(cap), put("\t"), put(crlf), put(ind_), content(c), put("\t");
                for (const std::string& s : c.contact) put(ind_), put(s), put(crlf), put("\t");
            }
            put(crlf);
        } else if (first() && has(*first())) {
            put(ind_), put(caps_(cap_contact)), put("\t");
            for (const std::string& s : first()->contact) put(ind_), put(s), put(crlf), put("\t");
            put(crlf);
        }
    }

    void copyright() {
        if (t_.copyright == 1) put(ind_), put(caps_(cap_copyright)), put("\t"), put(crlf);
    }

    // Per contents value when the records give units; otherwise the first
    // record's units, else the table's, so a table never loses its unit.
    void units() {
        auto has = [](const continfo& c) { return c.units.has_value(); };
        if (per_record(has)) {
            put(ind_), put(caps_(cap_unit)), put("\t"), put(crlf);
            for (const continfo& c : t_.continfos)
                if (has(c)) put(ind_), content(c), put("\t"), put(*c.units), put(crlf);
            put(crlf);
            return;
        }
        const opt_string& u = first() && has(*first()) ? first()->units : t_.units;
        if (u) put(ind_), put(caps_(cap_unit)), put("\t"), put(*u), put(crlf), put(crlf);
    }

    const caption* stock_caption(char kind) const {
        switch (kind) {
        case 'A': return &cap_stock_a;
        case 'F': return &cap_stock_f;
        case 'S': return &cap_stock_s;
        default: return nullptr;
        }
    }

    void stockfa() {
        auto has = [this](const continfo& c) { return stock_caption(c.stockfa) != nullptr; };
        if (per_record(has)) {
            put(ind_), put(caps_(cap_stockfa)), put("\t"), put(crlf);
            for (const continfo& c : t_.continfos)
                if (has(c)) put(ind_), content(c), put(":\t"), put(caps_(*stock_caption(c.stockfa))), put(crlf);
            put(crlf);
        } else if (first() && has(*first())) {
            put(ind_), put(caps_(cap_stockfa)), put("\t"), put(caps_(*stock_caption(first()->stockfa))), put(crlf),
                put(crlf);
        }
    }

    void refperiod() {
        auto has = [](const continfo& c) { return !c.refperiod.empty(); };
        if (per_record(has)) {
            put(ind_), put(caps_(cap_refperiod)), put(crlf);
            for (const continfo& c : t_.continfos) {
                if (!has(c)) continue;
                put(ind_), content(c), put(":");
                for (const std::string& s : c.refperiod) put("\t"), put(s), put(crlf), put(ind_);
            }
            put(crlf);
        } else if (first() && has(*first())) {
            put(ind_), put(caps_(cap_refperiod)), put("\t");
            for (const std::string& s : first()->refperiod) put(s), put(crlf), put("\t"), put(ind_);
            put(crlf);
        }
    }

    void baseperiod() {
        auto has = [](const continfo& c) { return !c.baseperiod.empty(); };
        if (per_record(has)) {
            put(ind_), put(caps_(cap_baseperiod)), put("\t"), put(crlf);
            for (const continfo& c : t_.continfos) {
                if (!has(c)) continue;
                put(ind_), content(c), put(":\t");
                for (std::size_t i = 0; i < c.baseperiod.size(); ++i) {
                    if (i > 0) put(crlf), put("\t");
                    put(ind_), put(c.baseperiod[i]);
                }
                put(crlf);
            }
            put(crlf);
        } else if (first() && has(*first())) {
            put(ind_), put(caps_(cap_baseperiod)), put("\t");
            for (const std::string& s : first()->baseperiod) put(s), put(crlf), put(ind_), put("\t");
            put(crlf);
        }
    }

    const caption* prices_caption(char kind) const {
        return kind == 'C' ? &cap_cprices : kind == 'F' ? &cap_fprices : nullptr;
    }

    void cfprices() {
        auto has = [this](const continfo& c) { return prices_caption(c.cfprices) != nullptr; };
        if (per_record(has)) {
            for (const continfo& c : t_.continfos)
                if (has(c)) put(ind_), content(c), put(":\t"), put(caps_(*prices_caption(c.cfprices))), put(crlf);
            put(crlf);
        } else if (first() && has(*first())) {
            put(ind_), put(caps_(*prices_caption(first()->cfprices))), put(crlf), put(crlf);
        }
    }

    void adjusted(int continfo::*field, const caption& cap) {
        auto has = [field](const continfo& c) { return c.*field == 1; };
        if (per_record(has)) {
            const std::string text = caps_(cap);
            for (const continfo& c : t_.continfos)
                if (has(c)) put(ind_), content(c), put(":\t"), put(text), put(crlf);
            put(crlf);
        } else if (first() && has(*first())) {
            put(ind_), put(caps_(cap)), put(crlf), put(crlf);
        }
    }

    void database() {
        if (t_.database.empty()) {
            put(crlf);
            return;
        }
        put(ind_), put(caps_(cap_database)), put("\t");
        for (const std::string& s : t_.database) put(ind_), put(without_trailing_hash(s)), put(crlf), put("\t");
        put(crlf);
    }

    void refkod() {
        put(ind_), put(caps_(cap_refkod)), put("\t");
        if (t_.matrix) put(*t_.matrix);
        put(crlf);
    }

    out_file& f_;
    const table& t_;
    const std::string ind_;
    const labels caps_;
    const bool per_content_;
};

}  // namespace

void write_contents_info(out_file& f, const table& t, int /*width: texts come cut by wrap_notes*/, int indent,
                         const std::string& label_file) {
    contents_block(f, t, indent, label_file).write();
}

// ---------------------------------------------------------------------------
// The cell-note block.

void write_cell_notes(const table& t, out_file& f, int width, int indent, const std::string& label_file,
                      int list) {
    if (list != cellnotex_list && list != cellnote_list) return;
    const bool optional = list == cellnote_list;
    const text_list& texts = optional ? t.cellnote_texts : t.cellnotex_texts;
    if (texts.empty()) return;

    const std::string ind = indent_blanks(indent);
    const std::string sort_name = labels(label_file)(cap_sort_name, sort_name_buffer);
    for (std::size_t k = 0; k < texts.size(); ++k) {
        for (const variable& v : t.vars) {
            const cell_ref_list& refs = optional ? v.cellnote_refs : v.cellnotex_refs;
            if (k >= refs.size() || refs[k] < 0 || static_cast<std::size_t>(refs[k]) >= v.values.size()) continue;
            f.write(crlf), f.write(ind), f.write(v.name ? *v.name : sort_name), f.write(": \t");
            f.write(crlf), f.write(ind), f.write(v.values[static_cast<std::size_t>(refs[k])].text), f.write(": \t");
        }
        for (const std::string& piece : strip_markup({texts[k]}, width))
            f.write(ind), f.write(piece), f.write(crlf), f.write("\t");
        f.write(crlf);
    }
}

}  // namespace vt
