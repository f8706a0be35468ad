// The output file of every writer: a large buffer in front of the file, so
// writers can emit one byte or one token at a time without a system call
// or a stdio lock per piece. Text goes out as bytes, LF line ends as given.
//
// A file output is staged (platform/staged.h): it replaces an old file of
// that name only when close() finds every byte written. An out_file that
// is destroyed without close(), as on every early return of a failed
// export, leaves the old file as it was and no partial file behind.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/staged.h"

namespace vt {

class out_file {
public:
    static constexpr std::size_t default_buffer = std::size_t{1} << 20;

    out_file() { buf_.resize(default_buffer); }
    explicit out_file(std::size_t buffer_size) { buf_.resize(buffer_size < 64 ? 64 : buffer_size); }
    // A memory output keeps what was written; a file output not closed is
    // dropped.
    ~out_file() {
        if (mem_ != nullptr)
            close();
        else
            discard();
    }
    out_file(const out_file&) = delete;
    out_file& operator=(const out_file&) = delete;

    // Starts the output file `path`; '\' in the name counts as '/'. False
    // when it cannot be created (an empty name, a directory, no such folder).
    bool open(const std::string& path);
    // Collects the output in a string instead (the string must outlive the
    // writes); used by tests and by callers that post-process the text.
    void open_memory(std::string& target);
    // Flushes, closes and puts the file in place. False when any write
    // failed (disk full, ...): the old file is then kept as it was.
    bool close() noexcept;
    // Drops what was written: a file output leaves the old file untouched.
    void discard() noexcept;
    bool is_open() const noexcept { return file_.is_open() || mem_ != nullptr; }

    void put(char c) {
        if (pos_ == buf_.size()) flush();
        buf_[pos_++] = c;
    }
    void write(std::string_view s) {
        if (s.size() <= buf_.size() - pos_) {
            s.copy(buf_.data() + pos_, s.size());
            pos_ += s.size();
        } else {
            write_slow(s);
        }
    }
    void write(const char* s, std::size_t n) { write(std::string_view(s, n)); }
    // Writes an integer in decimal.
    void write_int(long long v);

    // Direct access for hot loops: make room for at least n bytes, fill
    // them from reserve(), then commit() how many were used.
    char* reserve(std::size_t n) {
        if (buf_.size() - pos_ < n) {
            flush();
            if (buf_.size() < n) buf_.resize(n);
        }
        return buf_.data() + pos_;
    }
    void commit(std::size_t n) noexcept { pos_ += n; }

    // Hands the buffered bytes to the file (or the string).
    void flush();
    bool failed() const noexcept { return failed_; }

private:
    void write_slow(std::string_view s);

    plat::staged_file file_;
    std::string* mem_ = nullptr;
    std::vector<char> buf_;
    std::size_t pos_ = 0;
    bool failed_ = false;
};

}  // namespace vt
