// Reading and writing INI-style profile files.
#include "platform/ini.h"
#include "platform/fsinfo.h"
#include "platform/staged.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/text.h"

namespace vt::plat {

namespace {

bool is_blank(char c) noexcept { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) noexcept {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

// Only the ASCII letters fold: the other bytes are Windows-1252 text whose
// case rules we do not want to guess for names.
std::string fold(std::string_view s) { return lower_ascii(std::string(s)); }

// The line without its line end.
std::string_view content_of(const std::string& line) noexcept {
    std::string_view s(line);
    if (!s.empty() && s.back() == '\n') {
        s.remove_suffix(1);
        if (!s.empty() && s.back() == '\r') s.remove_suffix(1);
    }
    return s;
}

bool has_line_end(const std::string& line) noexcept { return !line.empty() && line.back() == '\n'; }

bool is_quote(char c) noexcept { return c == '"' || c == '\''; }

std::string_view unquote(std::string_view v) noexcept {
    if (v.size() >= 2 && is_quote(v.front()) && v.back() == v.front()) return v.substr(1, v.size() - 2);
    return v;
}

// A section header: '[' after optional blanks. The name runs to the last
// ']' of the line; a header missing its ']' still starts a section (named by
// the rest of the line) so the keys after it do not slip into the section
// before.
bool parse_header(std::string_view content, std::string_view& name) noexcept {
    std::string_view s = trim(content);
    if (s.empty() || s.front() != '[') return false;
    s.remove_prefix(1);
    const std::size_t close = s.rfind(']');
    if (close != std::string_view::npos) s = s.substr(0, close);
    name = trim(s);
    return true;
}

// A key line: "key=value" that is not a comment and has a non-empty key.
bool parse_entry(std::string_view content, std::string_view& key, std::string_view& value) noexcept {
    std::string_view s = trim(content);
    if (s.empty() || s.front() == ';') return false;
    const std::size_t eq = s.find('=');
    if (eq == std::string_view::npos) return false;
    key = trim(s.substr(0, eq));
    if (key.empty()) return false;
    value = unquote(trim(s.substr(eq + 1)));
    return true;
}

bool has_line_break(std::string_view s) noexcept { return s.find_first_of("\r\n") != std::string_view::npos; }

// The text to write for a value so that it reads back unchanged: a value
// that would lose its outer blanks or a pair of outer quotes is written
// inside double quotes (reading removes exactly one pair).
std::string stored_value(std::string_view v) {
    const bool outer_blank = !v.empty() && (is_blank(v.front()) || is_blank(v.back()));
    const bool outer_quotes = v.size() >= 2 && is_quote(v.front()) && v.back() == v.front();
    if (!outer_blank && !outer_quotes) return std::string(v);
    std::string out;
    out.reserve(v.size() + 2);
    out += '"';
    out += v;
    out += '"';
    return out;
}

// Whole-number parsing as profile readers do it: sign, then decimal digits
// or 0x and hex digits, stopping at the first other character. Saturates
// at the int range instead of overflowing.
bool parse_int(std::string_view s, int& out) noexcept {
    std::size_t i = 0;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    unsigned base = 10;
    bool digits = false;
    if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        digits = true;  // the leading 0 is a number by itself: "0x" reads as 0
        i += 2;
    }
    const std::uint64_t limit = neg ? std::uint64_t{INT_MAX} + 1 : std::uint64_t{INT_MAX};
    std::uint64_t acc = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        unsigned d;
        if (c >= '0' && c <= '9') d = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f') d = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F') d = static_cast<unsigned>(c - 'A' + 10);
        else break;
        digits = true;
        acc = acc * base + d;
        if (acc > limit) acc = limit;
    }
    if (!digits) return false;
    out = neg ? static_cast<int>(-static_cast<std::int64_t>(acc)) : static_cast<int>(acc);
    return true;
}

}  // namespace

bool ini_file::load(const std::string& path) {
    std::string text;
    const bool ok = read_regular_file(path, text);
    parse(text);
    return ok;
}

void ini_file::parse(std::string_view text) {
    lines_.clear();
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t nl = text.find('\n', start);
        const std::size_t end = nl == std::string_view::npos ? text.size() : nl + 1;
        lines_.emplace_back(text.substr(start, end - start));
        start = end;
    }
    reindex();
}

void ini_file::reindex() {
    sections_.clear();
    section_index_.clear();
    section_rec* cur = nullptr;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::string_view content = content_of(lines_[i]);
        std::string_view name, key, value;
        if (parse_header(content, name)) {
            if (cur) cur->end = i;
            cur = nullptr;
            auto [it, fresh] = section_index_.try_emplace(fold(name), sections_.size());
            if (!fresh) continue;  // a repeated section: its keys are never seen
            section_rec& rec = sections_.emplace_back();
            rec.name = std::string(name);
            rec.header = i;
            cur = &rec;
        } else if (cur && parse_entry(content, key, value)) {
            auto [it, fresh] = cur->index.try_emplace(fold(key), cur->entries.size());
            if (fresh) cur->entries.push_back(entry{std::string(key), std::string(value), i});
        }
    }
    if (cur) cur->end = lines_.size();
}

const ini_file::section_rec* ini_file::find_section(std::string_view section) const {
    const auto it = section_index_.find(fold(trim(section)));
    return it == section_index_.end() ? nullptr : &sections_[it->second];
}

const std::string* ini_file::find(std::string_view section, std::string_view key) const {
    const section_rec* sec = find_section(section);
    if (!sec) return nullptr;
    const auto it = sec->index.find(fold(trim(key)));
    return it == sec->index.end() ? nullptr : &sec->entries[it->second].value;
}

std::string ini_file::get_string(std::string_view section, std::string_view key, std::string_view deflt,
                                 std::size_t bufsize) const {
    if (bufsize == 0) return {};
    const std::string* v = find(section, key);
    const std::string_view s = v ? std::string_view(*v) : deflt;
    return std::string(s.substr(0, bufsize - 1));
}

int ini_file::get_int(std::string_view section, std::string_view key, int deflt) const {
    const std::string* v = find(section, key);
    int out = 0;
    return v && parse_int(*v, out) ? out : deflt;
}

std::vector<std::string> ini_file::section_keys(std::string_view section) const {
    std::vector<std::string> out;
    if (const section_rec* sec = find_section(section)) {
        out.reserve(sec->entries.size());
        for (const entry& e : sec->entries) out.push_back(e.key);
    }
    return out;
}

std::vector<std::string> ini_file::section_names() const {
    std::vector<std::string> out;
    out.reserve(sections_.size());
    for (const section_rec& s : sections_) out.push_back(s.name);
    return out;
}

bool ini_file::has_section(std::string_view section) const { return find_section(section) != nullptr; }

// New lines follow the file: CR LF when its first line ends so (or when it
// has no line end yet), LF otherwise.
std::string ini_file::line_end() const {
    for (const std::string& l : lines_)
        if (has_line_end(l)) return l.size() >= 2 && l[l.size() - 2] == '\r' ? "\r\n" : "\n";
    return "\r\n";
}

void ini_file::insert_line(std::size_t at, std::string content) {
    const std::string eol = line_end();
    if (at > 0 && !has_line_end(lines_[at - 1])) lines_[at - 1] += eol;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), content + eol);
}

bool ini_file::set(std::string_view section, std::string_view key, std::string_view value) {
    section = trim(section);
    key = trim(key);
    if (key.empty() || key.find('=') != std::string_view::npos || key.front() == ';' || key.front() == '[')
        return false;
    if (section.find(']') != std::string_view::npos) return false;
    if (has_line_break(section) || has_line_break(key) || has_line_break(value)) return false;

    const std::string text = stored_value(value);
    if (const section_rec* sec = find_section(section)) {
        const auto it = sec->index.find(fold(key));
        if (it != sec->index.end()) {
            const entry& e = sec->entries[it->second];
            std::string& line = lines_[e.line];
            const std::string eol = line.substr(content_of(line).size());
            line = e.key + "=" + text + eol;
        } else {
            std::size_t at = sec->header + 1;
            for (std::size_t i = sec->end; i > sec->header + 1; --i) {
                if (!trim(content_of(lines_[i - 1])).empty()) {
                    at = i;
                    break;
                }
            }
            insert_line(at, std::string(key) + "=" + text);
        }
    } else {
        insert_line(lines_.size(), "[" + std::string(section) + "]");
        insert_line(lines_.size(), std::string(key) + "=" + text);
    }
    reindex();
    return true;
}

bool ini_file::remove(std::string_view section, std::string_view key) {
    const section_rec* sec = find_section(section);
    if (!sec) return false;
    const auto it = sec->index.find(fold(trim(key)));
    if (it == sec->index.end()) return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(sec->entries[it->second].line));
    reindex();
    return true;
}

std::string ini_file::text() const {
    std::size_t n = 0;
    for (const std::string& l : lines_) n += l.size();
    std::string out;
    out.reserve(n);
    for (const std::string& l : lines_) out += l;
    return out;
}

bool ini_file::save(const std::string& path) const { return replace_file(path, text()); }

std::string ini_get_string(const std::string& file, const std::string& section, const std::string& key,
                           const std::string& deflt, std::size_t bufsize) {
    ini_file f;
    f.load(file);
    return f.get_string(section, key, deflt, bufsize);
}

int ini_get_int(const std::string& file, const std::string& section, const std::string& key, int deflt) {
    ini_file f;
    f.load(file);
    return f.get_int(section, key, deflt);
}

std::vector<std::string> ini_section_keys(const std::string& file, const std::string& section) {
    ini_file f;
    f.load(file);
    return f.section_keys(section);
}

namespace {
// Loads a file that is about to be changed. A missing file is an empty
// profile; a file that exists but cannot be read must not be overwritten.
bool load_for_update(const std::string& file, ini_file& f) {
    if (f.load(file)) return true;
    struct stat st {};
    return ::stat(file.c_str(), &st) != 0 && errno == ENOENT;
}
}  // namespace

bool ini_write_string(const std::string& file, const std::string& section, const std::string& key,
                      const std::string& value) {
    ini_file f;
    if (!load_for_update(file, f)) return false;
    return f.set(section, key, value) && f.save(file);
}

bool ini_delete_key(const std::string& file, const std::string& section, const std::string& key) {
    ini_file f;
    if (!load_for_update(file, f)) return false;
    if (!f.remove(section, key)) return true;
    return f.save(file);
}

}  // namespace vt::plat
