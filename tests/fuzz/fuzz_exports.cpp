// libFuzzer target: arbitrary bytes as a table file, run through every
// conversion and the selection, which must neither crash nor hang whatever
// the file holds; whatever they return is fine.
//
// The first byte of an input chooses the options, the rest is the file:
//   bit 0      decimal comma instead of point
//   bit 1      OEM text where an export offers it
//   bits 2-3   thousands separator kind
//   bit 4      note markers before the value
//   bit 5      rounding away from zero
//   bits 6-7   notes level (text report) / stub type (ASP)
// The seeds are the reader's seeds (same layout).
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/reader.h"
#include "export/asp.h"
#include "export/delimited.h"
#include "export/html.h"
#include "export/print.h"
#include "export/resave.h"
#include "export/text.h"
#include "tableops/selection.h"

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

std::string path(const char* name) { return scratch() + "/" + name; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const unsigned opt = data[0];
    const std::string in = path("in.vt");
    {
        std::FILE* f = std::fopen(in.c_str(), "wb");
        if (!f) std::abort();
        std::fwrite(data + 1, 1, size - 1, f);
        std::fclose(f);
    }
    vt::reader_state() = vt::reader_settings{};
    const std::string point = opt & 1 ? "," : ".";
    const int oem = (opt >> 1) & 1;
    const int thousand = (opt >> 2) & 3;
    const int place = (opt >> 4) & 1;
    const int rounding = (opt >> 5) & 1;
    const int level = (opt >> 6) & 3;
    const std::string symbols = ".;..;...;....;.....;......;.......;-";

    vt::TextConv(in, path("out.txt"), 60, 30, 2, oem, point, symbols, level & 1, level, "", rounding, place,
                 thousand);
    vt::htmkonv(in, path("out1.htm"), symbols, rounding, place);
    vt::htmkonv2(in, path("out2.htm"), symbols, rounding, place);
    vt::AspConv(in, path("out.asp"), level, symbols, point, thousand, level & 1, level * 3, level, "", "1",
                oem ? "1" : "0", rounding, place);
    vt::RelTable(in, path("rel.txt"), point, "\"", 1, symbols, rounding, place);
    vt::utgraph(in, path("graph.gra"), point, "", level, symbols, rounding, place);
    vt::utgraph(in, path("matrix.mtx"), point, "", 1, symbols, rounding, place);
    vt::asmkonv(in, path("prn.txt"), oem ? "\t" : " ", oem, symbols, rounding, place);
    vt::astkonv(in, path("prt.txt"), ";", oem, symbols, rounding, place);
    vt::cellkonv(in, path("cell.txt"), " ", symbols, rounding);
    vt::VtReSave(in.c_str(), path("resave.vt").c_str(), oem ? 0 : 1);
    vt::savevtweb(in.c_str(), path("web.vt").c_str(), "and;by;distr;unit", "New description", "", level ? "1" : "0",
                  rounding ? "x" : "", "1");
    // Keep the first value of every variable, eliminate the rest or keep all.
    std::array<const char*, vt::max_selected_vars> sel{};
    for (auto& s : sel) s = level == 1 ? "" : "1";
    vt::selvalues_list(in.c_str(), path("sel.vt").c_str(), "and;by;distr", sel, rounding, "", 1);
    return 0;
}
