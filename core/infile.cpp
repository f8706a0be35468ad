// The open table file: buffered input with text-mode line ends.
#include "core/infile.h"

#include <algorithm>
#include <cstring>

#include "platform/fsinfo.h"

namespace vt {

bool in_file::open(const std::string& path) {
    close();
    // Only a regular file is a table: a FIFO or a device such as /dev/zero
    // would be read forever.
    fp_ = plat::open_regular_file(path);
    return fp_ != nullptr;
}

void in_file::open_memory(std::string_view bytes) {
    close();
    mem_ = bytes;
    mem_active_ = true;
}

void in_file::close() noexcept {
    if (fp_) std::fclose(fp_);
    fp_ = nullptr;
    mem_ = {};
    mem_active_ = false;
    pos_ = end_ = nullptr;
    held_cr_ = at_end_ = failed_ = false;
}

std::size_t in_file::read_raw(char* dst, std::size_t n) noexcept {
    if (fp_) {
        std::size_t got = std::fread(dst, 1, n, fp_);
        if (got < n && std::ferror(fp_)) failed_ = true;
        return got;
    }
    std::size_t got = std::min(n, mem_.size());
    if (got) std::memcpy(dst, mem_.data(), got);
    mem_.remove_prefix(got);
    return got;
}

bool in_file::refill() noexcept {
    if (pos_ < end_) return true;
    if (!is_open()) return false;
    try {
        if (buf_.size() < chunk_ + 1) buf_.resize(chunk_ + 1);
    } catch (...) {
        failed_ = true;
        return false;
    }
    while (!at_end_) {
        char* out = buf_.data();
        std::size_t len = 0;
        if (held_cr_) {
            *out = '\r';
            len = 1;
            held_cr_ = false;
        }
        std::size_t got = read_raw(out + len, chunk_);
        if (got == 0) at_end_ = true;
        len += got;
        // Ctrl-Z ends a text file.
        if (void* z = std::memchr(out, 0x1A, len)) {
            len = static_cast<std::size_t>(static_cast<char*>(z) - out);
            at_end_ = true;
        }
        // A trailing CR may be the first half of a CR LF pair: keep it back.
        if (!at_end_ && len > 0 && out[len - 1] == '\r') {
            held_cr_ = true;
            --len;
        }
        // CR LF reads as LF; a lone CR stays.
        char* w = static_cast<char*>(std::memchr(out, '\r', len));
        if (w) {
            char* r = w;
            char* e = out + len;
            while (r < e) {
                if (*r == '\r' && r + 1 < e && r[1] == '\n') {
                    ++r;
                    continue;
                }
                *w++ = *r++;
            }
            len = static_cast<std::size_t>(w - out);
        }
        if (len > 0) {
            pos_ = out;
            end_ = out + len;
            return true;
        }
    }
    pos_ = end_ = nullptr;
    return false;
}

}  // namespace vt
