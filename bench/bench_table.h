// The generated table the export benchmarks convert: 10 million cells
// (stub 50 x 200, heading 1 000), two decimals, 2% data symbols, about
// 89 MB, written once per run by vtgen into a temporary folder that is
// removed when the program ends.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace vt::bench {

inline constexpr std::int64_t generated_cells = 10'000'000;

// The path of the generated table, or an empty string when vtgen failed.
inline const std::string& generated_table() {
    struct folder {
        std::filesystem::path dir;
        std::string table;
        folder() {
            dir = std::filesystem::temp_directory_path() / ("vt_bench_" + std::to_string(::getpid()));
            std::filesystem::create_directories(dir);
            const std::string path = (dir / "big.vt").string();
            const std::string cmd = std::string(VT_VTGEN) +
                                    " --stub 50,200 --heading 1000 --decimals 2 --symbols 2 -o '" + path + "'";
            if (std::system(cmd.c_str()) == 0) table = path;
        }
        ~folder() {
            std::error_code ec;
            std::filesystem::remove_all(dir, ec);
        }
    };
    static folder f;
    return f.table;
}

// A fresh output path in the same folder.
inline std::string bench_output(const std::string& name) {
    return (std::filesystem::path(generated_table()).parent_path() / name).string();
}

}  // namespace vt::bench
