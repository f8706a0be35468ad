// Reader benchmark: metain over a generated table with a very long value list.
//
// The table has one stub variable with N values and their CODES (about 10 MB
// of keywords for N = 500 000), one heading variable with three values and
// the mandatory keywords. It is read from memory and from a file on disk;
// the bytes processed are those of the keyword part, so the rate is the
// reader's own.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/reader.h"

namespace {

struct sample {
    int values = 0;
    std::string bytes;          // the whole file
    std::size_t keyword_bytes;  // up to and including "DATA="
    std::string path;           // the same bytes on disk
};

// Value texts and codes are numbered so that every one is distinct; ten per
// line, as files written by the writer look.
std::string make_table(int n, std::size_t& keyword_bytes) {
    std::string s;
    s.reserve(static_cast<std::size_t>(n) * 21 + 1024);
    s += "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"BENCH01\";\nSUBJECT-AREA=\"Benchmark\";\n"
         "SUBJECT-CODE=\"BM\";\nTITLE=\"Generated table for the reader benchmark\";\n"
         "CONTENTS=\"Count\";\nUNITS=\"number\";\nSTUB=\"unit\";\nHEADING=\"year\";\n";
    char item[32];
    s += "VALUES(\"unit\")=";
    for (int i = 1; i <= n; ++i) {
        std::snprintf(item, sizeof item, "\"V %06d\"%s", i, i == n ? ";\n" : i % 10 == 0 ? ",\n" : ",");
        s += item;
    }
    s += "VALUES(\"year\")=\"2001\",\"2002\",\"2003\";\n";
    s += "CODES(\"unit\")=";
    for (int i = 1; i <= n; ++i) {
        std::snprintf(item, sizeof item, "\"%06d\"%s", i, i == n ? ";\n" : i % 10 == 0 ? ",\n" : ",");
        s += item;
    }
    s += "DATA=";
    keyword_bytes = s.size();
    s += "\n1 2 3\n4 5 6\n";
    return s;
}

// A benchmark that measures a broken read would report a meaningless rate.
bool read_is_complete(vt::in_file& f, const sample& smp, std::string& why) {
    vt::table t = vt::table_new();
    int rc = vt::metain(f, t);
    if (rc != 0) {
        why = "metain returned " + std::to_string(rc);
        return false;
    }
    if (t.vars.size() != 2 || t.vars[0].value_count != smp.values ||
        static_cast<int>(t.vars[0].values.size()) != smp.values || !t.vars[0].values.back().code) {
        why = "the table read is not the one generated";
        return false;
    }
    return true;
}

void from_memory(benchmark::State& state, const sample* smp) {
    for (auto _ : state) {
        vt::in_file f;
        f.open_memory(smp->bytes);
        vt::table t = vt::table_new();
        int rc = vt::metain(f, t);
        if (rc != 0) {
            state.SkipWithError("metain failed");
            break;
        }
        benchmark::DoNotOptimize(t.vars.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(smp->keyword_bytes));
}

void from_file(benchmark::State& state, const sample* smp) {
    for (auto _ : state) {
        vt::in_file f;
        if (!f.open(smp->path)) {
            state.SkipWithError("cannot open the benchmark file");
            break;
        }
        vt::table t = vt::table_new();
        int rc = vt::metain(f, t);
        if (rc != 0) {
            state.SkipWithError("metain failed");
            break;
        }
        benchmark::DoNotOptimize(t.vars.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(smp->keyword_bytes));
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    vt::reader_state().selected_language.clear();
    vt::reader_state().cellnotex_batch_rules = true;

    std::vector<std::unique_ptr<sample>> samples;
    int status = 0;
    for (int n : {500000, 50000}) {
        auto smp = std::make_unique<sample>();
        smp->values = n;
        smp->bytes = make_table(n, smp->keyword_bytes);
        smp->path = (std::filesystem::temp_directory_path() /
                     ("vt_bench_" + std::to_string(getpid()) + "_" + std::to_string(n) + ".vt"))
                        .string();
        std::ofstream(smp->path, std::ios::binary) << smp->bytes;

        std::string why;
        vt::in_file f;
        f.open_memory(smp->bytes);
        if (!read_is_complete(f, *smp, why)) {
            std::fprintf(stderr, "vt_bench: %d values: %s\n", n, why.c_str());
            status = 1;
        }
        std::string kb = std::to_string(smp->keyword_bytes / 1000) + "kB";
        benchmark::RegisterBenchmark(("metain/memory/" + std::to_string(n) + "_values/" + kb).c_str(), from_memory,
                                     smp.get())
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("metain/file/" + std::to_string(n) + "_values/" + kb).c_str(), from_file,
                                     smp.get())
            ->Unit(benchmark::kMillisecond);
        samples.push_back(std::move(smp));
    }

    if (status == 0) benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const auto& smp : samples) std::filesystem::remove(smp->path);
    return status;
}
