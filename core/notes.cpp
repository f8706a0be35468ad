// Note texts of a table for the exports: line cutting, markup, the
// data-note index files and the text blocks of contents information and
// cell notes.
#include "core/notes.h"

#include <cstddef>
#include <string_view>
#include <utility>

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

}  // namespace vt
