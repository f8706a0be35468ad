// The token stream of a data section over the buffered input window.
#include "core/tokens.h"

namespace vt {

namespace {

inline bool ends_token(char c) noexcept { return c == ' ' || c == '\t' || c == ',' || c == ';'; }
inline bool is_break(char c) noexcept { return c == '\n' || c == '\r'; }
inline bool is_space(char c) noexcept { return c == ' ' || c == '\t' || is_break(c); }

}  // namespace

// Skips what lies before a token; false at the end of the input.
bool data_tokens::skip() noexcept {
    for (;;) {
        const char* b = f_.window_begin();
        const char* e = f_.window_end();
        const char* p = b;
        if (first_)
            while (p < e && is_space(*p)) ++p;
        else
            while (p < e && (is_space(*p) || *p == ',' || *p == ';')) ++p;
        f_.advance(static_cast<std::size_t>(p - b));
        if (p < e) return true;
        if (!f_.refill()) return false;
    }
}

// The usual token lies whole in the window and is handed out as a view of
// it; one split by a line break or by the end of the window is gathered.
bool data_tokens::next(std::string_view& token, char& terminator) {
    if (!skip()) return false;
    first_ = false;
    const char* b = f_.window_begin();
    const char* e = f_.window_end();
    const char* p = b;
    while (p < e && !ends_token(*p) && !is_break(*p)) ++p;
    if (p < e && ends_token(*p)) {
        token = std::string_view(b, static_cast<std::size_t>(p - b));
        terminator = *p;
        f_.advance(static_cast<std::size_t>(p + 1 - b));
        return true;
    }
    scratch_.assign(b, p);
    f_.advance(static_cast<std::size_t>(p - b));
    terminator = '\0';
    for (;;) {
        b = f_.window_begin();
        e = f_.window_end();
        if (b == e) {
            if (!f_.refill()) break;
            continue;
        }
        p = b;
        while (p < e && !ends_token(*p)) {
            if (!is_break(*p)) scratch_.push_back(*p);
            ++p;
        }
        if (p < e) {
            terminator = *p;
            f_.advance(static_cast<std::size_t>(p + 1 - b));
            break;
        }
        f_.advance(static_cast<std::size_t>(p - b));
    }
    token = scratch_;
    return true;
}

}  // namespace vt
