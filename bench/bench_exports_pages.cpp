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

using vt::bench::run_conversion;

void BM_pages_html1(benchmark::State& state) {
    run_conversion(state, "html1", [](const std::string& in, const std::string& out) {
        return vt::htmkonv(in, out, "", 0, 0);
    });
}

void BM_pages_html2(benchmark::State& state) {
    run_conversion(state, "html2", [](const std::string& in, const std::string& out) {
        return vt::htmkonv2(in, out, "", 0, 0);
    });
}

void BM_pages_asp(benchmark::State& state) {
    run_conversion(state, "asp", [](const std::string& in, const std::string& out) {
        return vt::AspConv(in, out, 1, "", ".", 0, 0, 0, 0, "", "", "0", 0, 0);
    });
}

void BM_pages_text(benchmark::State& state) {
    run_conversion(state, "text", [](const std::string& in, const std::string& out) {
        return vt::TextConv(in, out, 100, 70, 0, 0, ".", "", 0, 0, "", 0, 0, 0);
    });
}

}  // namespace

BENCHMARK(BM_pages_html1)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_pages_html2)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_pages_asp)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_pages_text)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
