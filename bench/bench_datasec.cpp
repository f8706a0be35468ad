// Data section benchmarks: read_data, dsave from memory and dsave copying
// the input, on a generated table of 10 million cells.
//
// The table has one stub variable of 10 000 values and one heading
// variable of 1 000 values; its data section holds numbers with two
// decimals, about 2% of them data symbols, one row per line, as the writer
// lays it out (about 80 MB). It is generated in-process from a fixed seed.
// Rates: read_data, stream_cells and the copy in MB/s of data section,
// dsave from memory in cells/s. The readers run on the number of threads
// their argument gives; with several, the wall time (real_time) is what
// counts, the CPU column being the calling thread's alone.
//
// The peak benchmarks run one read_data and one copy from the file on disk
// and report the memory they took beyond what the process held before
// (peak_extra_kB; the cell block alone is 78 125 kB).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/datasec.h"
#include "core/reader.h"

namespace {

constexpr int stub_values = 10000;
constexpr int heading_values = 1000;
constexpr std::int64_t cell_total = std::int64_t{stub_values} * heading_values;

std::string keyword_part() {
    std::string s = "CHARSET=\"ANSI\";\nDECIMALS=2;\nMATRIX=\"BENCH02\";\nSUBJECT-AREA=\"Benchmark\";\n"
                    "SUBJECT-CODE=\"BM\";\nTITLE=\"Generated table for the data section benchmark\";\n"
                    "CONTENTS=\"Amount\";\nUNITS=\"number\";\nSTUB=\"unit\";\nHEADING=\"item\";\n";
    for (const auto& [name, n] : {std::pair<const char*, int>{"unit", stub_values}, {"item", heading_values}}) {
        s += "VALUES(\"";
        s += name;
        s += "\")=";
        for (int i = 1; i <= n; ++i) {
            s += '"';
            s += std::to_string(i);
            s += i == n ? "\";\n" : i % 10 ? "\"," : "\",\n";
        }
    }
    return s + "DATA=\n";
}

// Hands the data section to `sink` a row at a time.
void generate_data(const std::function<void(const std::string&)>& sink) {
    static const char* const symbols[] = {"\".\"", "\"..\"", "\"-\"", "\"...\""};
    std::mt19937_64 rng(20261209);
    std::string row;
    char num[32];
    for (int r = 0; r < stub_values; ++r) {
        row.clear();
        for (int c = 0; c < heading_values; ++c) {
            const std::uint64_t x = rng();
            if (x % 50 == 0) {
                row += symbols[(x >> 8) % 4];
            } else {
                // Amounts from 0.00 to 99999.99, a tenth of them negative.
                std::uint64_t cents = (x >> 16) % 10000000;
                int n = std::snprintf(num, sizeof num, "%s%llu.%02llu", (x >> 40) % 10 == 0 ? "-" : "",
                                      static_cast<unsigned long long>(cents / 100),
                                      static_cast<unsigned long long>(cents % 100));
                row.append(num, static_cast<std::size_t>(n));
            }
            row += r == stub_values - 1 && c == heading_values - 1 ? ";" : " ";
        }
        row += '\n';
        sink(row);
    }
}

struct sample {
    std::string keywords;
    std::string data;   // the data section alone
    vt::table shape;    // the table as metain reads it, without data
    std::string path;   // keywords and data on disk
};

vt::table read_shape(const std::string& keywords) {
    static std::string bytes;
    bytes = keywords;
    vt::in_file f;
    f.open_memory(bytes);
    vt::table t = vt::table_new();
    if (vt::metain(f, t) != 0) std::fprintf(stderr, "vt_bench: the generated keyword part does not read\n");
    return t;
}

vt::table fresh_table(const sample& s) {
    vt::table t = vt::table_new();
    t.vars = s.shape.vars;
    t.heading = s.shape.heading;
    return t;
}

// The thread count of a benchmark: its argument (0 = the cores).
vt::chunking threads_of(const benchmark::State& state) {
    vt::chunking how;
    how.threads = static_cast<unsigned>(state.range(0));
    return how;
}

void read_from_memory(benchmark::State& state, const sample* s) {
    for (auto _ : state) {
        vt::table t = fresh_table(*s);
        vt::in_file f;
        f.open_memory(s->data);
        if (vt::read_data(t, f, threads_of(state)) != 0) {
            state.SkipWithError("read_data failed");
            break;
        }
        benchmark::DoNotOptimize(t.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(s->data.size()));
}

void read_from_file(benchmark::State& state, const sample* s) {
    for (auto _ : state) {
        vt::table t = vt::table_new();
        vt::in_file f;
        if (vt::read_table_file(s->path, f, t) != 0 || vt::read_data(t, f, threads_of(state)) != 0) {
            state.SkipWithError("reading the file failed");
            break;
        }
        benchmark::DoNotOptimize(t.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(s->data.size()));
}

// The cells streamed in requests of 65 536, as the dBase export asks.
void stream_from_memory(benchmark::State& state, const sample* s) {
    std::vector<double> block(1 << 16);
    std::string scratch;
    for (auto _ : state) {
        vt::in_file f;
        f.open_memory(s->data);
        std::int64_t total = 0;
        for (std::int64_t got; (got = vt::stream_cells(f, block.data(), 1 << 16, 0, scratch, threads_of(state))) > 0;)
            total += got;
        if (total != cell_total) {
            state.SkipWithError("stream_cells lost cells");
            break;
        }
        benchmark::DoNotOptimize(block.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(s->data.size()));
}

void save_from_memory(benchmark::State& state, const sample* s) {
    vt::table t = fresh_table(*s);
    {
        vt::in_file f;
        f.open_memory(s->data);
        if (vt::read_data(t, f) != 0) state.SkipWithError("read_data failed");
    }
    std::size_t written = 0;
    for (auto _ : state) {
        vt::out_file out;
        if (!out.open("/dev/null")) {
            state.SkipWithError("cannot open /dev/null");
            break;
        }
        std::int64_t cells = cell_total;
        if (vt::dsave(nullptr, out, t, cells, 1, 2, heading_values, 0, 0) != 0) {
            state.SkipWithError("dsave failed");
            break;
        }
        out.close();
    }
    {
        // The text written must be the generated section itself.
        std::string text;
        vt::out_file out;
        out.open_memory(text);
        std::int64_t cells = cell_total;
        vt::dsave(nullptr, out, t, cells, 0, 2, heading_values, 0, 0);
        out.close();
        written = text.size();
        if (text != s->data) state.SkipWithError("dsave wrote other text than the generated section");
    }
    state.SetItemsProcessed(state.iterations() * cell_total);
    state.counters["bytes_per_cell"] = static_cast<double>(written) / static_cast<double>(cell_total);
}

void copy_section(benchmark::State& state, const sample* s) {
    for (auto _ : state) {
        vt::table t = fresh_table(*s);
        vt::in_file f;
        f.open_memory(s->data);
        vt::out_file out;
        if (!out.open("/dev/null")) {
            state.SkipWithError("cannot open /dev/null");
            break;
        }
        std::int64_t cells = cell_total;
        if (vt::dsave(&f, out, t, cells, 1, 2, heading_values, 0, 0) != 0) {
            state.SkipWithError("the copy failed");
            break;
        }
        out.close();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(s->data.size()));
}

// A line of /proc/self/status in kB ("VmHWM:", "VmRSS:"), or -1.
long status_kb(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0) return std::stol(line.substr(std::strlen(key)));
    return -1;
}

// The peak memory of one read_data (or one copy) of the file on disk
// beyond what the process held before: the peak is reset first (writing 5
// to clear_refs), then the high-water mark after the run less the resident
// size before it is reported as peak_extra_kB.
void peak(benchmark::State& state, const sample* s, bool copy) {
    long extra = -1;
    for (auto _ : state) {
        { std::ofstream("/proc/self/clear_refs") << "5"; }
        const long before = status_kb("VmRSS:");
        vt::table t = vt::table_new();
        vt::in_file f;
        int rc = vt::read_table_file(s->path, f, t);
        if (rc == 0 && !copy) {
            rc = vt::read_data(t, f, threads_of(state));
        } else if (rc == 0) {
            vt::out_file out;
            out.open("/dev/null");
            std::int64_t cells = cell_total;
            rc = vt::dsave(&f, out, t, cells, 1, 2, heading_values, 0, 0);
        }
        if (rc != 0) state.SkipWithError("the read failed");
        extra = status_kb("VmHWM:") - before;
    }
    state.counters["peak_extra_kB"] = static_cast<double>(extra);
    state.counters["cell_block_kB"] = static_cast<double>(cell_total * 8 / 1024);
}

// The sample is made on first use, so a run that filters these benchmarks
// out costs nothing.
sample* get_sample() {
    static sample* s = [] {
        auto* smp = new sample;
        smp->keywords = keyword_part();
        smp->data.reserve(static_cast<std::size_t>(cell_total) * 9);
        generate_data([smp](const std::string& row) { smp->data += row; });
        smp->shape = read_shape(smp->keywords);
        smp->path = (std::filesystem::temp_directory_path() /
                     ("vt_bench_data_" + std::to_string(getpid()) + ".vt"))
                        .string();
        std::ofstream(smp->path, std::ios::binary) << smp->keywords << smp->data;
        std::atexit([] { std::filesystem::remove(get_sample()->path); });
        return smp;
    }();
    return s;
}

template <void (*run)(benchmark::State&, const sample*)>
void lazy(benchmark::State& state) {
    run(state, get_sample());
}

// The program's main is the one of bench_metain.cpp; these register
// themselves.
const bool registered = [] {
    // The argument is the number of threads.
    benchmark::RegisterBenchmark("datasec/read_data/memory/10M_cells", lazy<read_from_memory>)
        ->Arg(1)->Arg(2)->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("datasec/read_data/file/10M_cells", lazy<read_from_file>)
        ->Arg(1)->Arg(2)->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("datasec/stream_cells/memory/10M_cells", lazy<stream_from_memory>)
        ->Arg(1)->Arg(2)->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("datasec/dsave/memory/10M_cells/2_decimals", lazy<save_from_memory>)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("datasec/dsave/copy/10M_cells", lazy<copy_section>)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("datasec/peak/read_data_file/10M_cells",
                                 [](benchmark::State& st) { peak(st, get_sample(), false); })
        ->Arg(1)->Arg(2)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("datasec/peak/dsave_copy_file/10M_cells",
                                 [](benchmark::State& st) { peak(st, get_sample(), true); })
        ->Arg(1)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    return true;
}();

}  // namespace
