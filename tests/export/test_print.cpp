// Tests of the print exports: whole print matrices, print tables and cell
// files of small tables compared byte for byte, the symbol lists, data that
// ends early, inputs that must be read into memory, the result codes, and
// the exports through the library and a vtbatch job.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "../platform/temp_dir.h"
#include "core/reader.h"
#include "export/print.h"

namespace {

namespace fs = std::filesystem;

const std::string all_symbols = ".;..;...;....;.....;......;.......;-";

std::string head(const std::string& extra = "") {
    return "CHARSET=\"ANSI\";\nMATRIX=\"M\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\nTITLE=\"Population\";\n"
           "CONTENTS=\"C\";\nUNITS=\"u\";\nDECIMALS=0;\n" +
           extra;
}

// Stub region (2) and sex (2), heading year (2); the data section is given.
std::string two_stubs(const std::string& data = "1 2 3 4 \n5 6 7 8;", const std::string& extra = "") {
    return head() +
           "STUB=\"region\",\"sex\";\nHEADING=\"year\";\n"
           "VALUES(\"region\")=\"north\",\"south\";\nVALUES(\"sex\")=\"men\",\"women\";\n"
           "VALUES(\"year\")=\"2001\",\"2002\";\n" +
           extra + "DATA=\n" + data + "\n";
}

class Print : public ::testing::Test {
protected:
    void SetUp() override { vt::reader_state().selected_language = ""; }

    std::string in() const { return dir.file("t.vt"); }
    std::string out() const { return dir.file("out.prn"); }

    std::string matrix(const std::string& table, const std::string& delim = ";", int oem = 0,
                       const std::string& symbols = all_symbols, int note_place = 0) {
        dir.write("t.vt", table);
        rc_ = vt::asmkonv(in(), out(), delim, oem, symbols, 0, note_place);
        return rc_ == 0 ? dir.read("out.prn") : std::string();
    }
    std::string print_table(const std::string& table, const std::string& delim = ";", int oem = 0) {
        dir.write("t.vt", table);
        rc_ = vt::astkonv(in(), out(), delim, oem, all_symbols, 0, 0);
        return rc_ == 0 ? dir.read("out.prn") : std::string();
    }
    std::string cells(const std::string& table, const std::string& symbols = all_symbols, int rounding = 0) {
        dir.write("t.vt", table);
        rc_ = vt::cellkonv(in(), out(), ";", symbols, rounding);
        return rc_ == 0 ? dir.read("out.prn") : std::string();
    }

    vt::test::temp_dir dir;
    int rc_ = -1;
};

// ---------------------------------------------------------------------------
// Print matrix.

TEST_F(Print, MatrixTwoStubVariables) {
    EXPECT_EQ(matrix(two_stubs()),
              "\"north\";\"men\";1;2\r\n"
              "\"north\";\"women\";3;4\r\n"
              "\"south\";\"men\";5;6\r\n"
              "\"south\";\"women\";7;8\r\n");
    EXPECT_EQ(rc_, 0);
}

TEST_F(Print, MatrixWithoutStubAndWithOemLabels) {
    const std::string no_stub = head() + "HEADING=\"year\";\nVALUES(\"year\")=\"2001\",\"2002\",\"2003\";\nDATA=1 2 3;\n";
    EXPECT_EQ(matrix(no_stub, "\t"), "1\t2\t3\r\n");
    const std::string nordic = head() +
                               "STUB=\"land\";\nHEADING=\"year\";\nVALUES(\"land\")=\"\xC5land\",\"\xF6ster\";\n"
                               "VALUES(\"year\")=\"2001\";\nDATA=1 2;\n";
    EXPECT_EQ(matrix(nordic, ";", 1), "\"\x8F" "land\";1\r\n\"\x94ster\";2\r\n");
    EXPECT_EQ(matrix(nordic, ";", 0), "\"\xC5land\";1\r\n\"\xF6ster\";2\r\n");
}

TEST_F(Print, SymbolListsAndNumbers) {
    const std::string data = "\".\" \"..\" \"-\" \"x\" 2.25 0 -1.5 \".......\";";
    // The caller's list when the table names no symbol; an unknown quoted
    // token is 0.
    EXPECT_EQ(matrix(two_stubs(data), ";", 0, "a;b;c;d;e;f;g;h"),
              "\"north\";\"men\";a;b\r\n"
              "\"north\";\"women\";h;0\r\n"
              "\"south\";\"men\";2;0\r\n"
              "\"south\";\"women\";-2;g\r\n");
    // Once the table names one symbol its list replaces the caller's, with
    // the plain symbols for the others.
    EXPECT_EQ(matrix(two_stubs(data, "DATASYMBOL2=\"n.a.\";\n"), ";", 0, "a;b;c;d;e;f;g;h"),
              "\"north\";\"men\";.;n.a.\r\n"
              "\"north\";\"women\";-;0\r\n"
              "\"south\";\"men\";2;0\r\n"
              "\"south\";\"women\";-2;.......\r\n");
    // The cell file takes the caller's list in any case; "0" for a missing field.
    EXPECT_EQ(cells(two_stubs(data, "DATASYMBOL2=\"n.a.\";\n"), "a;b"), "a;b\r\n0;0\r\n2;0\r\n-2;0\r\n");
}

TEST_F(Print, TiesUseStoredDecimalsAndThePoint) {
    const std::string table = head("SHOWDECIMALS=1;\n") + "HEADING=\"h\";\nVALUES(\"h\")=\"x\",\"y\",\"z\";\n"
                                                           "DATA=2.25 -2.25 2.35;\n";
    std::string stored2 = table;
    stored2.replace(stored2.find("DECIMALS=0"), 10, "DECIMALS=2");
    EXPECT_EQ(cells(stored2), "2.2;-2.2;2.4\r\n");
    EXPECT_EQ(cells(stored2, all_symbols, 1), "2.3;-2.3;2.4\r\n");
}

TEST_F(Print, MatrixDataNoteMarkers) {
    const std::string table = two_stubs("1 2 3 4 \n5 6 7 8;", "DATANOTECELL(\"south\",\"men\",\"2001\")=\"*\";\n");
    EXPECT_NE(matrix(table).find("\r\n\"south\";\"men\";5*;6\r\n"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir.file("outnotes.txt")));
    EXPECT_NE(matrix(table, ";", 0, all_symbols, 1).find("\r\n\"south\";\"men\";*5;6\r\n"), std::string::npos);
}

TEST_F(Print, DataEndingEarlyEndsTheLine) {
    EXPECT_EQ(matrix(two_stubs("1 2 3;")),
              "\"north\";\"men\";1;2\r\n"
              "\"north\";\"women\";3\r\n"
              "\"south\";\"men\"\r\n"
              "\"south\";\"women\"\r\n");
    EXPECT_EQ(rc_, 0);
    EXPECT_EQ(print_table(two_stubs("1 2 3")),
              "\"Population\"\r\n\r\n"
              "\" \";\" \";\"2001\";\"2002\"\r\n"
              "\"north\"\r\n"
              "\" \";\"men\";1;2\r\n"
              "\" \";\"women\";3\r\n"
              "\"south\"\r\n"
              "\" \";\"men\"\r\n"
              "\" \";\"women\"\r\n"
              "\r\n");
    EXPECT_EQ(cells(two_stubs("")), "\r\n\r\n\r\n\r\n");
}

TEST_F(Print, TokensSplitAcrossLinesAndSeparators) {
    // A line break inside a token is dropped; "," and ";" separate tokens.
    EXPECT_EQ(cells(two_stubs("1\n2,3;;4\t5 \r\n  6 7 8")), "12;3\r\n4;5\r\n6;7\r\n8\r\n");
}

TEST_F(Print, KeyedDataAndOutputReplacingInput) {
    const std::string keyed = head() +
                              "STUB=\"region\",\"sex\";\nHEADING=\"year\";\n"
                              "VALUES(\"region\")=\"north\",\"south\";\nVALUES(\"sex\")=\"men\",\"women\";\n"
                              "VALUES(\"year\")=\"2001\",\"2002\";\nKEYS(\"region\")=VALUES;\nKEYS(\"sex\")=VALUES;\n"
                              "DATA=\n\"south\",\"women\",7 8 \n\"north\",\"men\",1 \"..\" \n;\n";
    EXPECT_EQ(matrix(keyed),
              "\"north\";\"men\";1;..\r\n"
              "\"north\";\"women\";0;0\r\n"
              "\"south\";\"men\";0;0\r\n"
              "\"south\";\"women\";7;8\r\n");

    const std::string expected = matrix(two_stubs());
    dir.write("t.vt", two_stubs());
    EXPECT_EQ(vt::asmkonv(in(), in(), ";", 0, all_symbols, 0, 0), 0);
    EXPECT_EQ(dir.read("t.vt"), expected);
}

// ---------------------------------------------------------------------------
// Print table.

TEST_F(Print, TableWholeOutputWithNotes) {
    const std::string table =
        head("NOTEX=\"Counted in May.\";\nNOTE=\"Rounded.\";\n") +
        "STUB=\"region\",\"sex\";\nHEADING=\"year\",\"age\";\n"
        "VALUES(\"region\")=\"north\",\"south\";\nVALUES(\"sex\")=\"men\",\"women\";\n"
        "VALUES(\"year\")=\"2001\",\"2002\";\nVALUES(\"age\")=\"young\",\"middle\",\"old\";\n"
        "NOTEX(\"sex\")=\"Sex at birth.\";\nVALUENOTE(\"region\",\"south\")=\"Islands included.\";\n"
        "CELLNOTE(\"north\",\"men\",\"2001\",\"old\")=\"Estimated.\";\n"
        "DATA=\n1 2 3 4 5 6 \n7 8 9 10 11 12 \n13 14 15 16 17 18 \n19 20 21 22 23 24;\n";
    EXPECT_EQ(print_table(table),
              "\"Population\"\r\n"
              "\r\n"
              "\" \";\" \";\"2001\";\" \";\" \";\"2002\";\" \";\" \"\r\n"
              "\" \";\" \";\"young\";\"middle\";\"old\";\"young\";\"middle\";\"old\"\r\n"
              "\"north\"\r\n"
              "\" \";\"men\";1;2;3;4;5;6\r\n"
              "\" \";\"women\";7;8;9;10;11;12\r\n"
              "\"south\"\r\n"
              "\" \";\"men\";13;14;15;16;17;18\r\n"
              "\" \";\"women\";19;20;21;22;23;24\r\n"
              "\r\n"
              "\"Counted in May.\"\r\n\r\n"
              "\"Rounded.\"\r\n\r\n"
              "\"Islands included.\"\r\n\r\n"
              "\"Sex at birth.\"\r\n\r\n"
              "\"Estimated.\"\r\n\r\n");
}

TEST_F(Print, TableTitleDescriptionOemAndLongNotes) {
    const std::string note(40, 'a');
    const std::string table =
        head("DESCRIPTION=\"S\xE4ld#\";\nDESCRIPTIONDEFAULT=YES;\nNOTEX=\"" + note + " " + note + "\";\n") +
        "HEADING=\"year\";\nVALUES(\"year\")=\"\xC5r 1\";\nDATA=5;\n";
    EXPECT_EQ(print_table(table, "\t", 1),
              "\"S\x84ld \"\r\n\r\n"
              "\"\x8Fr 1\"\r\n"
              "5\r\n"
              "\r\n\"" + note + " \"\r\n\"" + note + "\"\r\n\r\n");
}

// ---------------------------------------------------------------------------
// Failures, the library and vtbatch.

TEST_F(Print, ResultCodes) {
    EXPECT_EQ(vt::asmkonv(dir.file("missing.vt"), out(), ";", 0, "", 0, 0), 400);
    dir.write("t.vt", two_stubs());
    EXPECT_EQ(vt::astkonv(in(), dir.file("no/dir/x.prn"), ";", 0, "", 0, 0), 400);

    std::string bad = two_stubs();
    bad.erase(bad.find("CONTENTS="), std::string("CONTENTS=\"C\";\n").size());
    dir.write("t.vt", bad);
    vt::in_file f;
    vt::table t = vt::table_new();
    const int reader_rc = vt::read_table_file(in(), f, t);
    ASSERT_NE(reader_rc, 0);
    EXPECT_EQ(vt::asmkonv(in(), out(), ";", 0, "", 0, 0), reader_rc);
    EXPECT_FALSE(fs::exists(out()));
}

TEST_F(Print, ThroughTheLibrary) {
    void* lib = dlopen(VT_LIBVTCONV, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    using print_fn = int (*)(const char*, const char*, const char*, int, const void*, const char*, int, int);
    using cell_fn = int (*)(const char*, const char*, const char*, const void*, const char*, int);
    auto asm_ = reinterpret_cast<print_fn>(dlsym(lib, "asmkonv"));
    auto ast = reinterpret_cast<print_fn>(dlsym(lib, "astkonv"));
    auto cel = reinterpret_cast<cell_fn>(dlsym(lib, "cellkonv"));
    ASSERT_TRUE(asm_ && ast && cel);
    dir.write("t.vt", two_stubs("1 \"..\" 3 4 5 6 7 8;"));
    char symbols[] = "a;b;c;d;e;f;g;h";
    EXPECT_EQ(asm_(in().c_str(), out().c_str(), ",", 0, nullptr, symbols, 0, 0), 0);
    EXPECT_EQ(dir.read("out.prn").substr(0, 22), "\"north\",\"men\",1,b\r\n\"no");
    EXPECT_STREQ(symbols, "a;b;c;d;e;f;g;h");
    EXPECT_EQ(ast(in().c_str(), out().c_str(), nullptr, 0, nullptr, nullptr, 0, 0), 0);
    // No delimiter and no symbol list: fields run together, symbols print as 0.
    const std::string start = "\"Population\"\r\n\r\n\" \"\" \"\"2001\"\"2002\"\r\n\"north\"\r\n\" \"\"men\"10\r\n";
    EXPECT_EQ(dir.read("out.prn").substr(0, start.size()), start);
    EXPECT_EQ(cel(in().c_str(), out().c_str(), " ", nullptr, nullptr, 0), 0);
    EXPECT_EQ(dir.read("out.prn"), "1 0\r\n3 4\r\n5 6\r\n7 8\r\n");
    EXPECT_EQ(cel(nullptr, out().c_str(), " ", nullptr, "", 0), 400);
    dlclose(lib);
}

TEST_F(Print, PrnmatrixBatchJob) {
    dir.write("t.vt", two_stubs("1 2 3 \".\" 5 6 7 8;"));
    dir.write("job.ini",
              "[Files]\nInfile=t.vt\nOutfile=m.prn\nErrorfile=err.txt\n[Query]\nFunction=prnmatrix\n"
              "[Data]\ndelim=tab\nSymbol1=dot\n");
    const std::string cmd = "cd '" + dir.path().string() + "' && '" + VT_VTBATCH + "' job.ini >/dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(dir.read("err.txt"), "prnmatrix ended OK ");
    EXPECT_EQ(dir.read("m.prn"),
              "\"north\"\t\"men\"\t1\t2\r\n"
              "\"north\"\t\"women\"\t3\tdot\r\n"
              "\"south\"\t\"men\"\t5\t6\r\n"
              "\"south\"\t\"women\"\t7\t8\r\n");
}

}  // namespace
