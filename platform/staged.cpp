#include "platform/staged.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/fsinfo.h"

namespace vt::plat {

namespace {

// The permissions a new file gets from the process's umask. The mask can
// only be read by setting it, so it is read once and put back at once.
mode_t new_file_mode() noexcept {
    static const mode_t mode = [] {
        const mode_t mask = ::umask(022);
        ::umask(mask);
        return static_cast<mode_t>(0666 & ~mask);
    }();
    return mode;
}

std::string folder_of(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The name the output really replaces: a symbolic link is followed, so the
// link stays and points at the new contents.
std::string resolved(const std::string& path) {
    std::string target = path;
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        target = real;
        std::free(real);
    }
    return target;
}

}  // namespace

bool staged_file::open(const std::string& path) {
    abandon();
    if (path.empty()) return false;
    const std::string target = resolved(native_path(path));
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return false;
    }
    if (exists && !S_ISREG(st.st_mode)) {
        // A device or a pipe: there is no old contents to keep.
        fp_ = std::fopen(target.c_str(), "wb");
        target_ = target;
        return fp_ != nullptr;
    }
    if (!exists && errno != ENOENT) return false;
    std::string temp = folder_of(target) + "/.vt-" + std::to_string(::getpid()) + "-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    if (exists) {
        // Keeping the owner only works for root; others keep their own.
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
        }
        if (::fchmod(fd, st.st_mode & 07777) != 0) {
        }
    } else if (::fchmod(fd, new_file_mode()) != 0) {
    }
    fp_ = ::fdopen(fd, "wb");
    if (fp_ == nullptr) {
        ::close(fd);
        ::unlink(temp.c_str());
        return false;
    }
    target_ = target;
    temp_ = std::move(temp);
    return true;
}

bool staged_file::commit() noexcept {
    if (fp_ == nullptr) return false;
    bool ok = std::fflush(fp_) == 0 && std::ferror(fp_) == 0;
    if (std::fclose(fp_) != 0) ok = false;
    fp_ = nullptr;
    if (!temp_.empty()) {
        if (ok && ::rename(temp_.c_str(), target_.c_str()) != 0) ok = false;
        if (!ok) ::unlink(temp_.c_str());
    }
    temp_.clear();
    target_.clear();
    return ok;
}

void staged_file::abandon() noexcept {
    if (fp_ != nullptr) std::fclose(fp_);
    fp_ = nullptr;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
    target_.clear();
}

bool replace_file(const std::string& path, const std::string& data) {
    staged_file f;
    if (!f.open(path)) return false;
    if (!data.empty() && std::fwrite(data.data(), 1, data.size(), f.stream()) != data.size()) return false;
    return f.commit();
}

}  // namespace vt::plat
