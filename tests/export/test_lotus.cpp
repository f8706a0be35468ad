// Tests of the Lotus worksheets: the record writers and the wks_* checks
// byte for byte, whole sheets of small tables, the notes, the output name
// rules, the failure codes, the library export and the batch function.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "../platform/temp_dir.h"
#include "export/lotus.h"
#include "export/wks.h"

namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// The records, spelled out byte by byte.

std::string u16(unsigned v) { return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }
std::string f64(double v) {
    std::string s;
    const auto bits = std::bit_cast<std::uint64_t>(v);
    for (int i = 0; i < 8; ++i) s += static_cast<char>((bits >> (8 * i)) & 0xFF);
    return s;
}

std::string bof(unsigned version) { return u16(0) + u16(2) + u16(version); }
std::string eof() { return u16(1) + u16(0); }
std::string window(unsigned col, unsigned row) {
    return u16(7) + u16(30) + u16(col) + u16(row) + "\xF1" + std::string(1, '\0') + u16(10) + u16(7) + u16(20) +
           std::string(12, '\0') + u16(4) + u16(4) + u16(72);
}
std::string colw(unsigned col, unsigned width) { return u16(8) + u16(3) + u16(col) + static_cast<char>(width); }
// A label at (row, col) with its prefix ("'" left, "\"" right) included.
std::string lab(unsigned row, unsigned col, const std::string& text, char prefix = '\'') {
    const std::string body = prefix + text;
    return u16(15) + u16(static_cast<unsigned>(body.size()) + 6) + "\x7F" + u16(col) + u16(row) + body +
           std::string(1, '\0');
}
std::string num(unsigned row, unsigned col, double v, unsigned format = 0) {
    return u16(14) + u16(13) + static_cast<char>(format) + u16(col) + u16(row) + f64(v);
}
std::string integer(unsigned row, unsigned col, int v) {
    return u16(13) + u16(7) + "\x7F" + u16(col) + u16(row) + u16(static_cast<unsigned>(v) & 0xFFFF);
}

// The bytes a writer puts into memory.
struct memory_sheet {
    memory_sheet() { w.out.open_memory(bytes); }
    std::string done() {
        w.out.close();
        return bytes;
    }
    std::string bytes;
    vt::wks::worksheet w;
};

// ---------------------------------------------------------------------------
// The writer.

TEST(WksWriter, RecordsAndChecksByteForByte) {
    memory_sheet m;
    using namespace vt::wks;
    EXPECT_EQ(wks_window(m.w, 2, 5), 0);
    EXPECT_EQ(wks_colwidth(m.w, 0, 12), 0);
    EXPECT_EQ(wks_colwidth(m.w, 256, 12), err_width_column);
    EXPECT_EQ(wks_colwidth(m.w, -1, 12), err_width_column);
    EXPECT_EQ(wks_colwidth(m.w, 3, 256), err_width);
    EXPECT_EQ(wks_label(m.w, 1, 2, "text"), 0);
    EXPECT_EQ(wks_label(m.w, 1, 3, "n.a.", right), 0);
    // A prefix of its own is kept; the DOS letters become ANSI ones.
    EXPECT_EQ(wks_label(m.w, 1, 4, "^centre"), 0);
    EXPECT_EQ(wks_label(m.w, 1, 5, "\x86\x84\x94\x8F\x8E\x99 x"), 0);
    EXPECT_EQ(wks_label(m.w, 1, 6, std::string(300, 'w')), 0);
    EXPECT_EQ(wks_number(m.w, 2, 0, -12.5), 0);
    EXPECT_EQ(wks_label(m.w, 0x10000, 0, "gone"), err_row);
    EXPECT_EQ(wks_number(m.w, 0, 0x10000, 1), err_column);
    EXPECT_EQ(m.w.last_error, err_column);
    EXPECT_EQ(m.done(), window(2, 5) + colw(0, 12) + lab(1, 2, "text") + lab(1, 3, "n.a.", '"') +
                            lab(1, 4, "centre", '^') + lab(1, 5, "\xE5\xE4\xF6\xC5\xC4\xD6 x") +
                            lab(1, 6, std::string(239, 'w')) + num(2, 0, -12.5));
}

TEST(WksWriter, PrintfFillsOneCellPerConversion) {
    memory_sheet m;
    using namespace vt::wks;
    EXPECT_EQ(wks_printf(m.w, 3, 1, "%s|%-s|%c|%d|%i|%.3f|%f|%d", {"r", "l", 'x', 42, -7, 1.5, 2.25, 70000}), 0);
    EXPECT_EQ(m.done(), lab(3, 1, "r", '"') + lab(3, 2, "l") + lab(3, 3, "x") + integer(3, 4, 42) +
                            integer(3, 5, -7) + num(3, 6, 1.5, 3) + num(3, 7, 2.25, 2) + num(3, 8, 70000));

    memory_sheet bad;
    EXPECT_EQ(wks_printf(bad.w, 0, 0, "%.16f %d", {1.0, 2}), 0 + err_write);  // the cell is left out
    EXPECT_EQ(wks_printf(bad.w, 0, 0, "%d %s", {1}), err_syntax);             // an argument missing
    EXPECT_EQ(wks_printf(bad.w, 0, 5, "%s", {3}), err_syntax);                // of the wrong kind
    EXPECT_EQ(wks_printf(bad.w, 0, 6, "%q", {3}), err_syntax);
    EXPECT_EQ(bad.done(), integer(0, 1, 2) + integer(0, 0, 1));
}

TEST(WksWriter, ErrorMessagesAndTheFileKind) {
    using namespace vt::wks;
    EXPECT_STREQ(error_message(1), "Duplicate range name");
    EXPECT_STREQ(error_message(33), "WPARM11: column out of range");
    EXPECT_STREQ(error_message(39), "WKSOPEN: Not WKS or WK1 file");
    EXPECT_STREQ(error_message(0), "wkser: invalid error value");
    EXPECT_STREQ(error_message(40), "wkser: invalid error value");
    testing::internal::CaptureStdout();
    EXPECT_EQ(report_error(38), 38);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n*** WKS error 38 - WKSOPEN: Error opening file\n");

    // The kind is the extension of the file name itself, in any case.
    EXPECT_TRUE(is_wk1_name("out.wk1"));
    EXPECT_TRUE(is_wk1_name("/a/b.c/OUT.Wk1"));
    EXPECT_TRUE(is_wk1_name("C:\\x.y\\t.WK1"));
    EXPECT_FALSE(is_wk1_name("out.wks"));
    EXPECT_FALSE(is_wk1_name("/dir.wk1/out"));
    EXPECT_FALSE(is_wk1_name("out.wk1.bak"));
    EXPECT_FALSE(is_wk1_name("wk1"));
}

// ---------------------------------------------------------------------------
// The export.

std::string head(const std::string& decimals = "DECIMALS=0;") {
    return "CHARSET=\"ANSI\";\nMATRIX=\"M1\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\nTITLE=\"T\";\n"
           "CONTENTS=\"C\";\nUNITS=\"u\";\n" + decimals + "\n";
}

// Stub "region" (north, south), headings "year" (2020, 2021) and "sex"
// (m, f).
std::string nested(const std::string& extra = "", const std::string& data = "1 2 3 4 \n5 6 7 8;",
                   const std::string& decimals = "DECIMALS=0;") {
    return head(decimals) +
           "STUB=\"region\";\nHEADING=\"year\",\"sex\";\nVALUES(\"region\")=\"north\",\"south\";\n"
           "VALUES(\"year\")=\"2020\",\"2021\";\nVALUES(\"sex\")=\"m\",\"f\";\n" + extra + "DATA=\n" + data + "\n";
}

const std::string symbols = ".;..;...;....;.....;......;.......;-";

class LotusTest : public ::testing::Test {
protected:
    std::string in_path() const { return dir_.file("tab.vt"); }

    // The worksheet of `table` written to `name`, or "" with the code in rc_.
    std::string run(const std::string& table, const std::string& name = "tab.wk1") {
        dir_.write("tab.vt", table);
        fs::remove(dir_.file(name));
        list_ = symbols;
        rc_ = vt::lotkonv(in_path(), dir_.file(name), list_);
        return rc_ == 0 ? dir_.read(name) : std::string();
    }

    vt::test::temp_dir dir_;
    std::string list_;
    int rc_ = -1;
};

// The sheet of nested(): one title row, an empty row, the heading tree in
// rows 2 and 3 (year over the first column of its block), data from row 4.
const std::string nested_sheet = bof(0x0406) + window(1, 4) + colw(0, 6) + lab(0, 0, "T") + lab(2, 1, "2020") +
                                 lab(3, 1, "m") + lab(3, 2, "f") + lab(2, 3, "2021") + lab(3, 3, "m") +
                                 lab(3, 4, "f") + lab(4, 0, "north") + num(4, 1, 1) + num(4, 2, 2) + num(4, 3, 3) +
                                 num(4, 4, 4) + lab(5, 0, "south") + num(5, 1, 5) + num(5, 2, 6) + num(5, 3, 7) +
                                 num(5, 4, 8);

TEST_F(LotusTest, HeadingTreeOverTheDataWholeSheet) {
    EXPECT_EQ(run(nested()), nested_sheet + eof());
    EXPECT_EQ(rc_, 0);
    EXPECT_EQ(list_, symbols);  // a table without symbol texts leaves the list alone
    // Any other extension gives a WKS file; the rest is the same.
    EXPECT_EQ(run(nested(), "tab.wks"), bof(0x0404) + nested_sheet.substr(bof(0).size()) + eof());
    EXPECT_EQ(run(nested(), "tab"), run(nested(), "tab.wks"));
}

TEST_F(LotusTest, StubTreeWithoutHeadingAndWithoutStub) {
    const std::string two_stubs = head() +
                                  "STUB=\"a\",\"b\";\nVALUES(\"a\")=\"A1\",\"A2\";\nVALUES(\"b\")=\"\",\"long b\";\n"
                                  "DATA=\n1 2 3 4;\n";
    // Widths from the longest texts (an empty one gives 6); no heading
    // variable: one data column right after the empty row.
    EXPECT_EQ(run(two_stubs), bof(0x0406) + window(2, 2) + colw(0, 3) + colw(1, 7) + lab(0, 0, "T") +
                                  lab(2, 0, "A1") + lab(2, 1, "") + num(2, 2, 1) + lab(3, 1, "long b") +
                                  num(3, 2, 2) + lab(4, 0, "A2") + lab(4, 1, "") + num(4, 2, 3) +
                                  lab(5, 1, "long b") + num(5, 2, 4) + eof());
    const std::string no_stub =
        head() + "DESCRIPTION=\"D1#\",\"D2\";\nDESCRIPTIONDEFAULT=YES;\nHEADING=\"y\";\nVALUES(\"y\")=\"a\",\"b\";\n"
                 "DATA=\n7 8;\n";
    EXPECT_EQ(run(no_stub), bof(0x0406) + window(0, 4) + lab(0, 0, "D1 ") + lab(1, 0, "D2") + lab(3, 0, "a") +
                                lab(3, 1, "b") + num(4, 0, 7) + num(4, 1, 8) + eof());
}

TEST_F(LotusTest, CellsAsShownAndSymbolsAsRightLabels) {
    // 12.345 shown with 2 decimals is stored as 12.34 (ties to even), the
    // table's ROUNDING moves ties away from zero.
    const std::string shown = nested("", "12.345 -1.005 \"..\" \"-\" \n\"x\" 0 1e3 2.5;", "DECIMALS=3;\nSHOWDECIMALS=2;");
    const std::string cells = lab(4, 0, "north") + num(4, 1, 12.34) + num(4, 2, -1.0) + lab(4, 3, "..", '"') +
                              lab(4, 4, "-", '"') + lab(5, 0, "south") + num(5, 1, 0) + num(5, 2, 0) +
                              num(5, 3, 1000) + num(5, 4, 2.5) + eof();
    EXPECT_EQ(run(shown), nested_sheet.substr(0, nested_sheet.find(lab(4, 0, "north"))) + cells);
    const std::string away = nested("ROUNDING=1;\n", "12.345 1 2 3 \n4 5 6 7;", "DECIMALS=3;\nSHOWDECIMALS=2;");
    EXPECT_NE(run(away).find(num(4, 1, 12.35)), std::string::npos);

    // The table's own symbol texts win and come back as the list.
    const std::string own = nested("DATASYMBOL2=\"n.a.\";\nDATASYMBOLNIL=\"nil\";\n", "\"..\" \"-\" \".\" 1 \n5 6 7 8;");
    const std::string sheet = run(own);
    EXPECT_NE(sheet.find(lab(4, 1, "n.a.", '"') + lab(4, 2, "nil", '"') + lab(4, 3, ".", '"')), std::string::npos);
    EXPECT_EQ(list_, ".;n.a.;...;....;.....;......;.......;nil;");
}

TEST_F(LotusTest, NotesFollowTheDataBetweenEmptyRows) {
    const std::string notes =
        "NOTEX=\"Must.\";\nNOTE=\"May <B>be</B>.\";\nNOTEX(\"region\")=\"Var x.\";\nNOTE(\"sex\")=\"Var n.\";\n"
        "VALUENOTEX(\"region\",\"south\")=\"Val x.\";\nVALUENOTE(\"year\",\"2021\")=\"Val n.\";\n"
        "CELLNOTEX(\"north\",\"*\",\"f\")=\"Cell x.\";\nCELLNOTE(\"*\",\"2020\",\"*\")=\"Cell n.\";\n";
    const std::string expected =
        nested_sheet + lab(7, 0, "Must.") + lab(10, 0, "May be.") + lab(13, 0, "region") + lab(14, 0, "Var x.") +
        lab(17, 0, "south") + lab(18, 0, "Val x.") + lab(21, 0, "2021") + lab(22, 0, "Val n.") + lab(25, 0, "sex") +
        lab(26, 0, "Var n.") + lab(29, 0, "region") + lab(30, 0, "north") + lab(32, 0, "sex") + lab(33, 0, "f") +
        lab(35, 0, "Cell x.") + lab(38, 0, "year") + lab(39, 0, "2020") + lab(41, 0, "Cell n.") + eof();
    EXPECT_EQ(run(nested(notes)), expected);

    // Notes are cut at 70 characters, cell notes at 60.
    const std::string word(9, 'w');
    std::string text;
    for (int i = 0; i < 8; ++i) text += word + " ";
    const std::string sheet = run(nested("NOTEX=\"" + text + "\";\nCELLNOTEX(\"south\",\"*\",\"*\")=\"" + text + "\";\n"));
    const std::string seven = word + " " + word + " " + word + " " + word + " " + word + " " + word + " " + word;
    EXPECT_NE(sheet.find(lab(7, 0, seven + " ") + lab(8, 0, word + " ")), std::string::npos) << "width 70";
    const std::string six = word + " " + word + " " + word + " " + word + " " + word + " " + word;
    EXPECT_NE(sheet.find(lab(14, 0, six + " ") + lab(15, 0, word + " " + word + " ")), std::string::npos)
        << "width 60";
}

TEST_F(LotusTest, TheNameIsUsedAsGivenAndTheDirectoryStays) {
    const fs::path before = fs::current_path();
    fs::create_directory(dir_.path() / "a.b");
    EXPECT_EQ(run(nested(), "a.b/Out.Wk1").substr(0, bof(0).size()), bof(0x0406));
    EXPECT_TRUE(fs::exists(dir_.path() / "a.b" / "Out.Wk1"));
    EXPECT_FALSE(fs::exists(dir_.path() / "a.b" / "Out.WK1"));
    EXPECT_EQ(run(nested(), "a.b/plain").substr(0, bof(0).size()), bof(0x0404));
    EXPECT_EQ(fs::current_path(), before);

    // A bare name is written where the process stands.
    dir_.write("tab.vt", nested());
    ASSERT_EQ(chdir(dir_.path().c_str()), 0);
    std::string list = symbols;
    const int rc = vt::lotkonv("tab.vt", "bare.wks", list);
    ASSERT_EQ(chdir(before.c_str()), 0);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(dir_.read("bare.wks"), bof(0x0404) + nested_sheet.substr(bof(0).size()) + eof());
}

TEST_F(LotusTest, FailureCodes) {
    std::string list = symbols;
    EXPECT_EQ(vt::lotkonv(dir_.file("none.vt"), dir_.file("x.wk1"), list), 400);
    EXPECT_FALSE(fs::exists(dir_.file("x.wk1")));
    dir_.write("tab.vt", nested());
    testing::internal::CaptureStdout();
    EXPECT_EQ(vt::lotkonv(in_path(), dir_.file("no/such/x.wk1"), list), 400);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n*** WKS error 38 - WKSOPEN: Error opening file\n");
    run(head() + "STUB=\"r\";\nDATA=\n1;\n");  // a variable without values
    EXPECT_EQ(rc_, 141);
    EXPECT_FALSE(fs::exists(dir_.file("tab.wk1")));
    // A sheet replacing its own table file still gets every cell.
    dir_.write("tab.wk1", nested());
    EXPECT_EQ(vt::lotkonv(dir_.file("tab.wk1"), dir_.file("tab.wk1"), list), 0);
    EXPECT_EQ(dir_.read("tab.wk1"), nested_sheet + eof());
}

TEST_F(LotusTest, LibraryExportAndBatchFunction) {
    void* lib = dlopen(VT_LIBVTCONV, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    using fn = int (*)(const char*, const char*, const void*, char*);
    const auto lotus = reinterpret_cast<fn>(dlsym(lib, "lotkonv"));
    ASSERT_NE(lotus, nullptr);
    const std::string table = nested("DATASYMBOL1=\"x\";\n", "\".\" 2 3 4 \n5 6 7 8;");
    const std::string expected = run(table);
    const std::string out = dir_.file("lib.wk1");
    char buffer[vt::lotus_symbol_buffer] = ".;..;...;....;.....;......;.......;-";
    EXPECT_EQ(lotus(in_path().c_str(), out.c_str(), nullptr, buffer), 0);
    EXPECT_EQ(dir_.read("lib.wk1"), expected);
    EXPECT_STREQ(buffer, "x;..;...;....;.....;......;.......;-;");
    // Symbol texts longer than 20 characters, which would not fit the
    // hosts' buffer, are a reader problem: the buffer stays as it was.
    dir_.write("tab.vt", nested("DATASYMBOL1=\"" + std::string(21, 'y') + "\";\n"));
    std::strcpy(buffer, "a;b");
    EXPECT_EQ(lotus(in_path().c_str(), out.c_str(), nullptr, buffer), 173);
    EXPECT_STREQ(buffer, "a;b");
    EXPECT_EQ(lotus(nullptr, out.c_str(), nullptr, nullptr), 400);
    int host_table = 0;
    EXPECT_EQ(lotus(nullptr, out.c_str(), &host_table, nullptr), 400);
    dlclose(lib);

    // Both query forms, with the caller's symbol texts.
    dir_.write("tab.vt", nested("", "\"..\" 2 3 4 \n5 6 7 8;"));
    dir_.write("q.ini", "[Files]\nInfile=tab.vt\nOutfile=out.WK1\nErrorfile=err.txt\n[Query]\nFunction=Lotus\n"
                        "[Data]\nSymbol2=n.a.\n");
    EXPECT_EQ(vt::test::run_vtbatch(dir_, "q.ini"), 0);
    EXPECT_EQ(dir_.read("err.txt"), "Lotus ended OK ");
    const std::string sheet = dir_.read("out.WK1");
    EXPECT_EQ(sheet.substr(0, bof(0).size()), bof(0x0406));
    EXPECT_NE(sheet.find(lab(4, 1, "n.a.", '"')), std::string::npos);
    dir_.write("q.xml",
               "<?xml version=\"1.0\"?>\n<vtqueries>\n<vtquery step=\"1\">\n<function>lotus</function>\n"
               "<infile>tab.vt</infile>\n<outfile>x.wks</outfile>\n<errorfile>err.txt</errorfile>\n</vtquery>\n"
               "</vtqueries>\n");
    EXPECT_EQ(vt::test::run_vtbatch(dir_, "q.xml"), 0);
    EXPECT_EQ(dir_.read("x.wks").substr(0, bof(0).size()), bof(0x0404));
}

}  // namespace
