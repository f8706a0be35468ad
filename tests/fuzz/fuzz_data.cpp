// libFuzzer target: reads arbitrary bytes as the data section of a small
// table, in full and in keyed form, and writes the cells back.
//
// The table is fixed: stub variables a (x, y) and c (u, v with codes U9
// and V9), heading variable b (p, q, r): 12 cells in rows of 3. The first
// byte of an input chooses how it is read, the rest is the data section:
//   byte % 3        keywords: 0 no KEYS, 1 KEYS=VALUES, 2 KEYS=CODES
//   (byte / 3) % 4  input buffer: 0 one larger than any input, 1, 2 or 3
//                   a buffer of 1, 3 or 64 bytes, so tokens and keys meet
//                   buffer boundaries
//   (byte / 12) % 3 decimals of the write back: 0, 2 or 15
//   (byte / 36) % 2 keyed reads through read_keyed_data instead of read_data
//
// Besides crashes, hangs and leaks the target checks what the callers rely
// on: the readers return only their codes and leave keys_mode 0; the cells
// written from memory (full form and keyed form) read back to the values
// their tokens stand for; a copy of the input keeps every line below 32730
// characters and, when it copied token by token, reads back to the cells
// the input reads as. A broken promise aborts with a message naming it.
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/cells.h"
#include "core/datasec.h"
#include "core/numfmt.h"
#include "core/reader.h"
#include "core/writer.h"
#include "platform/message.h"

namespace {

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "fuzz_data: %s\n", what);
    std::abort();
}

const char* const keys_statements[3] = {"", "KEYS(\"a\")=VALUES;\nKEYS(\"c\")=VALUES;\n",
                                        "KEYS(\"a\")=CODES;\nKEYS(\"c\")=CODES;\n"};

std::string keyword_part(int keys) {
    return std::string("MATRIX=\"M\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\nTITLE=\"T\";\nCONTENTS=\"C\";\n"
                       "UNITS=\"U\";\nDECIMALS=1;\nSTUB=\"a\",\"c\";\nHEADING=\"b\";\n"
                       "VALUES(\"a\")=\"x\",\"y\";\nVALUES(\"c\")=\"u\",\"v\";\nVALUES(\"b\")=\"p\",\"q\",\"r\";\n"
                       "CODES(\"c\")=\"U9\",\"V9\";\n") +
           keys_statements[keys] + "DATA=";
}

constexpr std::int64_t cells = 12;

// The table as the reader makes it from the keyword part, once per keys
// choice (the keyword reader is not what is being fuzzed here, and it would
// take most of the time).
const vt::table& shape(int keys) {
    static const vt::table* shapes[3] = {};
    if (!shapes[keys]) {
        static std::string bytes[3];
        bytes[keys] = keyword_part(keys);
        auto* t = new vt::table(vt::table_new());
        vt::in_file f;
        f.open_memory(bytes[keys]);
        if (vt::metain(f, *t) != 0) broken("the fixed keyword part does not read");
        shapes[keys] = t;
    }
    return *shapes[keys];
}

// Reads a data section into a fresh copy of the table.
int read_section(const std::string& section, int keys, std::size_t buffer, vt::table& t, bool keyed_call) {
    t.vars = shape(keys).vars;
    t.heading = shape(keys).heading;
    vt::in_file f(buffer);
    f.open_memory(section);
    return keyed_call && t.vars[0].keys_mode != 0 ? vt::read_keyed_data(t, f) : vt::read_data(t, f);
}

// What a cell written with these decimals reads back as.
double written_value(double x, int decimals) {
    if (const char* sym = vt::data_symbol_token(x)) {
        if (sym[1] == '-') return vt::nil_value;
        return vt::dot_values[std::strlen(sym) - 3];
    }
    char buf[vt::format_fixed_max + 1];
    std::size_t n = vt::format_fixed(buf, x, decimals);
    buf[n] = '\0';
    return std::strtod(buf, nullptr);
}

bool same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

void check_cells(const vt::table& t, const std::vector<double>& want, const char* what) {
    if (!t.data() || t.data_handle.size() != want.size()) broken(what);
    for (std::size_t i = 0; i < want.size(); ++i)
        if (!same(t.data()[i], want[i])) broken(what);
}

void check_lines(const std::string& text) {
    std::size_t start = 0;
    for (;;) {
        std::size_t nl = text.find('\n', start);
        std::size_t end = nl == std::string::npos ? text.size() : nl;
        if (end - start >= 32730) broken("a copied line is 32730 characters or longer");
        if (nl == std::string::npos) return;
        start = nl + 1;
    }
}

bool copied_from_file = false;
void note_trace(const char* routine, const char* what) {
    if (std::strcmp(routine, "dsave") == 0 && std::strcmp(what, vt::dsave_trace_from_file) == 0) copied_from_file = true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const unsigned control = data[0];
    const int keys = static_cast<int>(control % 3);
    static const std::size_t buffers[] = {std::size_t{1} << 16, 1, 3, 64};
    const std::size_t buffer = buffers[(control / 3) % 4];
    static const int decimal_choices[] = {0, 2, 15};
    const int decimals = decimal_choices[(control / 12) % 3];
    const bool keyed_call = (control / 36) % 2 == 1;

    vt::reader_state().selected_language.clear();
    vt::reader_state().oem_input = true;
    vt::writer_state() = vt::writer_settings{};
    const std::string section(reinterpret_cast<const char*>(data) + 1, size - 1);

    // Read.
    vt::table t = vt::table_new();
    int rc = read_section(section, keys, buffer, t, keyed_call);
    if (rc != 0 && rc != 121) broken("a reader returned a code of its own");
    for (const auto& v : t.vars)
        if (v.keys_mode != 0) broken("keys_mode is still set after reading");
    if (!t.data() || t.data_handle.size() != cells) broken("the data block is missing or of the wrong size");
    const std::vector<double> read(t.data(), t.data() + cells);
    std::vector<double> want(read.size());
    for (std::size_t i = 0; i < read.size(); ++i) want[i] = written_value(read[i], decimals);

    // Full form from memory, read back.
    {
        std::string text;
        vt::out_file out(4096);  // the default megabyte costs more than the run
        out.open_memory(text);
        std::int64_t count = cells;
        if (vt::dsave(nullptr, out, t, count, 1, decimals, 3, 0, 0) != 0 || count != 0) broken("dsave from memory failed");
        out.close();
        vt::table back = vt::table_new();
        if (read_section(text.substr(5), 0, buffer, back, false) != 0) broken("full form does not read");
        check_cells(back, want, "the full form written from memory reads back to other cells");
    }

    // Keyed form from memory (rows of zeros left out), read back.
    for (int mode = 1; mode <= 2; ++mode) {
        t.vars[0].keys_mode = mode;
        t.vars[1].keys_mode = mode;
        std::string text;
        vt::out_file out(4096);  // the default megabyte costs more than the run
        out.open_memory(text);
        std::int64_t count = cells;
        if (vt::dsave(nullptr, out, t, count, 1, decimals, 3, 0, 1) != 0) broken("keyed dsave failed");
        out.close();
        vt::table back = vt::table_new();
        if (read_section(text.substr(5), mode, buffer, back, false) != 0)
            broken("the keyed form written does not read");
        // Rows left out read back as 0, which compares equal to their -0s.
        check_cells(back, want, "the keyed form written from memory reads back to other cells");
    }

    // A copy from the input, as a re-save without keys does it.
    {
        vt::table src = vt::table_new();
        src.vars = shape(keys).vars;
        src.heading = shape(keys).heading;
        for (auto& v : src.vars) v.keys_mode = 0;
        vt::in_file f(buffer);
        f.open_memory(section);
        std::string text;
        vt::out_file out(4096);  // the default megabyte costs more than the run
        out.open_memory(text);
        std::int64_t count = cells;
        copied_from_file = false;
        vt::plat::set_trace_hook(note_trace);
        int crc = vt::dsave(&f, out, src, count, 1, 2, 3, 0, 0);
        vt::plat::set_trace_hook(nullptr);
        out.close();
        if (crc != 0 && crc != 100 && crc != 121) broken("the copy returned a code of its own");
        check_lines(text);
        // Token by token the copy keeps the values, except where it repairs
        // a token starting with two double quotes.
        std::string joined;  // the section as tokens see it: line breaks dropped
        for (char ch : section)
            if (ch != '\n' && ch != '\r') joined += ch;
        if (crc == 0 && copied_from_file && keys == 0 && joined.find("\"\"") == std::string::npos) {
            vt::table back = vt::table_new();
            read_section(text.substr(5), 0, buffer, back, false);
            check_cells(back, read, "the copy reads back to other cells than its input");
        }
    }
    return 0;
}
