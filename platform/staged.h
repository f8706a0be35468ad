// An output that replaces an old file only once it is complete.
//
// A regular file (or a name not yet taken) is written to a temporary file
// beside it, in the same folder so the final rename cannot cross file
// systems; commit() renames it over the target after the last byte is
// written and flushed. Until then, and whenever anything fails, the old
// file stays as it was and no partial file is left behind.
//
// A name that already exists but is not a regular file is handled as the
// thing it is: a directory is refused, a device or a pipe is written in
// place (so "/dev/stdout" works and "/dev/full" reports its write error).
// A symbolic link keeps pointing at the new file, and a replaced file
// keeps its permissions.
#pragma once

#include <cstdio>
#include <string>

namespace vt::plat {

class staged_file {
public:
    staged_file() = default;
    ~staged_file() { abandon(); }
    staged_file(const staged_file&) = delete;
    staged_file& operator=(const staged_file&) = delete;

    // Starts the output `path` ('\' counts as '/'). False when it cannot be
    // made: an empty name, a directory, a folder that does not exist or
    // cannot be written.
    bool open(const std::string& path);

    // The stream to write into; nullptr when not open.
    std::FILE* stream() const noexcept { return fp_; }
    bool is_open() const noexcept { return fp_ != nullptr; }

    // Flushes, closes and puts the output in place. False when any of it
    // fails (a write error the stream kept, a full disk at the flush, a
    // failed rename); the old file is then untouched and the temporary
    // file removed.
    bool commit() noexcept;

    // Drops the output: the temporary file is removed and the target left
    // as it was (a device or pipe written in place keeps what it got).
    void abandon() noexcept;

private:
    std::FILE* fp_ = nullptr;
    std::string target_;  // the file the output becomes
    std::string temp_;    // "" when writing in place
};

// Writes `data` as the whole new contents of `path` through a staged file.
bool replace_file(const std::string& path, const std::string& data);

}  // namespace vt::plat
