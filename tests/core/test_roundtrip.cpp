// Whole tables through the writers and back: read a file, write it with
// msave and dsave (cells from memory, or copied from the input), read the
// result, and compare the keyword parts and every cell bit for bit.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/cells.h"
#include "core/cellfmt.h"
#include "core/datasec.h"
#include "core/describe.h"
#include "core/reader.h"
#include "core/writer.h"
#include "../platform/temp_dir.h"
#include "reader_fixture.h"

namespace {

struct loaded {
    int rc = -1;
    int data_rc = -1;
    vt::table t = vt::table_new();
    vt::in_file f;
};

// Reads the keyword part, and the data too unless `keywords_only`.
void load(loaded& l, const std::string& path, bool keywords_only = false) {
    l.rc = vt::read_table_file(path, l.f, l.t);
    if (l.rc == 0 && !keywords_only) l.data_rc = vt::read_data(l.t, l.f);
}

enum class cells_from { memory, input };

// Writes `src` to `path`; with cells_from::input the data section is
// copied from src's open file instead of formatted from memory.
int save(loaded& src, const std::string& path, cells_from from, int decimals) {
    vt::out_file out;
    if (!out.open(path)) return -1;
    vt::msave(src.t, out);
    std::int64_t cells = vt::count_cells(src.t.vars);
    int rc = vt::dsave(from == cells_from::input ? &src.f : nullptr, out, src.t, cells, 1, decimals, 10, 0,
                       vt::writer_state().requested_keys_mode);
    if (!out.close()) return -2;
    return rc;
}

void expect_same_cells(const vt::table& a, const vt::table& b, const std::string& what) {
    ASSERT_NE(a.data(), nullptr) << what;
    ASSERT_NE(b.data(), nullptr) << what;
    const std::int64_t n = vt::count_cells(a.vars);
    ASSERT_EQ(n, vt::count_cells(b.vars)) << what;
    for (std::int64_t i = 0; i < n; ++i)
        ASSERT_EQ(std::bit_cast<std::uint64_t>(a.data()[i]), std::bit_cast<std::uint64_t>(b.data()[i]))
            << what << ": cell " << i << " " << a.data()[i] << " vs " << b.data()[i];
}

int vtgen(const std::string& args, const std::string& path) {
    std::string cmd = std::string("'") + VT_VTGEN + "' " + args + " -o '" + path + "' 2>/dev/null";
    int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class RoundTrip : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset() {
        vt::reader_state() = vt::reader_settings{};
        vt::writer_state() = vt::writer_settings{};
    }

    // Every test writes into a folder of its own: the tests run at the same
    // time under ctest -j.
    std::string temp(const std::string& name) const { return dir_.file(name); }
    vt::test::temp_dir dir_;

    // The full cycle for one file, both ways of writing the cells.
    void cycle(const std::string& path, const std::string& what) {
        for (cells_from from : {cells_from::memory, cells_from::input}) {
            const std::string how = what + (from == cells_from::memory ? " (from memory)" : " (copied)");
            loaded first, reference;
            load(reference, path);
            ASSERT_EQ(reference.rc, 0) << how;
            ASSERT_EQ(reference.data_rc, 0) << how;
            load(first, path, from == cells_from::input);
            ASSERT_EQ(first.rc, 0) << how;
            const std::string out = temp("out.vt");
            // From memory every number keeps fifteen decimals, so the cells
            // must come back bit for bit whatever the table's DECIMALS say.
            const int decimals = from == cells_from::memory ? 15 : vt::stored_decimals(first.t);
            ASSERT_EQ(save(first, out, from, decimals), 0) << how;

            loaded second;
            load(second, out);
            ASSERT_EQ(second.rc, 0) << how;
            ASSERT_EQ(second.data_rc, 0) << how;
            vt_test::as_written(reference.t);
            for (vt::variable& v : reference.t.vars) v.keys_mode = 0;  // the readers reset it
            EXPECT_EQ(vt::describe_table(reference.t), vt::describe_table(second.t)) << how;
            expect_same_cells(reference.t, second.t, how);
        }
    }
};

}  // namespace

TEST_F(RoundTrip, Samples) {
    for (const char* name : {"population.vt", "quarterly.vt", "trade.vt", "features.vt"})
        cycle(std::string(VT_TEST_DATA "/") + name, name);
}

TEST_F(RoundTrip, GeneratedTables) {
    const struct {
        const char* name;
        const char* args;
    } cases[] = {
        {"plain", "--stub 7,5 --heading 4,3 --decimals 2 --symbols 5 --zeros 5"},
        {"no_heading", "--stub 30 --decimals 0 --symbols 10"},
        {"no_stub", "--heading 12,2 --decimals 3"},
        {"all_symbols", "--stub 6 --heading 5 --symbols 100"},
        {"codes_notes", "--stub 5,3 --heading 4 --codes --notes --precision --decimals 1 --long-texts"},
        {"oem", "--stub 4 --heading 3 --oem --notes --decimals 2"},
        {"keyed_values", "--stub 6,2 --heading 3 --keyed values --decimals 1 --symbols 10"},
        {"keyed_codes", "--stub 4,3 --heading 2 --keyed codes --omit-zero-rows --zeros 60"},
        {"fifteen_decimals", "--stub 3 --heading 3 --decimals 15"},
    };
    for (const auto& c : cases) {
        const std::string path = temp(std::string(c.name) + ".vt");
        ASSERT_EQ(vtgen(c.args, path), 0) << c.name;
        cycle(path, c.name);
    }
}

TEST_F(RoundTrip, KeyedOutput) {
    // A full-form table saved in keyed form, with every row-omission mode:
    // rows left out read back as zeros, so only modes that leave out nothing
    // but zeros keep every cell.
    const std::string src = temp("keyed_src.vt");
    ASSERT_EQ(vtgen("--stub 8,3 --heading 4 --decimals 2 --zeros 50 --symbols 20 --codes", src), 0);
    for (int mode : {1, 2}) {
        loaded first;
        load(first, src);
        ASSERT_EQ(first.data_rc, 0);
        vt::writer_state().requested_keys_mode = mode;
        const std::string out = temp("keyed_out.vt");
        ASSERT_EQ(save(first, out, cells_from::memory, 2), 0);
        vt::writer_state().requested_keys_mode = 0;

        loaded second;
        load(second, out);
        ASSERT_EQ(second.rc, 0) << mode;
        ASSERT_EQ(second.data_rc, 0) << mode;
        // Mode 2 also leaves out rows of zeros and dashes: those dashes come
        // back as zeros, so compare with the dashes of such rows cleared.
        const std::int64_t row = first.t.vars[1].stride;
        const std::int64_t n = vt::count_cells(first.t.vars);
        for (std::int64_t r = 0; mode == 2 && r < n; r += row) {
            bool only_zero_or_nil = true;
            for (std::int64_t i = r; i < r + row; ++i)
                only_zero_or_nil = only_zero_or_nil && (first.t.data()[i] == 0 || vt::is_nil(first.t.data()[i]));
            if (only_zero_or_nil)
                for (std::int64_t i = r; i < r + row; ++i) first.t.data()[i] = 0;
        }
        expect_same_cells(first.t, second.t, "keys mode " + std::to_string(mode));
    }
}
