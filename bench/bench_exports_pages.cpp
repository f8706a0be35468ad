// The page exports on the generated 10-million-cell table: the HTML pages
// in both layouts, the ASP fragment and the text report, each a whole call
// (reading the table, formatting every cell, writing the file), with one
// thread and with two (the argument, passed as VELTRA_THREADS). Rate: cells
// per second of the whole call; bytes_per_cell is the output's size per
// cell.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "bench_table.h"
#include "export/asp.h"
#include "export/html.h"
#include "export/text.h"

namespace {

using convert_fn = std::function<int(const std::string& in, const std::string& out)>;

void run_export(benchmark::State& state, const std::string& name, const convert_fn& convert) {
    const std::string& in = vt::bench::generated_table();
    if (in.empty()) {
        state.SkipWithError("vtgen could not write the table");
        return;
    }
    const std::string threads = std::to_string(state.range(0));
    ::setenv("VELTRA_THREADS", threads.c_str(), 1);
    const std::string out = vt::bench::bench_output(name + ".out");
    for (auto _ : state) {
        if (convert(in, out) != 0) {
            state.SkipWithError("the export failed");
            break;
        }
    }
    ::unsetenv("VELTRA_THREADS");
    std::error_code ec;
    const auto size = std::filesystem::file_size(out, ec);
    state.SetItemsProcessed(state.iterations() * vt::bench::generated_cells);
    if (!ec) state.counters["bytes_per_cell"] = static_cast<double>(size) / vt::bench::generated_cells;
    std::filesystem::remove(out, ec);
}

void BM_pages_html1(benchmark::State& state) {
    run_export(state, "html1", [](const std::string& in, const std::string& out) {
        return vt::htmkonv(in, out, "", 0, 0);
    });
}

void BM_pages_html2(benchmark::State& state) {
    run_export(state, "html2", [](const std::string& in, const std::string& out) {
        return vt::htmkonv2(in, out, "", 0, 0);
    });
}

void BM_pages_asp(benchmark::State& state) {
    run_export(state, "asp", [](const std::string& in, const std::string& out) {
        return vt::AspConv(in, out, 1, "", ".", 0, 0, 0, 0, "", "", "0", 0, 0);
    });
}

void BM_pages_text(benchmark::State& state) {
    run_export(state, "text", [](const std::string& in, const std::string& out) {
        return vt::TextConv(in, out, 100, 70, 0, 0, ".", "", 0, 0, "", 0, 0, 0);
    });
}

}  // namespace

BENCHMARK(BM_pages_html1)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_pages_html2)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_pages_asp)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_pages_text)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
