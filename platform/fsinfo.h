// File system facts: the current directory, the size and free space of a
// file system, path spelling, file identity and directory listings.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace vt::plat {

// The current directory, or "" when it cannot be told (removed, too deep).
std::string current_directory();

// Makes `path` the current directory; false when it cannot.
bool change_directory(const std::string& path);

// The raw figures of the file system holding `path`.
struct disk_figures {
    std::uint64_t block_size = 0;    // fragment size: the unit of the counts
    std::uint64_t blocks = 0;        // total
    std::uint64_t blocks_avail = 0;  // free for an unprivileged user
};

// False when the file system cannot be asked (no such path).
bool disk_space(const std::string& path, disk_figures& out) noexcept;

// Total size and free space (what an unprivileged user may still fill) in
// bytes; 0 when the file system cannot be asked.
std::uint64_t disk_total_bytes(const std::string& path = ".") noexcept;
std::uint64_t disk_free_bytes(const std::string& path = ".") noexcept;

// Paths in query files may use '\' or '/' between names; this gives the
// path with '/' throughout.
std::string native_path(std::string path);

// Reads the whole of a regular file into `out`. False, with `out` empty,
// when the file cannot be opened or read, or is no regular file: a FIFO or
// a device named by mistake would otherwise hang the caller or never end.
bool read_regular_file(const std::string& path, std::string& out);

// Opens a regular file for reading in binary mode; nullptr for anything
// else (no such file, a directory, a FIFO, a device), without blocking.
std::FILE* open_regular_file(const std::string& path);

// Removes a file that is no longer wanted, but only a regular file (or a
// link): a directory or device of that name is never removed.
void remove_regular_file(const std::string& path) noexcept;

// True when both paths name the same existing file, however they are
// spelled ("a.vt", "./a.vt", a hard or symbolic link to it).
bool same_file(const std::string& a, const std::string& b) noexcept;

// The same-file rule of every job that writes an output: true when writing
// `output` would replace `input`, because the names are equal without
// regard to case or because they name one existing file (another spelling
// of the path, with '\\' or '/', a hard or a symbolic link).
bool overwrites_input(const std::string& input, const std::string& output) noexcept;

// True when `name` matches `pattern`: '*' stands for any run of bytes
// (also none), '?' for exactly one byte; ASCII letters match either case.
bool wildcard_match(std::string_view pattern, std::string_view name) noexcept;

// The names (without directory) of the files in `dir` that match
// `pattern`, sorted by their bytes. Only regular files (or links to them)
// are listed; "*.*" lists all of them, names without a dot too. Empty when
// the directory cannot be read.
std::vector<std::string> list_files(const std::string& dir, std::string_view pattern);

}  // namespace vt::plat
