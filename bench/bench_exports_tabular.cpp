// The exports that format every cell, first group: relational, graph and
// matrix files, the print matrix and table, the dBase files and the
// worksheet, each converting the generated 10-million-cell table (see
// bench_table.h) from its file to its output, keywords and all, as a
// vtbatch job does. The argument is the thread count (VELTRA_THREADS for
// the run); rates are in cells per second.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "bench_table.h"
#include "export/dbase.h"
#include "export/delimited.h"
#include "export/excel.h"
#include "export/print.h"

namespace {

using vt::bench::run_conversion;

const std::string symbols = ".;..;...;....;.....;......;.......;-";

void BM_export_reltable(benchmark::State& state) {
    run_conversion(state, "rel.txt", [](auto& in, auto& out) { return vt::RelTable(in, out, ".", "", 0, symbols, 0, 0); });
}
void BM_export_graph(benchmark::State& state) {
    run_conversion(state, "g.gra", [](auto& in, auto& out) { return vt::utgraph(in, out, ".", "", 0, symbols, 0, 0); });
}
void BM_export_matrix(benchmark::State& state) {
    run_conversion(state, "m.mtx", [](auto& in, auto& out) { return vt::utgraph(in, out, ".", "", 0, symbols, 0, 0); });
}
void BM_export_prnmatrix(benchmark::State& state) {
    run_conversion(state, "pm.prn", [](auto& in, auto& out) { return vt::asmkonv(in, out, ";", 0, symbols, 0, 0); });
}
void BM_export_prntable(benchmark::State& state) {
    run_conversion(state, "pt.prn", [](auto& in, auto& out) { return vt::astkonv(in, out, ";", 0, symbols, 0, 0); });
}
void BM_export_dbase1(benchmark::State& state) {
    run_conversion(state, "d1.dbf", [](auto& in, auto& out) { return vt::dbakonv(in, out, ""); });
}
void BM_export_dbase2(benchmark::State& state) {
    run_conversion(state, "d2.dbf", [](auto& in, auto& out) { return vt::dbakonv2(in, out); });
}
void BM_export_excel(benchmark::State& state) {
    run_conversion(state, "x.xls",
               [](auto& in, auto& out) { return vt::ExcelConv2005(in, out, symbols, 0, 0, "", 0, 0, 0); });
}

#define VT_EXPORT_BENCH(name) BENCHMARK(name)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()

VT_EXPORT_BENCH(BM_export_reltable);
VT_EXPORT_BENCH(BM_export_graph);
VT_EXPORT_BENCH(BM_export_matrix);
VT_EXPORT_BENCH(BM_export_prnmatrix);
VT_EXPORT_BENCH(BM_export_prntable);
VT_EXPORT_BENCH(BM_export_dbase1);
VT_EXPORT_BENCH(BM_export_dbase2);
VT_EXPORT_BENCH(BM_export_excel);

}  // namespace
