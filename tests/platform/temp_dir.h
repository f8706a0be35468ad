// A fresh directory under the system's temporary directory, removed with
// everything in it when the test ends.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace vt::test {

// The whole of a file as bytes; "" when it cannot be read.
inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class temp_dir {
public:
    temp_dir() {
        std::random_device rd;
        const auto base = std::filesystem::temp_directory_path();
        for (;;) {
            path_ = base / ("vt-test-" + std::to_string(rd()));
            if (std::filesystem::create_directory(path_)) break;
        }
    }
    ~temp_dir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    temp_dir(const temp_dir&) = delete;
    temp_dir& operator=(const temp_dir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

    // Writes `bytes` to the file `name` and returns its path.
    std::string write(const std::string& name, const std::string& bytes) const {
        std::ofstream(file(name), std::ios::binary) << bytes;
        return file(name);
    }
    std::string read(const std::string& name) const { return read_file(file(name)); }

private:
    std::filesystem::path path_;
};

#ifdef VT_VTBATCH
// Runs vtbatch in `dir` on the query file `query` (a name in dir), its
// output thrown away; the exit status, or -1 when it did not exit normally.
// `shell_setup` runs first in the same shell (limits such as "ulimit -f 0").
inline int run_vtbatch(const temp_dir& dir, const std::string& query, const std::string& shell_setup = "") {
    const std::string cmd = "cd '" + dir.path().string() + "' && " + (shell_setup.empty() ? "" : shell_setup + " && ") +
                            "'" + VT_VTBATCH + "' '" + query + "' >/dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#endif

}  // namespace vt::test
