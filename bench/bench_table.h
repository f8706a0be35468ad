// The generated table the export benchmarks convert: 10 million cells
// (stub 50 x 200, heading 1 000), two decimals, 2% data symbols, about
// 89 MB, written once per run by vtgen into a temporary folder that is
// removed when the program ends.
#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
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

// A conversion of the generated table `in` into the file `out`; 0 on success.
using conversion = std::function<int(const std::string& in, const std::string& out)>;

// Times `convert` on the generated table with VELTRA_THREADS set to the
// benchmark's argument, in cells per second, with the output's bytes per
// cell as a counter; the output is removed afterwards.
inline void run_conversion(benchmark::State& state, const std::string& output, const conversion& convert) {
    const std::string& in = generated_table();
    if (in.empty()) {
        state.SkipWithError("vtgen could not write the table");
        return;
    }
    const std::string threads = std::to_string(state.range(0));
    ::setenv("VELTRA_THREADS", threads.c_str(), 1);
    const std::string out = bench_output(output);
    for (auto _ : state) {
        if (convert(in, out) != 0) {
            state.SkipWithError("the export failed");
            break;
        }
    }
    ::unsetenv("VELTRA_THREADS");
    std::error_code ec;
    const auto size = std::filesystem::file_size(out, ec);
    state.SetItemsProcessed(state.iterations() * generated_cells);
    if (!ec) state.counters["bytes_per_cell"] = static_cast<double>(size) / generated_cells;
    std::filesystem::remove(out, ec);
}

}  // namespace vt::bench
