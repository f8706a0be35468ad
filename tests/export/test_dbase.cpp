// Tests of the dBase files: the DBF writer's bytes, every export layout on
// small tables written out byte for byte, data symbols, keyed and short
// data sections, the failure codes, the library exports and the batch
// functions.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/wait.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "../platform/temp_dir.h"
#include "export/dbase.h"
#include "export/dbf.h"

namespace {

namespace fs = std::filesystem;

// Little-endian pieces of an expected file.
std::string le16(unsigned v) { return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }
std::string le32(std::uint32_t v) { return le16(v & 0xFFFF) + le16(v >> 16); }

// The 32-byte file header with the date bytes given (zero for files
// whose date is checked apart).
std::string header(std::uint32_t records, unsigned fields, unsigned record_length,
                   const vt::dbf::date& d = {1900, 0, 0}) {
    std::string h = "\x03";
    h += static_cast<char>(d.year - 1900);
    h += static_cast<char>(d.month);
    h += static_cast<char>(d.day);
    h += le32(records) + le16(32 * fields + 33) + le16(record_length);
    return h + std::string(20, '\0');
}

std::string descriptor(const std::string& name, char type, int width, int decimals = 0) {
    std::string d = name + std::string(11 - name.size(), '\0');
    d += type;
    d += std::string(4, '\0');
    d += static_cast<char>(width);
    d += static_cast<char>(decimals);
    d += std::string(2, '\0');
    d += '\x01';
    return d + std::string(11, '\0');
}

// A whole file: header, descriptors, header end, records, end mark.
std::string dbf_file(std::uint32_t records, unsigned record_length, std::initializer_list<std::string> fields,
                     const std::string& body, const vt::dbf::date& d = {1900, 0, 0}) {
    std::string s = header(records, static_cast<unsigned>(fields.size()), record_length, d);
    for (const std::string& f : fields) s += f;
    return s + "\r" + body + "\x1A";
}

// A text field of `width` holding `text`, left-aligned.
std::string pad(const std::string& text, std::size_t width) { return text + std::string(width - text.size(), ' '); }
// A number field of width 10, right-aligned.
std::string num(const std::string& text) { return std::string(10 - text.size(), ' ') + text; }

std::string head(const std::string& decimals = "DECIMALS=1;") {
    return "CHARSET=\"ANSI\";\nMATRIX=\"M\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\nTITLE=\"T\";\n"
           "CONTENTS=\"C\";\nUNITS=\"u\";\n" + decimals + "\n";
}

// One stub variable region (3 values) and one heading variable year (2).
std::string population(const std::string& data = "1.5 2 \n3 \".\" \n-4.25 6;", const std::string& extra = "") {
    return head() + "STUB=\"region\";\nHEADING=\"year\";\nVALUES(\"region\")=\"north\",\"south\",\"east\";\n"
                    "VALUES(\"year\")=\"2020\",\"2021\";\n" + extra + "DATA=\n" + data + "\n";
}

// Two stub variables with codes, one heading variable with two values.
std::string coded(const std::string& extra) {
    return head("DECIMALS=0;") +
           "STUB=\"region\",\"sex\";\nHEADING=\"year\";\nVALUES(\"region\")=\"north\",\"south\";\n"
           "VALUES(\"sex\")=\"men\",\"women\";\nVALUES(\"year\")=\"2020\",\"2021\";\n"
           "CODES(\"region\")=\"01\",\"02\";\nCODES(\"sex\")=\"1\",\"2\";\n" + extra +
           "DATA=\n1 2 \n3 4 \n5 6 \n7 8;\n";
}

class DbaseTest : public ::testing::Test {
protected:
    std::string in_path() const { return dir_.file("tab.vt"); }
    std::string out_path() const { return dir_.file("tab.dbf"); }

    // The written file with its date bytes checked against today and
    // cleared, or "" with the code in rc_.
    std::string finish(int rc) {
        rc_ = rc;
        if (rc != 0) return std::string();
        std::string s = dir_.read("tab.dbf");
        EXPECT_GE(s.size(), 4u);
        if (s.size() < 4) return s;
        const vt::dbf::date d = vt::dbf::today();
        EXPECT_EQ(static_cast<unsigned char>(s[1]), d.year - 1900);
        EXPECT_EQ(static_cast<unsigned char>(s[2]), d.month);
        EXPECT_EQ(static_cast<unsigned char>(s[3]), d.day);
        s[1] = s[2] = s[3] = '\0';
        return s;
    }
    void put(const std::string& table) {
        dir_.write("tab.vt", table);
        fs::remove(out_path());
    }
    std::string cells(const std::string& table, const std::string& unit = "unit") {
        put(table);
        return finish(vt::dbakonv(in_path(), out_path(), unit));
    }
    std::string cells2005(const std::string& table, double symbol_value) {
        put(table);
        return finish(vt::dbakonv2005(in_path(), out_path(), "unit", symbol_value));
    }
    std::string rows(const std::string& table) {
        put(table);
        return finish(vt::dbakonv2(in_path(), out_path()));
    }
    std::string rows_map(const std::string& table) {
        put(table);
        return finish(vt::dbakonv3(in_path(), out_path()));
    }
    std::string rows_codes(const std::string& table, int code_mode) {
        put(table);
        return finish(vt::dbaseConv(in_path(), out_path(), code_mode));
    }

    vt::test::temp_dir dir_;
    int rc_ = -1;
};

// The expected dbakonv file of population(): region (5 wide, name cut to
// 5), year (4 wide), TABCELL.
std::string population_cells(const std::string& symbol_cell) {
    const char* regions[] = {"north", "north", "south", "south", "east ", "east "};
    const char* years[] = {"2020", "2021"};
    const std::string values[] = {"1.5", "2.0", "3.0", symbol_cell, "-4.2", "6.0"};
    std::string body;
    for (int k = 0; k < 6; ++k) body += std::string(" ") + regions[k] + years[k % 2] + num(values[k]);
    return dbf_file(6, 20, {descriptor("regio", 'C', 5), descriptor("year", 'C', 4), descriptor("TABCELL", 'N', 10, 1)},
                    body);
}

}  // namespace

// ---------------------------------------------------------------- writer

TEST(DbfWriter, WholeFileByteForByte) {
    vt::test::temp_dir dir;
    const std::string path = dir.file("w.dbf");
    vt::dbf::writer w(2);
    EXPECT_EQ(w.set_field(1, "NAME", 'C', 4, 0), 0);
    EXPECT_EQ(w.set_field(2, "VAL", 'N', 6, 1), 0);
    ASSERT_EQ(w.open(path, {2024, 3, 9}), 0);
    w.put_text(1, "ab");
    w.put_number(2, 2.5);
    EXPECT_EQ(w.write_record(), 0);
    w.put_text(1, "toolong");
    w.put_number(2, -12.3);
    EXPECT_EQ(w.write_record(), 0);
    EXPECT_EQ(w.close({2024, 12, 31}), 0);
    EXPECT_EQ(w.record_count(), 2u);
    EXPECT_EQ(dir.read("w.dbf"), dbf_file(2, 11, {descriptor("NAME", 'C', 4), descriptor("VAL", 'N', 6, 1)},
                                          " ab     2.5 tool -12.3", {2024, 12, 31}));
}

TEST(DbfWriter, EmptyFileStillHasHeaderAndEndMark) {
    vt::test::temp_dir dir;
    vt::dbf::writer w(1);
    w.set_field(1, "X", 'C', 3, 0);
    ASSERT_EQ(w.open(dir.file("e.dbf"), {2000, 1, 2}), 0);
    EXPECT_EQ(w.close({2000, 1, 2}), 0);
    EXPECT_EQ(dir.read("e.dbf"), dbf_file(0, 4, {descriptor("X", 'C', 3)}, "", {2000, 1, 2}));
}

TEST(DbfWriter, NumbersTooWideLoseOnlyDecimalsElseOverflowToStars) {
    vt::dbf::writer w(1);
    w.set_field(1, "N", 'N', 10, 2);
    const auto field = [&](double x) {
        w.put_number(1, x);
        return std::string(w.record().substr(1));
    };
    EXPECT_EQ(field(123456789.5), "123456789.");
    EXPECT_EQ(field(-12345678.5), "-12345678.");
    EXPECT_EQ(field(1234567890.25), "1234567890");
    // Cutting digits of the integer part would store another magnitude.
    EXPECT_EQ(field(12345678901.0), "**********");
    EXPECT_EQ(field(-1234567890.0), "**********");
    EXPECT_EQ(field(0.125), "      0.12");
    w.set_field(1, "", 'N', 10, 15);
    EXPECT_EQ(field(1.5), "1.50000000");
    EXPECT_EQ(w.field_at(1).name, "N");
}

TEST(DbfWriter, FieldDescriptionsErrorsAndOffsets) {
    vt::dbf::writer w(3);
    EXPECT_EQ(w.field_at(1).name, "***NULL***");
    EXPECT_EQ(w.header_length(), 32 * 3 + 33);
    EXPECT_EQ(w.record_length(), 1);
    EXPECT_EQ(w.set_field(0, "A", 'C', 1, 0), vt::dbf::err_field_range);
    EXPECT_EQ(w.set_field(4, "A", 'C', 1, 0), vt::dbf::err_field_range);
    EXPECT_EQ(w.last_error(), vt::dbf::err_field_range);
    EXPECT_EQ(w.set_field(1, "ABCDEFGHIJKLMN", 'C', 5, 2), vt::dbf::err_decimals);
    EXPECT_EQ(w.field_at(1).name, "ABCDEFGHIJK");
    EXPECT_EQ(w.field_at(1).decimals, 0);
    EXPECT_EQ(w.field_at(1).width, 5);
    w.set_field(2, "B", 'N', 3, 1);
    w.set_field(3, "C", 'C', 2, 0);
    EXPECT_EQ(w.field_at(2).offset, 6);
    EXPECT_EQ(w.field_at(3).offset, 9);
    EXPECT_EQ(w.record_length(), 11);
    w.set_field(1, "", 'C', 2, 0);
    EXPECT_EQ(w.field_at(1).name, "ABCDEFGHIJK");
    EXPECT_EQ(w.field_at(2).offset, 3);
    EXPECT_EQ(w.field_at(3).offset, 6);
    EXPECT_EQ(w.record_length(), 8);
    w.put_text(3, "xyz");
    w.put_number(2, 7);
    EXPECT_EQ(w.record(), "   7.0xy");
    EXPECT_TRUE(w.fits());
    w.set_field(3, "", 'C', 256, 0);
    EXPECT_FALSE(w.fits());

    EXPECT_STREQ(vt::dbf::error_message(0), "dbfer: invalid error value");
    EXPECT_STREQ(vt::dbf::error_message(28), "dbfer: invalid error value");
    EXPECT_STREQ(vt::dbf::error_message(1), "DBFALLOC: allocation error dbf_file");
    EXPECT_STREQ(vt::dbf::error_message(25), "DBFWREC: write error");
    EXPECT_STREQ(vt::dbf::error_message(27), "DBPRINTF: error writing record");
}

TEST(DbfWriter, OpenFailureAndRecordsWithoutFile) {
    vt::test::temp_dir dir;
    vt::dbf::writer w(1);
    w.set_field(1, "A", 'C', 1, 0);
    EXPECT_EQ(w.open(dir.file("missing/x.dbf"), {}), vt::dbf::err_open);
    EXPECT_EQ(w.write_record(), vt::dbf::err_record_write);
    EXPECT_EQ(w.record_count(), 0u);
}

// ---------------------------------------------------------------- exports

TEST_F(DbaseTest, OneRecordPerCellSymbolsZeroOrTheCallersValue) {
    EXPECT_EQ(cells(population()), population_cells("0.0"));
    EXPECT_EQ(cells2005(population(), -9.5), population_cells("-9.5"));
    // A dash is a data symbol too.
    EXPECT_EQ(cells2005(population("1.5 2 3 \"-\" -4.25 6;"), 7), population_cells("7.0"));
}

TEST_F(DbaseTest, UnnamedVariableTakesTheUnitNameAndTextsGoOutInOem) {
    const std::string table = head("DECIMALS=0;") +
                              "STUB=\"$$SORT\";\nHEADING=\"y\";\nVALUES(\"$$SORT\")=\"Gr\xE4ser\";\n"
                              "VALUES(\"y\")=\"a\",\"bb\";\nDATA=\n7 8;\n";
    EXPECT_EQ(cells(table, "\xC4nits"),
              dbf_file(2, 19, {descriptor("\x8Enits", 'C', 6), descriptor("y", 'C', 2), descriptor("TABCELL", 'N', 10)},
                       " Gr\x84ser" "a " + num("7") + " Gr\x84ser" "bb" + num("8")));
}

TEST_F(DbaseTest, OneRecordPerStubRow) {
    const std::string c1 = descriptor("C1", 'C', 15);
    const std::string n2 = descriptor("N2", 'N', 10, 1);
    const std::string n3 = descriptor("N3", 'N', 10, 1);
    EXPECT_EQ(rows(population()),
              dbf_file(3, 36, {c1, n2, n3},
                       " " + pad("north", 15) + num("1.5") + num("2.0") + " " + pad("south", 15) + num("3.0") +
                           num("0.0") + " " + pad("east", 15) + num("-4.2") + num("6.0")));
    // Without stub variables: one record of number fields.
    const std::string flat = head("DECIMALS=0;") + "HEADING=\"y\";\nVALUES(\"y\")=\"a\",\"b\";\nDATA=\n3 4;\n";
    EXPECT_EQ(rows(flat), dbf_file(1, 21, {descriptor("N1", 'N', 10), descriptor("N2", 'N', 10)},
                                   " " + num("3") + num("4")));
}

TEST_F(DbaseTest, MapVariantPutsTheCodeUnconvertedBeforeTheLastMappedStubVariable) {
    const std::string table =
        head("DECIMALS=0;") +
        "STUB=\"region\",\"sex\";\nVALUES(\"region\")=\"north\",\"s\xE4\";\nVALUES(\"sex\")=\"men\";\n"
        "CODES(\"region\")=\"0\xE4\",\"02\";\nMAP(\"region\")=\"areas\";\nDATA=\n1 2;\n";
    const std::string c = pad("", 15);
    EXPECT_EQ(rows_map(table),
              dbf_file(2, 56, {descriptor("C1", 'C', 15), descriptor("C2", 'C', 15), descriptor("C3", 'C', 15),
                               descriptor("N4", 'N', 10)},
                       " " + pad("0\xE4", 15) + pad("north", 15) + pad("men", 15) + num("1") + " " + pad("02", 15) +
                           pad("s\x84", 15) + pad("men", 15) + num("2")));
    // Without a map it is the plain row layout.
    put(coded(""));
    const std::string plain = finish(vt::dbakonv2(in_path(), out_path()));
    EXPECT_EQ(rows_map(coded("")), plain);
}

TEST_F(DbaseTest, CodeFieldsByCodeModeAndDoubleColumn) {
    const auto file = [](bool region_code, bool sex_code) {
        std::string body;
        const char* regions[] = {"north", "south"};
        const char* rcodes[] = {"01", "02"};
        const char* sexes[] = {"men", "women"};
        const char* scodes[] = {"1", "2"};
        int cell = 1;
        for (int r = 0; r < 2; ++r)
            for (int s = 0; s < 2; ++s) {
                body += " ";
                if (region_code) body += pad(rcodes[r], 15);
                body += pad(regions[r], 15);
                if (sex_code) body += pad(scodes[s], 15);
                body += pad(sexes[s], 15) + num(std::to_string(cell)) + num(std::to_string(cell + 1));
                cell += 2;
            }
        const int ntext = 2 + region_code + sex_code;
        std::string s = header(4, static_cast<unsigned>(ntext + 2), static_cast<unsigned>(1 + 15 * ntext + 20));
        for (int k = 1; k <= ntext; ++k) s += descriptor("C" + std::to_string(k), 'C', 15);
        s += descriptor("N" + std::to_string(ntext + 1), 'N', 10) + descriptor("N" + std::to_string(ntext + 2), 'N', 10);
        return s + "\r" + body + "\x1A";
    };
    EXPECT_EQ(rows_codes(coded(""), 0), file(false, false));
    EXPECT_EQ(rows_codes(coded(""), 1), file(true, true));
    EXPECT_EQ(rows_codes(coded(""), 2), file(false, false));
    EXPECT_EQ(rows_codes(coded("DOUBLECOLUMN(\"sex\")=YES;\n"), 2), file(false, true));
}

TEST_F(DbaseTest, KeyedAndShortDataSectionsGiveCellsInTheirPlaces) {
    const std::string keyed = population("\"east\",-4.25 6 \n\"north\",1.5 2 \n\"south\",3 \".\" \n;",
                                         "KEYS(\"region\")=VALUES;\n");
    EXPECT_EQ(cells(keyed), population_cells("0.0"));
    EXPECT_EQ(cells2005(keyed, -9.5), population_cells("-9.5"));
    // Cells the section does not give are 0, not the previous record's.
    const std::string c1 = descriptor("C1", 'C', 15);
    EXPECT_EQ(rows(population("1.5 2 \n3;")),
              dbf_file(3, 36, {c1, descriptor("N2", 'N', 10, 1), descriptor("N3", 'N', 10, 1)},
                       " " + pad("north", 15) + num("1.5") + num("2.0") + " " + pad("south", 15) + num("3.0") +
                           num("0.0") + " " + pad("east", 15) + num("0.0") + num("0.0")));
}

TEST_F(DbaseTest, FailuresGiveTheirCodesAndLeaveNoOutput) {
    EXPECT_EQ(vt::dbakonv(dir_.file("none.vt"), out_path(), "u"), 400);
    EXPECT_EQ(vt::dbakonv2("", out_path()), 400);
    EXPECT_FALSE(fs::exists(out_path()));

    // A reader problem is returned as it is; no output is created.
    put("MATRIX=\"M\";\nDATA=\n1;\n");
    const int rc = vt::dbakonv2(in_path(), out_path());
    EXPECT_GT(rc, 0);
    EXPECT_NE(rc, 400);
    EXPECT_FALSE(fs::exists(out_path()));

    // The output may not replace the table being read.
    put(population());
    for (const std::string& same : {in_path(), dir_.file("./tab.vt")}) {
        EXPECT_EQ(vt::dbakonv(in_path(), same, "u"), 400);
        EXPECT_EQ(vt::dbaseConv(in_path(), same, 1), 400);
    }
    EXPECT_EQ(dir_.read("tab.vt"), population());
    EXPECT_EQ(vt::dbakonv3(in_path(), dir_.file("missing/x.dbf")), 400);

    // A table too wide for one record (too many number fields).
    put(head() + "HEADING=\"a\",\"b\";\nVALUES(\"a\")=" + [] {
        std::string v;
        for (int k = 0; k < 60; ++k) v += (k ? ",\"" : "\"") + std::to_string(k) + "\"";
        return v;
    }() + ";\nVALUES(\"b\")=" + [] {
        std::string v;
        for (int k = 0; k < 40; ++k) v += (k ? ",\"" : "\"") + std::to_string(k) + "\"";
        return v;
    }() + ";\nDATA=\n1;\n");
    EXPECT_EQ(vt::dbakonv2(in_path(), out_path()), 400);
    EXPECT_FALSE(fs::exists(out_path()));
    // The same table one record per cell fits.
    EXPECT_EQ(vt::dbakonv(in_path(), out_path(), "u"), 0);
}

TEST_F(DbaseTest, LibraryExportsWriteTheSameFiles) {
    void* lib = dlopen(VT_LIBVTCONV, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    using conv2005 = int (*)(const char*, const char*, const char*, int, const void*, unsigned, unsigned);
    using conv4 = int (*)(const char*, const char*, int, const void*, const char*, int, int, const char*);
    using conv1 = int (*)(const char*, const char*, const char*, int, const void*);
    auto* f2005 = reinterpret_cast<conv2005>(dlsym(lib, "dbakonv2005"));
    auto* f4 = reinterpret_cast<conv4>(dlsym(lib, "dbaseConv"));
    auto* f1 = reinterpret_cast<conv1>(dlsym(lib, "dbakonv"));
    ASSERT_NE(f2005, nullptr);
    ASSERT_NE(f4, nullptr);
    ASSERT_NE(f1, nullptr);
    for (const char* name : {"dbakonv2", "dbakonv3"}) EXPECT_NE(dlsym(lib, name), nullptr) << name;

    put(population());
    const auto bits = std::bit_cast<std::uint64_t>(-9.5);
    EXPECT_EQ(finish(f2005(in_path().c_str(), out_path().c_str(), "unit", 0, nullptr,
                           static_cast<unsigned>(bits & 0xFFFFFFFFu), static_cast<unsigned>(bits >> 32))),
              population_cells("-9.5"));
    EXPECT_EQ(finish(f1(in_path().c_str(), out_path().c_str(), nullptr, 0, nullptr)), population_cells("0.0"));
    const std::string expected = rows_codes(coded(""), 1);
    EXPECT_EQ(finish(f4(in_path().c_str(), out_path().c_str(), 0, nullptr, nullptr, 1, 0, nullptr)), expected);
    EXPECT_EQ(f1(nullptr, out_path().c_str(), "u", 0, nullptr), 400);
    dlclose(lib);
}

TEST_F(DbaseTest, BatchFunctionsPassUnitVarAndDoubleColumn) {
    const auto run = [&](const std::string& function, const std::string& extra) {
        dir_.write("q.ini", "[Files]\nInfile=tab.vt\nOutfile=tab.dbf\nErrorfile=err.txt\n[Query]\nFunction=" +
                                function + "\n" + extra);
        fs::remove(out_path());
        const std::string cmd = "cd '" + dir_.path().string() + "' && '" + VT_VTBATCH + "' q.ini >/dev/null 2>&1";
        const int status = std::system(cmd.c_str());
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_EQ(dir_.read("err.txt"), function + " ended OK ");
        return finish(0);
    };
    const std::string table = head("DECIMALS=0;") +
                              "STUB=\"$$SORT\";\nHEADING=\"y\";\nVALUES(\"$$SORT\")=\"abcdef\";\n"
                              "VALUES(\"y\")=\"a\";\nDATA=\n7;\n";
    dir_.write("tab.vt", table);
    EXPECT_EQ(run("DBASE1", "UnitVar=region\n"),
              dbf_file(1, 18, {descriptor("region", 'C', 6), descriptor("y", 'C', 1), descriptor("TABCELL", 'N', 10)},
                       " abcdefa" + num("7")));
    const std::string expected = rows_codes(coded("DOUBLECOLUMN(\"sex\")=YES;\n"), 2);
    EXPECT_EQ(run("dbase4", "[Data]\ndoublecolumn=2\n"), expected);
    EXPECT_EQ(run("dbase2", ""), rows(coded("DOUBLECOLUMN(\"sex\")=YES;\n")));
}
