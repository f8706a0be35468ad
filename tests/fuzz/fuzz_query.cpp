// libFuzzer target: arbitrary bytes as a query file, run the way vtbatch
// runs one (batch/driver.h), on a sample table in a scratch folder. Built
// twice: fuzz_ini_query reads the bytes as an INI query, fuzz_xml_query as
// an XML query. Nothing may crash or hang, whatever the query says.
//
// A query names its own files. So that no mutation can reach a file
// outside the scratch folder, an input is passed over when it holds "\",
// ".." or a "/" that does not open an XML end tag ("</"): every name then
// stays inside the folder the target works in.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "batch/driver.h"
#include "core/reader.h"

#ifndef VT_QUERY_NAME
#error "VT_QUERY_NAME must be q.ini or q.xml"
#endif

namespace {

// The sample table and aggregation file the queries can name.
const char* const sample_table =
    "CHARSET=\"ANSI\";\nDECIMALS=1;\nMATRIX=\"T1\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\n"
    "TITLE=\"Population by region and year\";\nCONTENTS=\"Population\";\nUNITS=\"persons\";\n"
    "STUB=\"region\",\"sex\";\nHEADING=\"year\";\nVALUES(\"region\")=\"North\",\"South\";\n"
    "VALUES(\"sex\")=\"men\",\"women\";\nVALUES(\"year\")=\"2003\",\"2004\";\n"
    "TIMEVAL(\"year\")=TLIST(A1),\"2003\",\"2004\";\nCODES(\"region\")=\"01\",\"02\";\n"
    "CELLNOTE(\"North\",\"*\",\"2004\")=\"Revised.\";\nDATANOTECELL(\"01\",\"*\",\"2004\")=\"*\";\n"
    "DATA=\n1 2\n3 \"..\"\n5 6\n7 8;\n";
const char* const aggregation = "[Aggreg]\nName=G\n1=A\n2=B\n[Aggtext]\n1=a\n2=b\n[A]\n1=01\n[B]\n1=02\n";

void write_file(const char* name, const void* data, std::size_t size) {
    std::FILE* f = std::fopen(name, "wb");
    if (!f) std::abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);
}

// One scratch folder per process, made the working folder once.
void enter_scratch() {
    static const bool entered = [] {
        const std::string d = "/tmp/fuzz_query_" + std::to_string(::getpid());
        if (std::system(("mkdir -p '" + d + "'").c_str()) != 0 || ::chdir(d.c_str()) != 0) std::abort();
        return true;
    }();
    (void)entered;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\\' || (data[i] == '/' && (i == 0 || data[i - 1] != '<'))) return 0;
        if (data[i] == '.' && i > 0 && data[i - 1] == '.') return 0;
    }
    enter_scratch();
    const std::string table(sample_table);
    write_file("in.vt", table.data(), table.size());
    write_file("g.agg", aggregation, std::string(aggregation).size());
    write_file(VT_QUERY_NAME, data, size);
    vt::reader_state() = vt::reader_settings{};
    vt::batch::run_query(VT_QUERY_NAME);
    return 0;
}
