// The data section of a table file: the cell readers (full and keyed form)
// and the data writer dsave.
//
// Design notes. Every reader works on the open file's buffered window
// (in_file::window_begin/end) through a small cursor, so the steady state
// is a plain loop over bytes: no call per character, no copy of the
// section, the cells stored straight into the data block. A token is only
// gathered into a side buffer when it is split by a line break or by the
// end of the window. The writers format into the output buffer through
// reserve()/commit(). Copying from the input streams token by token, so its
// memory does not grow with the table.
//
// Before a copy, dsave looks at the first key of the input's data section:
// by then msave has set the variables' keys_mode for the output, so they no
// longer tell how the input was written. The bytes looked at are handed
// back to the cursor, so every path still sees the section from its start.
#include "core/datasec.h"

#include <algorithm>
#include <bit>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/cells.h"
#include "core/codes.h"
#include "core/numfmt.h"
#include "core/ordered_write.h"
#include "core/tokens.h"
#include "core/writer.h"
#include "platform/message.h"
#include "platform/parallel.h"

namespace vt {

namespace {

int g_last_error = 0;  // the one place the last keyed-read failure is kept

// ---------------------------------------------------------------------------
// Byte classes of the data section.

enum : unsigned char {
    k_token = 0,  // part of a token
    k_blank = 1,  // blank or tab: ends a token
    k_punct = 2,  // "," or ";": ends a token
    k_break = 3,  // line break: dropped inside a token, skipped between tokens
};

struct byte_classes {
    unsigned char c[256] = {};
    constexpr byte_classes() {
        c[static_cast<unsigned char>(' ')] = k_blank;
        c[static_cast<unsigned char>('\t')] = k_blank;
        c[static_cast<unsigned char>(',')] = k_punct;
        c[static_cast<unsigned char>(';')] = k_punct;
        c[static_cast<unsigned char>('\n')] = k_break;
        // A CR that is not part of a CR LF pair is a line break as well.
        c[static_cast<unsigned char>('\r')] = k_break;
    }
};
constexpr byte_classes classes;

inline unsigned char cls(char ch) noexcept { return classes.c[static_cast<unsigned char>(ch)]; }
inline bool is_token(char ch) noexcept { return cls(ch) == k_token; }
inline bool is_space(char ch) noexcept { return cls(ch) == k_blank || cls(ch) == k_break; }
inline bool is_separator(char ch) noexcept { return cls(ch) != k_token; }

// ---------------------------------------------------------------------------
// The cursor: the unread bytes, first any handed back, then the file's
// window. p and e are open for the hot loops; next() moves on once p == e.

class cursor {
public:
    explicit cursor(in_file& f) noexcept : f_(f), p(f.window_begin()), e(f.window_end()) {}
    ~cursor() { sync(); }
    cursor(const cursor&) = delete;
    cursor& operator=(const cursor&) = delete;

    // Loads the next stretch; false at the end of the input.
    bool next() noexcept {
        if (from_pending_) {
            from_pending_ = false;
            p = f_.window_begin();
            e = f_.window_end();
            if (p < e) return true;
        } else {
            f_.advance(static_cast<std::size_t>(e - f_.window_begin()));
        }
        if (!f_.refill()) {
            p = e = f_.window_end();
            return false;
        }
        p = f_.window_begin();
        e = f_.window_end();
        return true;
    }

    // Puts bytes already taken back in front of the unread ones.
    void push_back(std::string bytes) {
        if (bytes.empty()) return;
        if (from_pending_) bytes.append(p, e);  // still inside an earlier hand-back
        sync();
        pending_ = std::move(bytes);
        from_pending_ = true;
        p = pending_.data();
        e = p + pending_.size();
    }

    // Hands the file what was taken from its window. (A cursor that ends
    // inside a hand-back leaves the file after the bytes handed back.)
    void sync() noexcept {
        if (!from_pending_) f_.advance(static_cast<std::size_t>(p - f_.window_begin()));
    }

private:
    in_file& f_;
    std::string pending_;
    bool from_pending_ = false;

public:
    const char* p;
    const char* e;
};

// Skips blanks, tabs and line breaks (with_punct: also "," and ";").
// False at the end of the input.
template <class Cursor>
bool skip(Cursor& c, bool with_punct) noexcept {
    for (;;) {
        const char* p = c.p;
        const char* e = c.e;
        if (with_punct)
            while (p < e && is_separator(*p)) ++p;
        else
            while (p < e && is_space(*p)) ++p;
        c.p = p;
        if (p < e) return true;
        if (!c.next()) return false;
    }
}

// The token the cursor stands at, up to (not including) its terminator;
// line breaks inside are dropped. Usually a view of the window; a token
// split by a line break or by the end of the window is gathered in
// scratch. At the end of the input the token simply ends.
// A token's value is fixed once the number conversion meets a byte no
// number can hold (a NUL, most punctuation): it stops there. Such a byte in
// the bytes `piece` of an unquoted token tells that the rest of the token
// need not be kept, so a token of megabytes of junk costs no more than
// blanks.
bool stops_number(std::string_view piece) noexcept {
    for (const char ch : piece) {
        const auto b = static_cast<unsigned char>(ch);
        const bool in_number = (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
                               b == '+' || b == '-' || b == '.' || b == '(' || b == ')' || b == '_' ||
                               b == '\v' || b == '\f';  // the conversion skips leading white space
        if (!in_number) return true;
    }
    return false;
}

// A quoted token longer than this reads as 0 whatever follows (the longest
// data symbol is nine bytes with its quotes).
constexpr std::size_t longest_quoted = 16;

template <class Cursor>
std::string_view take_token(Cursor& c, std::string& scratch) {
    const char* s = c.p;
    const char* p = s;
    const char* e = c.e;
    while (p < e && is_token(*p)) ++p;
    c.p = p;
    if (p < e && cls(*p) != k_break) return {s, static_cast<std::size_t>(p - s)};
    scratch.assign(s, p);
    auto decided_by = [&](std::size_t from) {
        return scratch.empty() ? false
               : scratch[0] == '"' ? scratch.size() > longest_quoted
                                   : stops_number(std::string_view(scratch).substr(from));
    };
    bool decided = decided_by(0);
    for (;;) {
        if (c.p < c.e) {
            if (cls(*c.p) == k_break) {
                ++c.p;
                continue;
            }
            if (!is_token(*c.p)) break;
            s = c.p;
            while (c.p < c.e && is_token(*c.p)) ++c.p;
            if (!decided) {
                const std::size_t from = scratch.size();
                scratch.append(s, c.p);
                decided = decided_by(from);
            }
            continue;
        }
        if (!c.next()) break;
    }
    return scratch;
}

// ---------------------------------------------------------------------------
// Cell values.

constexpr double exact_pow10[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// strtod in the "C" locale, whatever locale the host program has set.
double c_strtod(const char* s) noexcept {
    static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c_locale ? strtod_l(s, nullptr, c_locale) : std::strtod(s, nullptr);
}

// Everything the fast path does not take: exponents, hexadecimal, inf and
// nan, long mantissas, trailing junk, no digits at all.
double parse_slow(const char* b, const char* e) noexcept {
    // The conversion stops at a NUL byte as at the end of the text, so the
    // rest of a token of junk is never copied.
    if (const void* nul = std::memchr(b, '\0', static_cast<std::size_t>(e - b))) e = static_cast<const char*>(nul);
    const auto n = static_cast<std::size_t>(e - b);
    char small[256];
    if (n < sizeof small) {
        std::memcpy(small, b, n);
        small[n] = '\0';
        return c_strtod(small);
    }
    std::unique_ptr<char[]> big(new (std::nothrow) char[n + 1]);
    if (!big) {
        // Without memory for the copy, read what fits: only a token of
        // hundreds of digits can lose anything by it.
        std::memcpy(small, b, sizeof small - 1);
        small[sizeof small - 1] = '\0';
        return c_strtod(small);
    }
    std::memcpy(big.get(), b, n);
    big[n] = '\0';
    return c_strtod(big.get());
}

double symbol_value(std::string_view tok) noexcept {
    std::string_view in = tok.substr(1);
    if (!in.empty() && in.back() == '"') in.remove_suffix(1);
    if (in == "-") return nil_value;
    if (in.empty() || in.size() > 7 || in.find_first_not_of('.') != std::string_view::npos) return 0.0;
    return dot_values[in.size() - 1];
}

inline double cell_value(std::string_view tok) noexcept {
    if (!tok.empty() && tok[0] == '"') return symbol_value(tok);
    return parse_cell_number(tok.data(), tok.data() + tok.size());
}

// ---------------------------------------------------------------------------
// Full-form reading.

constexpr std::uint64_t pow10_int[8] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};

// The leading decimal digits of the eight bytes at p (all readable): their
// number (8 when all are digits) and, below 8, their value. One load and
// a few multiplications instead of a loop whose length varies per token.
inline unsigned eight_digits(const char* p, std::uint64_t& value) noexcept {
    static_assert(std::endian::native == std::endian::little, "the byte tricks assume little-endian loads");
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    // A digit is 0x30..0x39: high nibble 3, and adding 6 keeps it 3. A
    // carry out of a byte only comes from a non-digit (0xFA and above) and
    // only reaches later bytes, which no longer count.
    const std::uint64_t high = (v & 0xF0F0F0F0F0F0F0F0ULL) ^ 0x3030303030303030ULL;
    const std::uint64_t low = ((v + 0x0606060606060606ULL) & 0xF0F0F0F0F0F0F0F0ULL) ^ 0x3030303030303030ULL;
    const std::uint64_t other = high | low;
    const unsigned n = other ? static_cast<unsigned>(std::countr_zero(other)) / 8 : 8;
    if (n == 0) {
        value = 0;
        return 0;
    }
    // The n digits into the top bytes (zeros before them), then pairs,
    // quads and the eight combined; the first byte is the leading digit.
    v = (v & 0x0F0F0F0F0F0F0F0FULL) << (8 * (8 - n));
    v = ((v * 2561) >> 8) & 0x00FF00FF00FF00FFULL;
    v = ((v * 6553601) >> 16) & 0x0000FFFF0000FFFFULL;
    value = (v * 42949672960001ULL) >> 32;
    return n;
}

// How read_cells takes the first token and the quoted ones.
struct cell_reading {
    // Skip "," and ";" before the first token too, not only blanks, tabs
    // and line breaks.
    bool skip_leading_punct = false;
    // When set, every quoted token (a data symbol or any other) is this
    // value instead of the symbol's sentinel or 0.
    const double* quoted = nullptr;
};

// Reads up to n cells. Before the first token only blanks, tabs and line
// breaks are skipped (so a leading "," or ";" stands for an empty token,
// read as 0) unless `how` says otherwise; between tokens every separator
// is. The separators after the last cell read are left in place. Returns
// the number of cells stored.
template <class Cursor>
std::int64_t read_cells(Cursor& c, double* cells, std::int64_t n, std::string& scratch, const cell_reading& how = {}) {
    if (n <= 0 || !skip(c, how.skip_leading_punct)) return 0;
    std::int64_t done = 0;
    for (;;) {
        // The common token, "[-]digits[.digits]" followed by a separator
        // inside the window, is converted in the same pass that finds its
        // end (the conditions are those of parse_cell_number's fast path).
        const char* p = c.p;
        const char* const e = c.e;
        const bool negative = p < e && *p == '-';
        p += negative;
        const char* const digits = p;
        std::uint64_t m = 0;
        std::size_t count = 0;
        std::size_t decimals = 0;
        std::uint64_t part = 0;
        unsigned n1 = 0, n2 = 0;
        if (e - p >= 16 && (n1 = eight_digits(p, m)) < 8 && p[n1] == '.' && (n2 = eight_digits(p + n1 + 1, part)) < 8) {
            // Up to seven digits on each side of the point, read eight
            // bytes at a time.
            m = m * pow10_int[n2] + part;
            count = n1 + n2;
            decimals = n2;
            p += n1 + 1 + n2;
        } else if (e - p >= 16 && n1 < 8 && p[n1] != '.') {
            count = n1;  // an integer of up to seven digits
            p += n1;
        } else {
            m = 0;
            while (p < e && static_cast<unsigned>(*p - '0') < 10) m = m * 10 + static_cast<unsigned>(*p++ - '0');
            count = static_cast<std::size_t>(p - digits);
            if (p < e && *p == '.') {
                const char* const f = ++p;
                while (p < e && static_cast<unsigned>(*p - '0') < 10) m = m * 10 + static_cast<unsigned>(*p++ - '0');
                decimals = static_cast<std::size_t>(p - f);
                count += decimals;
            }
        }
        if (p < e && (cls(*p) == k_blank || cls(*p) == k_punct) && count > 0 && count <= 19 &&
            m <= (std::uint64_t{1} << 53)) {
            const double v = static_cast<double>(m) / exact_pow10[decimals];
            cells[done] = negative ? -v : v;
            c.p = p;
        } else {
            const std::string_view tok = take_token(c, scratch);
            cells[done] = how.quoted != nullptr && !tok.empty() && tok[0] == '"' ? *how.quoted : cell_value(tok);
        }
        if (++done == n) return done;
        // Usually one blank, then the next token. (take_token may have
        // moved on to another window: c.e, not e.)
        p = c.p;
        while (p < c.e && is_separator(*p)) ++p;
        c.p = p;
        if (p == c.e && !skip(c, true)) return done;
    }
}

// ---------------------------------------------------------------------------
// Full-form reading on several threads.
//
// Only a blank, tab, "," or ";" surely ends a token (a line break inside
// one is dropped), so the window is cut just after such a byte: every
// chunk then starts between tokens or at a token's start and ends after a
// token's terminator, and reads the same cells alone as in the whole. The
// chunks are read on their own threads into buffers of their own, then
// copied to the cells in file order. The bytes after the window's last
// such byte may be a token that goes on in the next window: that one token
// is read through the cursor, as the one-thread reader reads it.

// A stretch of the window whose end the readers take for the end of the
// input.
struct span_cursor {
    const char* p;
    const char* e;
    bool next() noexcept { return false; }
};

inline bool surely_ends_token(char ch) noexcept { return cls(ch) == k_blank || cls(ch) == k_punct; }

// Just after the last byte of [b, e) that surely ends a token; nullptr
// when there is none.
const char* after_last_end(const char* b, const char* e) noexcept {
    for (const char* p = e; p > b; --p)
        if (surely_ends_token(p[-1])) return p;
    return nullptr;
}

// Just after the first byte of [p, e) that surely ends a token; nullptr
// when there is none.
const char* after_first_end(const char* p, const char* e) noexcept {
    while (p < e && !surely_ends_token(*p)) ++p;
    return p < e ? p + 1 : nullptr;
}

// One chunk and what its thread read from it.
struct chunk_work {
    const char* b = nullptr;
    const char* e = nullptr;
    std::unique_ptr<double[]> cells;  // not cleared: only the cells read are copied
    std::int64_t room = 0;
    std::int64_t count = 0;
    std::string scratch;
};

// Where the chunks of [b, end) end: after the first token end at or after
// every chunk_bytes bytes, the last at `end` (which follows a token end).
void cut_chunks(std::vector<chunk_work>& work, const char* b, const char* end, std::size_t chunk_bytes) {
    chunk_bytes = std::max<std::size_t>(chunk_bytes, 1);
    const auto len = static_cast<std::size_t>(end - b);
    const std::size_t k = (len + chunk_bytes - 1) / chunk_bytes;
    if (work.size() < k) work.resize(k);
    const char* from = b;
    for (std::size_t i = 0; i < k; ++i) {
        const char* to = end;
        if (i + 1 < k) {
            const char* nominal = b + (i + 1) * chunk_bytes;
            const char* look = nominal - 1 > from ? nominal - 1 : from;
            const char* cut = look < end ? after_first_end(look, end) : nullptr;
            to = cut ? cut : end;
        }
        work[i].b = from;
        work[i].e = to;
        from = to;
    }
    work.resize(k);
}

// Reads the cells of the chunks of [c.p, end) on `threads` threads into
// cells[done..n), in file order. Leaves the cursor after the n-th cell's
// token when the stretch holds it, at `end` otherwise. Returns the new
// number of cells done.
std::int64_t read_stretch(cursor& c, const char* end, double* cells, std::int64_t done, std::int64_t n,
                          std::vector<chunk_work>& work, std::string& scratch, const cell_reading& how,
                          const chunking& ch, unsigned threads) {
    cut_chunks(work, c.p, end, ch.chunk_bytes);
    const std::int64_t cap = n - done;
    plat::parallel_for(work.size(), threads, [&](std::size_t i) {
        chunk_work& w = work[i];
        // Tokens are at least one byte and stand apart by at least one.
        const auto most = std::min<std::int64_t>(cap, (w.e - w.b) / 2 + 1);
        if (w.room < most) {
            w.cells.reset();
            w.cells.reset(new double[static_cast<std::size_t>(most)]);
            w.room = most;
        }
        span_cursor s{w.b, w.e};
        w.count = read_cells(s, w.cells.get(), most, w.scratch, how);
    });
    for (const chunk_work& w : work) {
        if (w.count >= n - done) {
            // The last cell wanted lies in this chunk: read it again, up to
            // that cell, to leave the cursor where one thread leaves it.
            span_cursor s{w.b, w.e};
            done += read_cells(s, cells + done, n - done, scratch, how);
            c.p = s.p;
            return done;
        }
        if (w.count > 0) std::memcpy(cells + done, w.cells.get(), static_cast<std::size_t>(w.count) * sizeof(double));
        done += w.count;
    }
    c.p = end;
    return done;
}

// read_cells on several threads (see chunking); the same cells, and the
// cursor left where read_cells leaves it.
std::int64_t read_cells_chunked(cursor& c, double* cells, std::int64_t n, std::string& scratch,
                                const cell_reading& how, const chunking& ch) {
    const unsigned threads = ch.threads != 0 ? ch.threads : plat::thread_count();
    if (threads <= 1 || n <= 1) return read_cells(c, cells, n, scratch, how);
    // The first cells go alone: a leading "," or ";" is an empty token only
    // before the first one, and they tell how long a cell is here, so that
    // a request for a few cells does not have a whole window read.
    const std::int64_t lead = 1 + std::clamp<std::int64_t>(ch.lead_cells, 0, n - 1);
    const char* const lead_from = c.p;
    const char* const lead_window = c.e;
    std::int64_t done = read_cells(c, cells, lead, scratch, how);
    if (done < lead) return done;
    double bytes_per_cell = 16;
    if (c.e == lead_window && c.p > lead_from)
        bytes_per_cell = static_cast<double>(c.p - lead_from) / static_cast<double>(lead);
    cell_reading rest = how;
    rest.skip_leading_punct = true;
    std::vector<chunk_work> work;
    while (done < n) {
        if (c.p == c.e && !c.next()) break;
        const char* limit = c.e;
        const double want = static_cast<double>(n - done) * bytes_per_cell * 1.0625 + 256;
        if (want < static_cast<double>(c.e - c.p)) limit = c.p + static_cast<std::size_t>(want);
        const char* end = after_last_end(c.p, limit);
        if (end == nullptr && limit < c.e) end = after_first_end(limit, c.e);
        if (end == nullptr) {
            // No token ends in the window for sure: one token, read alone
            // however many windows it spans.
            const std::int64_t got = read_cells(c, cells + done, 1, scratch, rest);
            if (got == 0) break;
            done += got;
            continue;
        }
        const char* const from = c.p;
        const std::int64_t before = done;
        if (static_cast<std::size_t>(end - c.p) < std::max<std::size_t>(ch.min_span, 1)) {
            span_cursor s{c.p, end};
            done += read_cells(s, cells + done, n - done, scratch, rest);
            c.p = s.p;
        } else {
            done = read_stretch(c, end, cells, done, n, work, scratch, rest, ch, threads);
        }
        if (done > before) bytes_per_cell = static_cast<double>(c.p - from) / static_cast<double>(done - before);
    }
    return done;
}

// ---------------------------------------------------------------------------
// Keyed-form reading.

// Looks keys up among the values of the stub variables. Per variable a
// primary table and a fallback: keys_mode 1 matches value texts; keys_mode
// 2 matches the code (the text for a value without code), then the texts,
// so files keyed by codes read back whatever the variable's PRESTEXT; an
// unknown mode (0, a section whose form dsave had to find out itself)
// matches texts, then codes. The first value with a key wins.
class key_index {
public:
    key_index(const table& t, bool modes_known) {
        const std::size_t n = t.stub_count();
        maps_.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            const variable& v = t.vars[i];
            const int mode = modes_known ? v.keys_mode : 0;
            auto& [primary, fallback] = maps_[i];
            for (std::size_t k = 0; k < v.values.size(); ++k) {
                const value& val = v.values[k];
                const int pos = static_cast<int>(k);
                if (mode == 2) {
                    primary.emplace(val.code ? std::string_view(*val.code) : std::string_view(val.text), pos);
                    fallback.emplace(val.text, pos);
                } else {
                    primary.emplace(val.text, pos);
                    if (mode == 0 && val.code) fallback.emplace(*val.code, pos);
                }
            }
        }
    }
    // The value position of key for stub variable i, or -1.
    int find(std::size_t i, std::string_view key) const {
        const auto& [primary, fallback] = maps_[i];
        if (auto it = primary.find(key); it != primary.end()) return it->second;
        if (auto it = fallback.find(key); it != fallback.end()) return it->second;
        return -1;
    }

private:
    using map = std::unordered_map<std::string_view, int>;
    std::vector<std::pair<map, map>> maps_;
};

// Keys longer than this cannot name a value (texts and codes are shorter).
constexpr std::size_t max_key = 1024;

enum class key_result { ok, end, bad };

// Reads one quoted key and the "," or line break after it. At the start of
// a row (first) a ";" or the end of the input is the end of the data.
key_result read_key(cursor& c, std::string& key, bool first) {
    if (!skip(c, false)) return first ? key_result::end : key_result::bad;
    if (first && *c.p == ';') {
        ++c.p;
        return key_result::end;
    }
    if (*c.p != '"') return key_result::bad;
    ++c.p;
    key.clear();
    bool too_long = false;
    for (;;) {
        if (c.p == c.e && !c.next()) return key_result::bad;
        const char* q = static_cast<const char*>(std::memchr(c.p, '"', static_cast<std::size_t>(c.e - c.p)));
        const char* stop = q ? q : c.e;
        const auto len = static_cast<std::size_t>(stop - c.p);
        if (key.size() + len > max_key)
            too_long = true;
        else
            key.append(c.p, len);
        c.p = stop;
        if (q) {
            ++c.p;
            break;
        }
    }
    if (c.p == c.e && !c.next()) return key_result::bad;
    const char after = *c.p;
    if (after != ',' && cls(after) != k_break) return key_result::bad;
    ++c.p;
    return too_long ? key_result::bad : key_result::ok;
}

// Reads the keyed rows into t's block (which holds count_cells cells, with
// strides computed). Returns 0 or 121.
int read_rows(table& t, cursor& c, const key_index& keys) {
    const std::size_t nstub = t.stub_count();
    const std::int64_t ncols = t.vars[nstub - 1].stride;
    const auto total = static_cast<std::int64_t>(t.data_handle.size());
    std::string key, scratch;
    for (;;) {
        std::int64_t offset = 0;
        for (std::size_t i = 0; i < nstub; ++i) {
            key_result r = read_key(c, key, i == 0);
            if (r == key_result::end) return 0;
            if (r == key_result::bad) return codes::data_bad_key;
            const int pos = keys.find(i, key);
            if (pos < 0) return codes::data_bad_key;
            offset += pos * t.vars[i].stride;
        }
        const std::int64_t n = std::min(ncols, total - offset);  // the same unless strides were stale
        if (read_cells(c, t.data() + offset, n, scratch) < n) return 0;  // the input ended inside the row
        // Separators after the row's last cell, except the ";" that ends the data.
        for (;;) {
            while (c.p < c.e && cls(*c.p) != k_token && *c.p != ';') ++c.p;
            if (c.p < c.e || !c.next()) break;
        }
    }
}

bool has_keyed_form(const table& t) noexcept {
    return !t.vars.empty() && t.vars.front().keys_mode != 0 && t.stub_count() > 0;
}

// The keyed reader behind read_data, read_keyed_data and dsave.
int read_keyed(table& t, cursor& c, bool modes_known) {
    const std::int64_t cells = compute_strides(t.vars);
    int rc = 0;
    if ((t.data_handle.empty() || static_cast<std::int64_t>(t.data_handle.size()) != cells) &&
        !t.data_handle.allocate(static_cast<std::size_t>(cells))) {
        rc = codes::data_no_block_keyed;
    } else {
        key_index keys(t, modes_known);
        rc = read_rows(t, c, keys);
    }
    for (variable& v : t.vars) v.keys_mode = 0;
    if (rc != 0) g_last_error = rc;
    return rc;
}

// Reads a full-form section into a new block of t. 0 or 201.
int read_full(table& t, cursor& c, const chunking& how = {}) {
    const std::int64_t cells = compute_strides(t.vars);
    if (!t.data_handle.allocate(static_cast<std::size_t>(cells))) return codes::no_data_block;
    std::string scratch;
    read_cells_chunked(c, t.data(), cells, scratch, {}, how);
    return 0;
}

// ---------------------------------------------------------------------------
// Finding out how the input's data section is written.

// True when the section the cursor stands at is keyed for t: its first
// token is a quoted string directly followed by "," (or naming a value of
// the first variable, by text or code, and followed by a line break). A full-form section
// starts with a number or a quoted symbol followed by a blank or ";". The
// bytes looked at are handed back.
bool input_is_keyed(cursor& c, const table& t) {
    if (t.stub_count() == 0) return false;
    constexpr std::size_t max_look = 64 * 1024;  // leading blanks looked through
    std::string seen;
    bool keyed = false;
    for (;;) {
        if (c.p == c.e && !c.next()) break;
        const char ch = *c.p;
        if (is_space(ch) && seen.size() < max_look) {
            seen.push_back(ch);
            ++c.p;
            continue;
        }
        if (ch != '"') break;
        seen.push_back(ch);
        ++c.p;
        std::size_t start = seen.size();
        bool closed = false;
        while (seen.size() - start <= max_key) {
            if (c.p == c.e && !c.next()) break;
            const char k = *c.p++;
            seen.push_back(k);
            if (k == '"') {
                closed = true;
                break;
            }
        }
        if (!closed) break;
        const std::string_view key(seen.data() + start, seen.size() - start - 1);
        if (c.p == c.e && !c.next()) break;
        const char after = *c.p;
        if (after != ',' && cls(after) != k_break) break;
        // A quoted text followed by "," is a key whether or not it names a
        // value (the keyed reader then reports the bad key); copied as
        // cells, the keys would garble the table.
        keyed = after == ',';
        for (const value& v : t.vars.front().values)
            if (v.text == key || (v.code && *v.code == key)) keyed = true;
        break;
    }
    c.push_back(std::move(seen));
    return keyed;
}

// ---------------------------------------------------------------------------
// Writing.

// Lines written by the copy stay below this many characters.
constexpr std::size_t line_limit = 32730;
constexpr std::size_t max_line = line_limit - 1;

// A cell's token: the quoted symbol, or the number.
inline std::size_t put_cell(char* w, double x, int decimals, bool recode) noexcept {
    if (const char* sym = data_symbol_token(x)) {
        const std::size_t n = std::strlen(sym);
        std::memcpy(w, sym, n);
        return n;
    }
    if (recode && (x == 1.0 || x == 2.0)) {
        *w = x == 1.0 ? '0' : '3';
        return 1;
    }
    return format_fixed(w, x, decimals);
}

constexpr std::size_t max_cell = format_fixed_max + 2;  // a token, its separator, a line feed
constexpr std::size_t write_batch = 64 * 1024;

// Cells formatted per piece when the writer works in pieces: enough for
// each piece to be worth a thread, few enough that a handful of pieces
// in memory stay small (about 8 bytes a cell with two decimals).
std::size_t cells_per_piece(std::int64_t n, unsigned threads) noexcept {
    const std::int64_t even = n / (8 * static_cast<std::int64_t>(threads));
    return static_cast<std::size_t>(std::clamp<std::int64_t>(even, 256, 16384));
}

// Makes room for `cells` more tokens at buf[used..] (a token, its
// separator and a line feed each) and returns where to write.
char* room_for(std::string& buf, std::size_t used, std::size_t cells) {
    const std::size_t need = used + cells * max_cell;
    if (buf.size() < need) buf.resize(std::max(need, 2 * buf.size()));
    return buf.data() + used;
}

// The full form from memory: the first n cells, each followed by a blank
// (";" after the last), a line feed after every row_length cells.
void write_full(out_file& out, const double* cells, std::int64_t n, std::int64_t total, int decimals,
                int row_length, bool recode) {
    const unsigned threads = plat::thread_count();
    if (row_length > 0 && threads > 1) {
        // Where the line feeds go follows from a cell's index alone, so
        // pieces of cells are formatted on all the threads and written in
        // order.
        const std::size_t per_piece = cells_per_piece(n, threads);
        const auto count = (static_cast<std::size_t>(n) + per_piece - 1) / per_piece;
        write_in_order(out, count, threads, [&](std::size_t piece, std::string& buf) {
            const auto first = static_cast<std::int64_t>(piece * per_piece);
            const std::int64_t last = std::min(n, first + static_cast<std::int64_t>(per_piece));
            std::size_t used = 0;
            for (std::int64_t i = first; i < last;) {
                const std::int64_t stop = std::min(last, i + 256);
                char* const start = room_for(buf, used, static_cast<std::size_t>(stop - i));
                char* w = start;
                for (; i < stop; ++i) {
                    w += put_cell(w, cells[i], decimals, recode);
                    *w++ = i + 1 == total ? ';' : ' ';
                    if ((i + 1) % row_length == 0) *w++ = '\n';
                }
                used += static_cast<std::size_t>(w - start);
            }
            buf.resize(used);
        });
        return;
    }
    // One thread (straight into the output, no piece buffers), or no rows
    // asked for: then a line is broken while the next cell still fits
    // below the limit, which depends on every token before.
    std::int64_t i = 0;
    std::int64_t col = 0;
    std::size_t line = 0;
    while (i < n) {
        char* buf = out.reserve(write_batch);
        char* w = buf;
        char* const limit = buf + write_batch - max_cell;
        while (i < n && w <= limit) {
            char* const start = w;
            w += put_cell(w, cells[i], decimals, recode);
            ++i;
            *w++ = i == total ? ';' : ' ';
            if (row_length > 0) {
                if (++col == row_length) {
                    *w++ = '\n';
                    col = 0;
                }
            } else {
                line += static_cast<std::size_t>(w - start);
                if (line > max_line - max_cell) {
                    *w++ = '\n';
                    line = 0;
                }
            }
        }
        out.commit(static_cast<std::size_t>(w - buf));
    }
}

// Writes the token bytes of one copied token, keeping every line below
// the limit: a token that does not fit the rest of the line starts a new
// one, and one longer than a line is split (the readers drop line breaks
// inside tokens). Room for two more characters (a blank and the
// terminator) is kept on the line.
class token_copier {
public:
    explicit token_copier(out_file& out) : out_(out) {}

    // Before a token whose length is known.
    void fit(std::size_t len) {
        if (line_ > 0 && line_ + len + 2 > max_line) newline();
    }
    void begin() {
        head_n_ = 0;
        head_done_ = false;
        doubled_ = false;
    }
    // Token bytes; the first two are held back to see whether the token
    // starts with two double quotes.
    void feed(const char* s, std::size_t n) {
        while (!head_done_ && n > 0) {
            if (head_n_ == 2) {
                flush_head(true);  // bytes follow the two quotes
                break;
            }
            head_[head_n_++] = *s++;
            --n;
            if (head_n_ == 2 && !two_quotes()) flush_head(true);
        }
        if (n > 0) piece(s, n);
    }
    // After the token; a token that started with two double quotes lost
    // the first and gets a blank.
    void end() {
        if (!head_done_) flush_head(false);
        if (doubled_) put(' ');
    }
    void put(char ch) {
        out_.put(ch);
        ++line_;
    }
    void newline() {
        out_.put('\n');
        line_ = 0;
    }

private:
    bool two_quotes() const noexcept { return head_n_ == 2 && head_[0] == '"' && head_[1] == '"'; }
    // An empty quoted text ("" and nothing more) is copied whole: without
    // its second quote it would open a string that never ends.
    void flush_head(bool more) {
        head_done_ = true;
        if (more && two_quotes()) {
            doubled_ = true;
            piece(head_ + 1, 1);
        } else {
            piece(head_, static_cast<std::size_t>(head_n_));
        }
    }
    void piece(const char* s, std::size_t n) {
        while (n > 0) {
            if (line_ + 2 >= max_line) newline();
            const std::size_t room = max_line - 2 - line_;
            const std::size_t k = n < room ? n : room;
            out_.write(s, k);
            line_ += k;
            s += k;
            n -= k;
        }
    }

    out_file& out_;
    std::size_t line_ = 0;
    char head_[2] = {};
    int head_n_ = 0;
    bool head_done_ = false;
    bool doubled_ = false;
};

// The copy's fast path: the input's lines that already stand as the copy
// writes them, whole in [p, e): row_length tokens, each followed by one
// blank, then a line feed; no "," ";" tab or lone CR, no token starting
// with two double quotes, the line well below the limit. At most
// max_lines of them. Returns the bytes they take; the copy writes them
// as they stand.
std::size_t lines_in_written_layout(const char* p, const char* e, int row_length, std::int64_t max_lines,
                                    std::int64_t& lines) noexcept {
    constexpr std::size_t longest = 32000;  // below the limit with room to spare
    const char* const b = p;
    const char* good = p;
    lines = 0;
    while (lines < max_lines) {
        const char* const line = p;
        for (int k = 0; k < row_length; ++k) {
            if (e - p >= 2 && p[0] == '"' && p[1] == '"') return static_cast<std::size_t>(good - b);
            const char* const tok = p;
            while (p < e && is_token(*p)) ++p;
            if (p == tok || p == e || *p != ' ') return static_cast<std::size_t>(good - b);
            ++p;
        }
        if (p == e || *p != '\n' || static_cast<std::size_t>(p - line) > longest)
            return static_cast<std::size_t>(good - b);
        good = ++p;
        ++lines;
    }
    return static_cast<std::size_t>(good - b);
}

// lines_in_written_layout on several threads for a large window: the
// window is cut after line feeds, each chunk checked on its own (a chunk
// starts a line when every chunk before it was all such lines, and only
// then is it used). The same result as one thread.
std::size_t lines_in_written_layout_chunked(const char* p, const char* e, int row_length, std::int64_t max_lines,
                                            std::int64_t& lines) {
    constexpr std::size_t chunk = 256 * 1024;
    const unsigned threads = plat::thread_count();
    const auto len = static_cast<std::size_t>(e - p);
    if (threads <= 1 || len < 2 * chunk) return lines_in_written_layout(p, e, row_length, max_lines, lines);
    struct part {
        const char* b;
        const char* e;
        std::size_t bytes = 0;
        std::int64_t lines = 0;
    };
    std::vector<part> parts;
    for (const char* b = p; b < e;) {
        const char* to = e;
        if (static_cast<std::size_t>(e - b) > chunk) {
            const auto* nl = static_cast<const char*>(std::memchr(b + chunk - 1, '\n', static_cast<std::size_t>(e - b) - chunk + 1));
            to = nl ? nl + 1 : e;
        }
        parts.push_back({b, to});
        b = to;
    }
    plat::parallel_for(parts.size(), threads, [&](std::size_t i) {
        part& q = parts[i];
        q.bytes = lines_in_written_layout(q.b, q.e, row_length, max_lines, q.lines);
    });
    lines = 0;
    std::size_t bytes = 0;
    for (const part& q : parts) {
        if (lines + q.lines > max_lines) {
            std::int64_t some = 0;
            bytes += lines_in_written_layout(q.b, q.e, row_length, max_lines - lines, some);
            lines += some;
            break;
        }
        bytes += q.bytes;
        lines += q.lines;
        if (q.bytes < static_cast<std::size_t>(q.e - q.b)) break;
    }
    return bytes;
}

// Copies `left` tokens from the input (see dsave). 0, or 100 when the
// input ends first; left counts down.
int copy_tokens(cursor& c, out_file& out, std::int64_t& left, int row_length) {
    if (left <= 0) return 0;
    if (!skip(c, false)) return codes::data_input_ended;
    token_copier tc(out);
    std::int64_t copied = 0;
    for (;;) {
        // At the start of a row (the copier's line is empty then) whole
        // lines in the written layout go as they stand; the last token,
        // which gets the ";", is always copied token by token.
        if (row_length > 0 && copied % row_length == 0 && left > row_length) {
            std::int64_t lines = 0;
            const std::size_t n =
                lines_in_written_layout_chunked(c.p, c.e, row_length, (left - 1) / row_length, lines);
            if (n > 0) {
                out.write(c.p, n);
                c.p += n;
                copied += lines * row_length;
                left -= lines * row_length;
                if (!skip(c, true)) return codes::data_input_ended;
                continue;
            }
        }
        tc.begin();
        const char* s = c.p;
        const char* p = s;
        while (p < c.e && is_token(*p)) ++p;
        char term = 0;
        if (p < c.e && cls(*p) != k_break) {
            // The whole token lies in the window. An empty one (a section
            // starting with "," or ";") reads as 0 and is written so.
            if (p == s) {
                s = "0";
                tc.fit(1);
                tc.feed(s, 1);
            } else {
                tc.fit(static_cast<std::size_t>(p - s));
                tc.feed(s, static_cast<std::size_t>(p - s));
            }
            term = *p;
            c.p = p + 1;
        } else {
            tc.feed(s, static_cast<std::size_t>(p - s));
            c.p = p;
            for (;;) {
                if (c.p == c.e && !c.next()) break;
                if (cls(*c.p) == k_break) {
                    ++c.p;
                    continue;
                }
                if (!is_token(*c.p)) {
                    term = *c.p++;
                    break;
                }
                s = c.p;
                while (c.p < c.e && is_token(*c.p)) ++c.p;
                tc.feed(s, static_cast<std::size_t>(c.p - s));
            }
        }
        tc.end();
        --left;
        ++copied;
        if (left == 0) {
            // The section always ends with ";" and a line feed.
            tc.put(';');
            tc.newline();
            return 0;
        }
        if (term == 0) return codes::data_input_ended;
        tc.put(term == ',' ? ' ' : term);
        if (term == ';' || (row_length > 0 && copied % row_length == 0)) tc.newline();
        if (!skip(c, true)) return codes::data_input_ended;
    }
}

// Copies the rest of the input as it stands.
void copy_rest(cursor& c, out_file& out) {
    do {
        out.write(c.p, static_cast<std::size_t>(c.e - c.p));
        c.p = c.e;
    } while (c.next());
}

// The keys of a row as written: per stub variable and value the value's
// text (keys_mode 1) or code (the text for a value without one) between
// double quotes, then ",". A '"' inside becomes "'", as in the keyword
// part (the format cannot carry one inside a string).
std::vector<std::vector<std::string>> row_keys(const table& t) {
    std::vector<std::vector<std::string>> keys(t.stub_count());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const variable& v = t.vars[i];
        for (const value& val : v.values) {
            std::string key = v.keys_mode != 1 && val.code ? *val.code : val.text;
            std::replace(key.begin(), key.end(), '"', '\'');
            keys[i].push_back('"' + key + "\",");
        }
    }
    return keys;
}

// a * b for counts, held at the largest int64 instead of overflowing.
std::int64_t mul_sat(std::int64_t a, std::int64_t b) noexcept {
    std::int64_t r = 0;
    if (a <= 0 || b <= 0) return 0;
    return __builtin_mul_overflow(a, b, &r) ? INT64_MAX : r;
}

// Whether a keyed row is left out under the omission mode.
bool omitted(const double* cells, std::int64_t n, int mode) noexcept {
    bool zero_ok = mode == 1 || mode == 2 || mode == 4;
    bool nil_ok = mode == 2 || mode == 4;
    bool dots_ok = mode == 3 || mode == 4;
    if (!zero_ok && !dots_ok) return false;
    for (std::int64_t i = 0; i < n; ++i) {
        const double x = cells[i];
        const char* sym = data_symbol_token(x);
        bool ok = sym == nullptr ? zero_ok && x == 0.0 : (sym[1] == '-' ? nil_ok : dots_ok);
        if (!ok) return false;
    }
    return true;
}

// One bit per keyed row: set for a row the omission mode leaves out. The
// rows are checked on all the threads, 64 to a word so that no two
// threads write one word.
std::vector<std::uint64_t> omitted_rows(const double* cells, std::int64_t rows, std::int64_t ncols, int mode,
                                        unsigned threads) {
    std::vector<std::uint64_t> bits(static_cast<std::size_t>((rows + 63) / 64), 0);
    if (mode < 1 || mode > 4) return bits;
    constexpr std::size_t words_per_job = 16;
    const std::size_t jobs = (bits.size() + words_per_job - 1) / words_per_job;
    plat::parallel_for(jobs, threads, [&](std::size_t job) {
        const std::int64_t first = static_cast<std::int64_t>(job * words_per_job * 64);
        const std::int64_t last = std::min(rows, first + static_cast<std::int64_t>(words_per_job * 64));
        for (std::int64_t r = first; r < last; ++r)
            if (omitted(cells + r * ncols, ncols, mode))
                bits[static_cast<std::size_t>(r / 64)] |= std::uint64_t{1} << (r % 64);
    });
    return bits;
}

// The keyed form from memory. 0, or 100 when the block holds fewer cells
// than the table has (the rows past it are not written).
//
// The cells of the rows written are cut into pieces, formatted on all the
// threads and written in order; a piece may start or end inside a row, so
// a wide row costs no more memory than a narrow one.
int write_keyed(out_file& out, const table& t, int decimals, bool recode, int omission_mode) {
    const std::size_t nstub = t.stub_count();
    const auto keys = row_keys(t);
    std::int64_t ncols = 1;
    for (std::size_t i = nstub; i < t.vars.size(); ++i) ncols = mul_sat(ncols, t.vars[i].value_count);
    std::int64_t rows = ncols > 0 ? 1 : 0;  // no cells, no rows
    for (std::size_t i = 0; i < nstub; ++i) rows = mul_sat(rows, static_cast<std::int64_t>(keys[i].size()));
    // Only whole rows are written: a block shorter than the table ends
    // the data at the last row it holds in full.
    const auto total = static_cast<std::int64_t>(t.data_handle.size());
    const std::int64_t whole_rows = ncols > 0 ? total / ncols : 0;
    const int rc = rows > whole_rows ? codes::data_input_ended : 0;
    rows = std::min(rows, whole_rows);

    const unsigned threads = plat::thread_count();
    const double* const data = t.data();
    const auto left_out = omitted_rows(data, rows, ncols, omission_mode, threads);
    const std::int64_t n = rows * ncols;
    const std::size_t per_piece = cells_per_piece(n, threads);
    const auto count = (static_cast<std::size_t>(n) + per_piece - 1) / per_piece;
    write_in_order(out, count, threads, [&](std::size_t piece, std::string& buf) {
        const auto first = static_cast<std::int64_t>(piece * per_piece);
        const std::int64_t last = std::min(n, first + static_cast<std::int64_t>(per_piece));
        // The key positions of the row the piece starts in, last stub
        // variable fastest.
        std::vector<std::size_t> at(nstub, 0);
        for (std::int64_t r = first / ncols, i = static_cast<std::int64_t>(nstub); i-- > 0;) {
            const auto size = static_cast<std::int64_t>(keys[static_cast<std::size_t>(i)].size());
            at[static_cast<std::size_t>(i)] = static_cast<std::size_t>(r % size);
            r /= size;
        }
        std::size_t used = 0;
        for (std::int64_t r = first / ncols, cell = first; cell < last; ++r) {
            const std::int64_t row_end = std::min(last, (r + 1) * ncols);
            if (r > first / ncols) {
                for (std::size_t i = nstub; i-- > 0;) {  // the next combination
                    if (++at[i] < keys[i].size()) break;
                    at[i] = 0;
                }
            }
            if ((left_out[static_cast<std::size_t>(r / 64)] >> (r % 64)) & 1) {
                cell = row_end;
                continue;
            }
            std::int64_t k = cell - r * ncols;
            if (k == 0) {
                std::size_t len = 2;
                for (std::size_t i = 0; i < nstub; ++i) len += keys[i][at[i]].size();
                if (buf.size() < used + len) buf.resize(std::max(used + len, 2 * buf.size()));
                char* w = buf.data() + used;
                std::memcpy(w, " \n", 2);
                w += 2;
                for (std::size_t i = 0; i < nstub; ++i) {
                    const std::string& key = keys[i][at[i]];
                    std::memcpy(w, key.data(), key.size());
                    w += key.size();
                }
                used += len;
            }
            while (cell < row_end) {
                const std::int64_t stop = std::min(row_end, cell + 256);
                char* const start = room_for(buf, used, static_cast<std::size_t>(stop - cell));
                char* w = start;
                for (; cell < stop; ++cell, ++k) {
                    if (k > 0) *w++ = ' ';
                    w += put_cell(w, data[cell], decimals, recode);
                }
                used += static_cast<std::size_t>(w - start);
            }
        }
        buf.resize(used);
    });
    out.put(';');
    return rc;
}

int dsave_body(in_file* in, out_file& out, table& t, std::int64_t& cell_count, int write_data, int decimals,
               int row_length, int recode, int omission_mode) {
    const int d = decimals >= 0 && decimals <= max_decimals ? decimals : 6;
    const bool recode_cells = recode != 0 && d == 0;
    const bool keyed_out = has_keyed_form(t);
    if (write_data == 1) out.write(keyed_out ? "DATA=" : "DATA=\n");

    if (!keyed_out) {
        if (in) {
            cursor c(*in);
            if (!input_is_keyed(c, t)) {
                plat::trace("dsave", dsave_trace_from_file);
                return copy_tokens(c, out, cell_count, row_length);
            }
            // Copying the keys as cells would garble the table: read the
            // rows (unless the cells are in memory already) and write the
            // full form from memory.
            if (!t.data())
                if (int rc = read_keyed(t, c, false); rc != 0)
                    return rc == codes::data_no_block_keyed ? codes::no_data_block : rc;
        }
        plat::trace("dsave", dsave_trace_from_memory);
        const auto avail = static_cast<std::int64_t>(t.data_handle.size());
        const std::int64_t n = std::max<std::int64_t>(0, std::min(cell_count, avail));
        write_full(out, t.data(), n, cell_count, d, row_length, recode_cells);
        cell_count -= n;
        return cell_count > 0 ? codes::data_input_ended : codes::ok;
    }

    if (in) {
        cursor c(*in);
        const bool keyed_in = input_is_keyed(c, t);
        if (keyed_in && writer_state().copy_keyed_verbatim) {
            plat::trace("dsave", dsave_trace_from_file);
            copy_rest(c, out);
            cell_count = 0;
            return codes::ok;
        }
        if (!t.data()) {
            // The data is not loaded: read it from the input in the form
            // it is written in. The keyed reader clears keys_mode, which
            // the rows written below still need.
            std::vector<int> modes;
            for (const variable& v : t.vars) modes.push_back(v.keys_mode);
            int rc = keyed_in ? read_keyed(t, c, false) : read_full(t, c);
            for (std::size_t i = 0; i < t.vars.size(); ++i) t.vars[i].keys_mode = modes[i];
            if (rc != 0) return rc == codes::data_no_block_keyed ? codes::no_data_block : rc;
        }
    }
    plat::trace("dsave", dsave_trace_from_memory);
    if (!t.data()) {
        out.put(';');
        return codes::data_input_ended;
    }
    int rc = write_keyed(out, t, d, recode_cells, omission_mode);
    if (rc == 0) cell_count = 0;
    return rc;
}

}  // namespace

bool next_data_token(in_file& f, std::string& tok) {
    data_tokens tokens(f, true);
    std::string_view token;
    char terminator = 0;
    if (!tokens.next(token, terminator)) return false;
    tok.assign(token);
    return true;
}

std::int64_t stream_cells(in_file& f, double* cells, std::int64_t n, double quoted_value, std::string& scratch) {
    // A request of fewer cells than a few windows hold gains less from more
    // threads than starting them and filling their buffers costs, call
    // after call: it is read by this thread.
    chunking how;
    if (n < (std::int64_t{1} << 18)) how.threads = 1;
    return stream_cells(f, cells, n, quoted_value, scratch, how);
}

std::int64_t stream_cells(in_file& f, double* cells, std::int64_t n, double quoted_value, std::string& scratch,
                          const chunking& how) {
    cursor c(f);
    return read_cells_chunked(c, cells, n, scratch, cell_reading{true, &quoted_value}, how);
}

int data_last_error() noexcept { return g_last_error; }
void clear_data_last_error() noexcept { g_last_error = 0; }

double parse_cell_number(const char* b, const char* e) noexcept {
    // Clinger's fast path: a plain decimal "[+-]digits[.digits]" whose
    // digits, without the point, form an integer m <= 2^53 with at most 22
    // decimals is m / 10^d: both operands are exact doubles and the
    // division rounds correctly, so this is the value strtod gives.
    const char* p = b;
    bool negative = false;
    if (p < e && (*p == '-' || *p == '+')) negative = *p++ == '-';
    bool any_digit = false;
    while (p < e && *p == '0') {
        ++p;
        any_digit = true;
    }
    std::uint64_t m = 0;
    const char* s = p;
    while (p < e && static_cast<unsigned>(*p - '0') < 10) m = m * 10 + static_cast<unsigned>(*p++ - '0');
    std::size_t significant = static_cast<std::size_t>(p - s);
    std::size_t decimals = 0;
    if (p < e && *p == '.') {
        const char* f = ++p;
        if (significant == 0)
            while (p < e && *p == '0') ++p;
        s = p;
        while (p < e && static_cast<unsigned>(*p - '0') < 10) m = m * 10 + static_cast<unsigned>(*p++ - '0');
        significant += static_cast<std::size_t>(p - s);
        decimals = static_cast<std::size_t>(p - f);
    }
    any_digit = any_digit || significant > 0 || decimals > 0;
    if (p != e || !any_digit || significant > 19 || decimals > 22 || m > (std::uint64_t{1} << 53))
        return parse_slow(b, e);
    const double v = static_cast<double>(m) / exact_pow10[decimals];
    return negative ? -v : v;
}

int read_data(table& t, in_file& f) { return read_data(t, f, chunking{}); }

int read_data(table& t, in_file& f, const chunking& how) {
    cursor c(f);
    if (has_keyed_form(t)) {
        const std::int64_t cells = compute_strides(t.vars);
        if (!t.data_handle.allocate(static_cast<std::size_t>(cells))) return codes::no_data_block;
        return read_keyed(t, c, true);
    }
    return read_full(t, c, how);
}

int read_keyed_data(table& t, in_file& f) {
    cursor c(f);
    if (t.stub_count() == 0) {
        // Keys need stub variables; without them the section can only be
        // the full form.
        const std::int64_t cells = compute_strides(t.vars);
        int rc = 0;
        if ((t.data_handle.empty() || static_cast<std::int64_t>(t.data_handle.size()) != cells) &&
            !t.data_handle.allocate(static_cast<std::size_t>(cells))) {
            rc = codes::data_no_block_keyed;
            g_last_error = rc;
        } else {
            std::string scratch;
            read_cells_chunked(c, t.data(), cells, scratch, {}, chunking{});
        }
        for (variable& v : t.vars) v.keys_mode = 0;
        return rc;
    }
    return read_keyed(t, c, true);
}

int dsave_row_length(const table& t) noexcept {
    constexpr std::int64_t longest_row = std::int64_t{1} << 30;
    std::int64_t row = 1;
    for (std::size_t i = t.stub_count(); i < t.vars.size(); ++i)
        row = std::min(row * t.vars[i].value_count, longest_row);  // both factors stay below 2^31
    return static_cast<int>(row);
}

int dsave(in_file* in, out_file& out, table& t, std::int64_t& cell_count, int write_data, int decimals,
          int row_length, int recode, int omission_mode) {
    plat::trace("dsave", "start");
    const int rc = dsave_body(in, out, t, cell_count, write_data, decimals, row_length, recode, omission_mode);
    plat::trace("dsave", "slut");
    return rc;
}

}  // namespace vt
