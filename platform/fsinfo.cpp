// File system facts.
#include "platform/fsinfo.h"
#include "platform/text.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace vt::plat {

std::string current_directory() {
    std::string buf(256, '\0');
    for (;;) {
        if (::getcwd(buf.data(), buf.size())) {
            buf.resize(std::char_traits<char>::length(buf.c_str()));
            return buf;
        }
        if (errno != ERANGE || buf.size() >= (std::size_t{1} << 20)) return {};
        buf.assign(buf.size() * 2, '\0');
    }
}

bool change_directory(const std::string& path) { return !path.empty() && ::chdir(path.c_str()) == 0; }

bool disk_space(const std::string& path, disk_figures& out) noexcept {
    struct statvfs st {};
    if (::statvfs(path.c_str(), &st) != 0) return false;
    out.block_size = st.f_frsize ? st.f_frsize : st.f_bsize;
    out.blocks = st.f_blocks;
    out.blocks_avail = st.f_bavail;
    return true;
}

namespace {
std::uint64_t bytes(std::uint64_t count, std::uint64_t unit) noexcept {
    if (unit != 0 && count > std::numeric_limits<std::uint64_t>::max() / unit)
        return std::numeric_limits<std::uint64_t>::max();
    return count * unit;
}
}  // namespace

std::uint64_t disk_total_bytes(const std::string& path) noexcept {
    disk_figures f;
    return disk_space(path, f) ? bytes(f.blocks, f.block_size) : 0;
}

std::uint64_t disk_free_bytes(const std::string& path) noexcept {
    disk_figures f;
    return disk_space(path, f) ? bytes(f.blocks_avail, f.block_size) : 0;
}

std::string native_path(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

bool same_file(const std::string& a, const std::string& b) noexcept {
    struct stat sa {}, sb {};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool overwrites_input(const std::string& input, const std::string& output) noexcept {
    if (equal_nocase(input, output)) return true;
    try {
        return same_file(native_path(input), native_path(output));
    } catch (...) {
        return false;  // no memory for the path copies: the names differ
    }
}

bool wildcard_match(std::string_view pattern, std::string_view name) noexcept {
    // Greedy matching that returns to the last '*' on a mismatch: each '*'
    // only ever moves forward, so the work stays at most pattern x name.
    std::size_t p = 0, n = 0;
    std::size_t star = std::string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || lower_ascii(pattern[p]) == lower_ascii(name[n]))) {
            ++p;
            ++n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::vector<std::string> list_files(const std::string& dir, std::string_view pattern) {
    std::vector<std::string> out;
    if (pattern == "*.*") pattern = "*";
    const std::string base = dir.empty() ? std::string(".") : dir;
    const std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(base.c_str()), &::closedir);
    if (!d) return out;
    while (const dirent* e = ::readdir(d.get())) {
        const std::string_view name(e->d_name);
        if (name == "." || name == ".." || !wildcard_match(pattern, name)) continue;
        struct stat st {};
        const std::string full = base + "/" + std::string(name);
        if (::stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode)) out.emplace_back(name);
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Reads a whole regular file. Opening without blocking keeps a FIFO or a
// device named by mistake from hanging the caller; they are refused.
std::FILE* open_regular_file(const std::string& path) {
    const int fd = ::open(native_path(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    // Reads of a regular file never block; the flag only kept the open
    // itself from waiting on a FIFO.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* fp = ::fdopen(fd, "rb");
    if (fp == nullptr) ::close(fd);
    return fp;
}

void remove_regular_file(const std::string& path) noexcept {
    try {
        const std::string p = native_path(path);
        struct stat st {};
        if (::lstat(p.c_str(), &st) == 0 && (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode))) ::unlink(p.c_str());
    } catch (...) {
    }
}

bool read_regular_file(const std::string& path, std::string& out) {
    out.clear();
    std::FILE* fp = open_regular_file(path);
    if (fp == nullptr) return false;
    char buf[65536];
    std::size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, fp)) > 0) out.append(buf, n);
    const bool ok = std::ferror(fp) == 0;
    std::fclose(fp);
    if (!ok) out.clear();
    return ok;
}

}  // namespace vt::plat
