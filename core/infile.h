// The open table file: buffered input shared by the keyword reader and the
// data section readers, so the data is read from where the keywords ended.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace vt {

// Reads a file (or a byte range in memory) the way a text-mode stream does
// on the system the files come from: a CR LF pair reads as one LF and a
// Ctrl-Z byte (0x1A) ends the file. The translation happens once per buffer
// fill, so the per-character path and the bulk window below see the same
// bytes.
class in_file {
public:
    static constexpr int eof = -1;
    static constexpr std::size_t default_buffer = std::size_t{1} << 20;

    in_file() = default;
    explicit in_file(std::size_t buffer_size) : chunk_(buffer_size ? buffer_size : 1) {}
    ~in_file() { close(); }
    in_file(const in_file&) = delete;
    in_file& operator=(const in_file&) = delete;

    // Opens a file for reading; '\' in the name counts as '/'. False when it
    // cannot be opened.
    bool open(const std::string& path);
    // Reads from memory instead of a file (the bytes must outlive the reads).
    void open_memory(std::string_view bytes);
    void close() noexcept;
    bool is_open() const noexcept { return fp_ != nullptr || mem_active_; }

    // The next byte (0..255), or eof.
    int get() noexcept {
        if (pos_ < end_) return static_cast<unsigned char>(*pos_++);
        return refill() ? static_cast<unsigned char>(*pos_++) : eof;
    }
    // The next byte without taking it, or eof.
    int peek() noexcept {
        if (pos_ < end_) return static_cast<unsigned char>(*pos_);
        return refill() ? static_cast<unsigned char>(*pos_) : eof;
    }

    // Bulk access for the data readers: the bytes buffered but not yet
    // taken are [window_begin(), window_end()); advance() takes n of them;
    // refill() loads more once the window is empty (false at end of file).
    const char* window_begin() const noexcept { return pos_; }
    const char* window_end() const noexcept { return end_; }
    void advance(std::size_t n) noexcept { pos_ += n; }
    bool refill() noexcept;

    // True once a read failed for another reason than the end of the file.
    bool failed() const noexcept { return failed_; }

private:
    std::size_t read_raw(char* dst, std::size_t n) noexcept;

    std::FILE* fp_ = nullptr;
    std::string_view mem_;
    bool mem_active_ = false;
    std::size_t chunk_ = default_buffer;
    std::vector<char> buf_;
    char* pos_ = nullptr;
    char* end_ = nullptr;
    bool held_cr_ = false;   // the last chunk ended in CR: its fate waits for the next byte
    bool at_end_ = false;    // raw input exhausted or Ctrl-Z seen
    bool failed_ = false;
};

}  // namespace vt
