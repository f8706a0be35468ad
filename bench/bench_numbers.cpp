// Number formatting benchmarks: format_fixed and the cell formatter in
// values/s, and dsave writing 2 million cells from memory (full and keyed
// form) in cells/s on one thread and on two.
//
// The values are table-like: amounts with two decimals from -99 999.99 to
// 99 999.99, a tenth negative; the dsave table adds 2% data symbols.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "core/cellfmt.h"
#include "core/cells.h"
#include "core/datasec.h"
#include "core/numfmt.h"

namespace {

constexpr std::size_t value_count = 1 << 20;

const std::vector<double>& amounts() {
    static const std::vector<double> v = [] {
        std::vector<double> r(value_count);
        std::mt19937_64 rng(20261209);
        for (double& x : r) {
            const std::uint64_t b = rng();
            const auto cents = static_cast<double>((b >> 16) % 10000000);
            x = ((b >> 40) % 10 == 0 ? -cents : cents) / 100;
        }
        return r;
    }();
    return v;
}

void format_fixed_values(benchmark::State& state) {
    const auto& v = amounts();
    const int decimals = static_cast<int>(state.range(0));
    char buf[vt::format_fixed_max];
    for (auto _ : state) {
        std::size_t bytes = 0;
        for (double x : v) bytes += vt::format_fixed(buf, x, decimals);
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(v.size()));
}
BENCHMARK(format_fixed_values)->Name("numbers/format_fixed")->Arg(0)->Arg(2)->Arg(6)->Unit(benchmark::kMillisecond);

// The cell formatter the way the exports use it: 2 decimals shown.
// Arguments: stored decimals (3 checks every value for a tie at 2),
// thousands separator kind, and 1 for a decimal comma.
vt::cell_formatter two_decimals() {
    vt::cell_formatter f;
    f.column_precision = "2";
    f.row_precision.assign(1, '\0');
    return f;
}

vt::cell_style style_of(const benchmark::State& state) {
    return {static_cast<int>(state.range(0)), state.range(2) != 0 ? "," : ".", 0, static_cast<int>(state.range(1))};
}

void format_cell_string(benchmark::State& state) {
    const auto& v = amounts();
    const vt::cell_formatter f = two_decimals();
    const vt::cell_style style = style_of(state);
    std::string out;
    for (auto _ : state) {
        std::size_t bytes = 0;
        for (double x : v) {
            vt::format_cell(f, 0, 0, x, style, out);
            bytes += out.size();
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(v.size()));
}
BENCHMARK(format_cell_string)
    ->Name("numbers/format_cell")
    ->Args({2, 0, 0})
    ->Args({3, 0, 0})
    ->Args({2, 1, 1})
    ->Unit(benchmark::kMillisecond);

void format_cell_buffer(benchmark::State& state) {
    const auto& v = amounts();
    const vt::cell_formatter f = two_decimals();
    const vt::cell_style style = style_of(state);
    char buf[vt::cell_text_max];
    for (auto _ : state) {
        std::size_t bytes = 0;
        for (double x : v) bytes += vt::format_cell_text(f, 0, 0, x, style, buf).size();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(v.size()));
}
BENCHMARK(format_cell_buffer)
    ->Name("numbers/format_cell_text")
    ->Args({2, 0, 0})
    ->Args({3, 0, 0})
    ->Args({2, 1, 1})
    ->Unit(benchmark::kMillisecond);

// dsave from memory of a table of 2 000 rows (two stub variables, 50 x 40)
// and 1 000 columns. Arguments: threads (VELTRA_THREADS), 1 for the keyed
// form.
constexpr std::int64_t rows = 2000, cols = 1000;

vt::table& dsave_table() {
    static vt::table t = [] {
        vt::table r = vt::table_new();
        const int counts[3] = {50, 40, static_cast<int>(cols)};
        for (int i = 0; i < 3; ++i) {
            vt::variable v;
            v.name = "v" + std::to_string(i);
            v.value_count = counts[i];
            for (int k = 0; k < counts[i]; ++k) {
                vt::value x;
                x.text = std::to_string(k + 1);
                v.values.push_back(std::move(x));
            }
            r.vars.push_back(std::move(v));
        }
        r.heading = 2;
        r.data_handle.allocate(static_cast<std::size_t>(rows * cols));
        const auto& v = amounts();
        for (std::int64_t i = 0; i < rows * cols; ++i) {
            const double x = v[static_cast<std::size_t>(i) % v.size()];
            r.data()[i] = i % 50 == 7 ? vt::dot_values[i % 3] : x;
        }
        return r;
    }();
    return t;
}

void dsave_memory(benchmark::State& state) {
    vt::table& t = dsave_table();
    ::setenv("VELTRA_THREADS", std::to_string(state.range(0)).c_str(), 1);
    t.vars[0].keys_mode = state.range(1) != 0 ? 1 : 0;
    for (auto _ : state) {
        vt::out_file out;
        if (!out.open("/dev/null")) {
            state.SkipWithError("cannot open /dev/null");
            break;
        }
        std::int64_t cells = rows * cols;
        if (vt::dsave(nullptr, out, t, cells, 1, 2, static_cast<int>(cols), 0, 0) != 0) {
            state.SkipWithError("dsave failed");
            break;
        }
        out.close();
    }
    t.vars[0].keys_mode = 0;
    ::unsetenv("VELTRA_THREADS");
    state.SetItemsProcessed(state.iterations() * rows * cols);
}
BENCHMARK(dsave_memory)
    ->Name("numbers/dsave_memory")
    ->ArgNames({"threads", "keyed"})
    ->Args({1, 0})
    ->Args({2, 0})
    ->Args({1, 1})
    ->Args({2, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
