// libFuzzer target: reads arbitrary bytes as a table file with every reader setting.
//
// The first byte of an input chooses the settings, the rest is the file:
//   byte % 3        selected language: 0 none, 1 "sv", 2 "en"
//   (byte / 3) % 2  CELLNOTEX handling: 0 batch rules, 1 read like CELLNOTE
//   (byte / 6) % 4  input buffer: 0 one larger than any input (64 KiB: the
//                   normal 1 MiB costs a megabyte of clearing per run),
//                   1, 2 or 3 a buffer of 1, 3 or 64 bytes, so every
//                   statement, CR LF pair and quoted string also meets a
//                   buffer boundary
// Each seed starts with such a byte: '0' is the plain read, '1' reads "sv",
// '2' reads "en", '3' reads CELLNOTEX like CELLNOTE, '6' and '<' use 1- and
// 3-byte buffers.
//
// Besides crashes, hangs and leaks, a read that reports success must leave
// a table the rest of the system can walk without checking it again: every
// value count matches the values held, every cell reference points at a
// value, and the cell-note lists stay in step with their texts. A broken
// promise aborts with a message naming it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "core/reader.h"

namespace {

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "fuzz_metain: read returned 0 but %s\n", what);
    std::abort();
}

void check_refs(const vt::variable& v, const vt::cell_ref_list& refs, std::size_t entries, const char* what) {
    if (refs.size() != entries) broken(what);
    for (vt::cell_ref r : refs)
        if (r != vt::any_value && (r < 0 || r >= v.value_count)) broken(what);
}

void check_table(const vt::table& t) {
    if (t.vars.empty()) broken("the table has no variables");
    if (t.heading > t.vars.size()) broken("the heading position lies past the chain");
    if (t.continfos.empty()) broken("the contents records are gone");
    std::int64_t cells = 1;
    bool cells_exact = true;  // strides are only compared while the product fits
    for (auto v = t.vars.rbegin(); v != t.vars.rend(); ++v) {
        if (v->value_count <= 0 || static_cast<std::size_t>(v->value_count) != v->values.size())
            broken("a value count does not match the values held");
        if (cells_exact && v->stride != cells) broken("a stride is not the product of the later value counts");
        if (cells_exact && __builtin_mul_overflow(cells, std::int64_t{v->value_count}, &cells)) cells_exact = false;
        if (v->elimination_value < -1 || v->elimination_value >= v->value_count)
            broken("an elimination value lies outside the values");
        check_refs(*v, v->cellnote_refs, t.cellnote_texts.size(), "CELLNOTE refs are out of step");
        check_refs(*v, v->cellnotex_refs, t.cellnotex_texts.size(), "CELLNOTEX refs are out of step");
        check_refs(*v, v->datanotecell_refs, t.datanotecell_texts.size(), "DATANOTECELL refs are out of step");
    }
    for (const auto& d : t.datanotecells) {
        if (d.position < 0 || static_cast<std::size_t>(d.position) >= t.vars.size())
            broken("a datanotecell record names no variable");
        if (d.count != t.vars[static_cast<std::size_t>(d.position)].value_count ||
            d.marks.size() != static_cast<std::size_t>(d.count))
            broken("a datanotecell record's marks do not match its variable");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const unsigned control = data[0];
    static const char* const languages[] = {"", "sv", "en"};
    static const std::size_t buffers[] = {std::size_t{1} << 16, 1, 3, 64};

    vt::reader_settings& rs = vt::reader_state();
    rs.selected_language = languages[control % 3];
    rs.cellnotex_batch_rules = (control / 3) % 2 == 0;
    rs.oem_input = true;

    std::size_t buffer = buffers[(control / 6) % 4];
    vt::in_file f(buffer);
    f.open_memory(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));

    vt::table t = vt::table_new();
    if (vt::metain(f, t) == 0) check_table(t);

    // The data readers go on from where the keywords ended: the rest of the
    // input must still come out byte by byte and end.
    while (f.get() != vt::in_file::eof) {
    }
    return 0;
}
