#include "core/outfile.h"

#include <charconv>

namespace vt {

bool out_file::open(const std::string& path) {
    discard();
    failed_ = false;
    pos_ = 0;
    return file_.open(path);
}

void out_file::open_memory(std::string& target) {
    discard();
    mem_ = &target;
    failed_ = false;
    pos_ = 0;
}

void out_file::flush() {
    if (pos_ == 0) return;
    if (std::FILE* fp = file_.stream()) {
        if (std::fwrite(buf_.data(), 1, pos_, fp) != pos_) failed_ = true;
    } else if (mem_) {
        mem_->append(buf_.data(), pos_);
    } else {
        failed_ = true;  // writing to nothing loses the bytes
    }
    pos_ = 0;
}

void out_file::write_slow(std::string_view s) {
    while (!s.empty()) {
        if (pos_ == buf_.size()) flush();
        std::size_t n = std::min(s.size(), buf_.size() - pos_);
        s.copy(buf_.data() + pos_, n);
        pos_ += n;
        s.remove_prefix(n);
    }
}

void out_file::write_int(long long v) {
    char tmp[24];
    auto r = std::to_chars(tmp, tmp + sizeof tmp, v);
    write(tmp, static_cast<std::size_t>(r.ptr - tmp));
}

bool out_file::close() noexcept {
    bool ok = !failed_;
    if (file_.is_open() || mem_) {
        try {
            flush();
        } catch (...) {
            failed_ = true;
        }
        ok = !failed_;
        if (file_.is_open()) {
            if (ok)
                ok = file_.commit();
            else
                file_.abandon();
        }
    }
    mem_ = nullptr;
    pos_ = 0;
    return ok;
}

void out_file::discard() noexcept {
    file_.abandon();
    mem_ = nullptr;
    pos_ = 0;
}

}  // namespace vt
