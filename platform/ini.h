// Reading and writing INI-style profile files (query files, label files,
// value-set files, ...).
//
// The layout is the usual one:
//
//     ; a comment
//     [Section]
//     Key=Value
//
// Section and key names compare case-insensitively for the ASCII letters
// only; every other byte (the files are Windows-1252 text) compares exactly.
// Blanks and tabs around names and values do not count. Lines end in CR LF
// or LF. A line starting with ';' is a comment, a line inside a section
// without '=' is ignored, and lines before the first section are ignored.
// When a section or a key appears twice, the first one wins: a key in a
// later repetition of a section is never seen.
//
// A value enclosed in a matching pair of double or single quotes is given
// without the quotes, so a value can keep leading or trailing blanks.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vt::plat {

// One profile file held in memory. Parsing it once lets a caller that reads
// many keys (a query file can have hundreds) look each one up cheaply; the
// lookups answer exactly as the free functions below do. The file's lines
// are kept byte for byte, so set() and remove() change only the lines they
// touch and save() writes everything else back untouched.
class ini_file {
public:
    ini_file() = default;

    // Reads and parses `path`. False (and an empty profile) when the file
    // does not exist or cannot be read; only regular files are read.
    bool load(const std::string& path);

    // Parses profile text held in memory (replacing what was held).
    void parse(std::string_view text);

    // The value of `key` in `section`, or nullptr when either is missing.
    // The pointer stays valid until the profile is changed.
    const std::string* find(std::string_view section, std::string_view key) const;

    // The value cut to bufsize-1 bytes; `deflt` (also cut) when the section
    // or key is missing; "" when bufsize is 0.
    std::string get_string(std::string_view section, std::string_view key, std::string_view deflt,
                           std::size_t bufsize) const;

    // The value read as a whole number: optional sign, then decimal digits
    // or "0x" and hex digits, up to the first other character. `deflt` when
    // the key is missing or the value starts with no digit. Numbers beyond
    // the int range give INT_MAX or INT_MIN.
    int get_int(std::string_view section, std::string_view key, int deflt) const;

    // The keys of `section` in file order, each spelled as in the file;
    // a key repeated in the section is listed once.
    std::vector<std::string> section_keys(std::string_view section) const;

    // The section names in file order (a repeated section listed once).
    std::vector<std::string> section_names() const;

    bool has_section(std::string_view section) const;

    // Sets `key` in `section`: an existing key gets the new value in its
    // own line (keeping its spelling), a new key is added after the last
    // non-blank line of the section, a missing section is added at the end.
    // False, and nothing changed, when the names or the value cannot be
    // stored so they read back the same: an empty key, a key holding '=' or
    // starting with ';' or '[', a section holding ']', or a line end in any
    // of them.
    bool set(std::string_view section, std::string_view key, std::string_view value);

    // Removes the key's line; false when there was no such key.
    bool remove(std::string_view section, std::string_view key);

    // The whole profile as file text.
    std::string text() const;

    // Writes text() to `path`, replacing the file. False when it cannot be
    // written; the old file is then left as it was.
    bool save(const std::string& path) const;

private:
    struct entry {
        std::string key;          // spelled as in the file
        std::string value;        // trimmed, quotes removed
        std::size_t line = 0;     // index into lines_
    };
    struct section_rec {
        std::string name;
        std::size_t header = 0;   // index of the "[name]" line
        std::size_t end = 0;      // one past the section's last line
        std::vector<entry> entries;
        std::unordered_map<std::string, std::size_t> index;  // folded key -> first entry
    };

    void reindex();
    const section_rec* find_section(std::string_view section) const;
    std::string line_end() const;
    void insert_line(std::size_t at, std::string content);

    // Each line as read, with its own line end ("\r\n", "\n" or none for a
    // last line without one).
    std::vector<std::string> lines_;
    std::vector<section_rec> sections_;
    std::unordered_map<std::string, std::size_t> section_index_;  // folded name -> first section
};

// The free functions read the file anew on every call.
std::string ini_get_string(const std::string& file, const std::string& section, const std::string& key,
                           const std::string& deflt, std::size_t bufsize);
int ini_get_int(const std::string& file, const std::string& section, const std::string& key, int deflt);
std::vector<std::string> ini_section_keys(const std::string& file, const std::string& section);

// Creates the file or the section as needed and sets the key. False when
// the file cannot be read back or written, or when ini_file::set refuses
// the names or the value.
bool ini_write_string(const std::string& file, const std::string& section, const std::string& key,
                      const std::string& value);

// Removes the key from the file. True when the key is gone afterwards
// (also when it was never there); false when the file cannot be written.
bool ini_delete_key(const std::string& file, const std::string& section, const std::string& key);

}  // namespace vt::plat
