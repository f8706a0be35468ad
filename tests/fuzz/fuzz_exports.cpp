// libFuzzer target: arbitrary bytes as a table file, run through the routine
// of every available batch function (the rows of batch/functions.cpp: the
// conversions, the dBase and worksheet exports, the table operations) and
// the two exports no batch function reaches, which must neither crash nor
// hang whatever the file holds; whatever they return is fine.
//
// The first byte of an input chooses the options of the job, the rest is
// the file:
//   bit 0      decimal comma instead of point
//   bit 1      OEM text where an export offers it (re-save), upper-case ASP
//              labels, TAB as print delimiter
//   bits 2-3   thousands separator kind
//   bit 4      note markers before the value
//   bit 5      rounding away from zero (and secrecy for the selections)
//   bits 6-7   level: notes and information (0, 1, 2, 9), stub type and row
//              filter (ASP), double columns, iteration, pivot direction,
//              which variables the selections keep or aggregate
// The seeds are the reader's seeds (same layout).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "batch/functions.h"
#include "batch/job.h"
#include "core/reader.h"
#include "export/nsd.h"
#include "export/print.h"
#include "export/resave.h"
#include "export/tsd.h"

namespace {

// One scratch folder per process, so parallel fuzzing jobs stay apart.
const std::string& scratch() {
    static const std::string dir = [] {
        std::string d = "/tmp/fuzz_exports_" + std::to_string(::getpid());
        std::string cmd = "mkdir -p '" + d + "'";
        if (std::system(cmd.c_str()) != 0) std::abort();
        return d;
    }();
    return dir;
}

std::string path(const std::string& name) { return scratch() + "/" + name; }

void write_file(const std::string& name, const void* data, std::size_t size) {
    std::FILE* f = std::fopen(path(name).c_str(), "wb");
    if (!f) std::abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);
}

// An aggregation file in the scratch folder for the aggregated selection:
// two groups of the first codes.
void write_aggregation_file() {
    static const bool written = [] {
        const std::string text = "[Aggreg]\nName=G\n1=A\n2=B\n[Aggtext]\n1=a\n2=b\n[A]\n1=1\n2=01\n[B]\n1=2\n2=02\n";
        write_file("g.agg", text.data(), text.size());
        return true;
    }();
    (void)written;
}

// graph and matrix choose their form by the output's ending.
std::string output_name(const char* function) {
    const std::string f = function;
    return f + (f == "graph" ? ".gra" : f == "matrix" ? ".mtx" : ".out");
}

// The job every routine gets, from the option byte.
vt::batch::job make_job(const std::string& in, unsigned opt) {
    const int oem = (opt >> 1) & 1;
    const int rounding = (opt >> 5) & 1;
    const int level = (opt >> 6) & 3;
    vt::batch::job j;
    j.infile = in;
    j.decimalpoint = opt & 1 ? "," : ".";
    j.thousand = (opt >> 2) & 3;
    j.datanote_place = (opt >> 4) & 1;
    j.rounding = rounding;
    j.completeinfo = level == 3 ? 9 : level;
    j.doublecolumn = level & 1;
    j.stubtype = level;
    j.nozero = level;
    j.rowlength = 60;
    j.pagelength = 30;
    j.marglength = 2;
    j.textfile = "";
    j.delim = oem ? "\t" : ";";
    j.text_words = "and;by;distr;unit";
    j.unit_var = "unit";
    j.asp.guilang = "1";
    j.asp.uppercase = oem ? "1" : "0";
    j.delimited.textdelim = "\"";
    j.delimited.iteration = level;
    j.excel.datanote = j.datanote_place;
    j.excel.decimals = level & 1;
    j.vtfile.descript = "New description";
    j.vtfile.keys = level ? "1" : "0";
    j.vtfile.contents = rounding ? "x" : "";
    j.vtfile.descdefault = "1";
    j.edit.pivot_alt = 1 + (level & 1);
    j.edit.stub_order = "1";
    j.edit.head_order = "2";
    // Delete the variable without a name (named like the unit word),
    // summing or removing the first value; change the decimals.
    j.edit.variable = "unit";
    j.edit.value_list = "1";
    j.edit.remove = level >> 1;
    j.decimals = level & 1 ? "2" : "0";
    j.coordinates = scratch();
    j.gesmes.include = level & 1 ? "A" : "D";
    // Keep the first value of every variable, eliminate them all, or
    // aggregate the first variable's codes into two groups.
    vt::batch::selection_args& s = j.selection;
    for (auto& list : s.lists) list = level == 1 ? "" : "1";
    if (level == 2) s.lists[0] = "A;g.agg;1,2";
    s.secrecy = rounding;
    s.descr = 1;
    s.classcat = scratch();
    return j;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const unsigned opt = data[0];
    write_file("in.vt", data + 1, size - 1);
    write_aggregation_file();
    const std::string in = path("in.vt");
    vt::reader_state() = vt::reader_settings{};

    const vt::batch::job base = make_job(in, opt);
    for (const vt::batch::function_row& f : vt::batch::functions()) {
        if (!f.run) continue;
        vt::batch::job j = base;
        j.function = f.name;
        j.outfile = path(output_name(f.name));
        f.run(j);
    }
    const int oem = (opt >> 1) & 1;
    vt::cellkonv(in, path("cell.txt"), " ", base.symbol_list, base.rounding);
    vt::VtReSave(in.c_str(), path("resave.vt").c_str(), oem ? 0 : 1);
    vt::arekonv(in, path("series.tsd"), oem, "", 1);
    vt::nsdkonv(in, path("nsd.dat"), "unnamed");
    return 0;
}
