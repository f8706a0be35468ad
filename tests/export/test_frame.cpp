// Tests of what every conversion shares: the data-note marker lookup, the
// rule that the notes files never replace the input, and the result of an
// output that cannot be written, across all the exports.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "../platform/temp_dir.h"
#include "core/infile.h"
#include "core/notes.h"
#include "core/reader.h"
#include "core/table.h"
#include "export/asp.h"
#include "export/delimited.h"
#include "export/excel.h"
#include "export/frame.h"
#include "export/html.h"
#include "export/print.h"
#include "export/text.h"
#include "platform/ini.h"

namespace {

namespace fs = std::filesystem;

// Three regions by two years; "*" notes north 2021 (cell 1), "b" all of
// east (cells 4 and 5). No other "*" appears in any export of it.
std::string noted_table(bool with_notes = true) {
    return std::string("CHARSET=\"ANSI\";\nMATRIX=\"M\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\n"
                       "TITLE=\"Population\";\nCONTENTS=\"C\";\nUNITS=\"u\";\nDECIMALS=0;\n"
                       "STUB=\"region\";\nHEADING=\"year\";\nVALUES(\"region\")=\"north\",\"south\",\"east\";\n"
                       "VALUES(\"year\")=\"2020\",\"2021\";\n") +
           (with_notes ? "DATANOTECELL(\"north\",\"2021\")=\"*\";\nDATANOTECELL(\"east\",\"*\")=\"b\";\n" : "") +
           "DATA=\n1 22 \n333 4444 \n5 66;\n";
}

const std::string symbols = ".;..;...;....;.....;......;.......;-";

TEST(NoteMarkers, OneLookupForEveryExport) {
    vt::test::temp_dir dir;
    vt::in_file f;
    vt::table t = vt::table_new();
    ASSERT_EQ(vt::read_table_file(dir.write("tab.vt", noted_table()), f, t), 0);

    // Numbered beside the output: the symbols in order of first appearance.
    vt::note_markers markers;
    EXPECT_EQ(markers.find(1), nullptr);  // nothing numbered yet
    markers.prepare(t, dir.file("tab.vt"), dir.file("out.htm"));
    ASSERT_TRUE(markers.active());
    EXPECT_TRUE(fs::exists(dir.file("outnotes.txt")));
    ASSERT_EQ(vt::datanote_symbols(), (vt::text_list{"*", "b"}));
    const char* expected[] = {nullptr, "*", nullptr, nullptr, "b", "b"};
    for (int cell = 0; cell < 6; ++cell) {
        const std::string* m = markers.find(cell);
        if (expected[cell] == nullptr)
            EXPECT_EQ(m, nullptr) << cell;
        else
            EXPECT_EQ(m != nullptr ? *m : "(none)", expected[cell]) << cell;
    }

    // A note number that names no symbol gives no marker at all: printed as
    // digits beside a number it would read as part of the value.
    struct index_case {
        const char* note;
        const char* marker;
    } cases[] = {{"1", "*"}, {"2", "b"}, {"3", nullptr}, {"99", nullptr}, {"0", nullptr},
                 {"-1", nullptr}, {"x", nullptr}, {"", nullptr}};
    for (const index_case& c : cases) {
        vt::plat::ini_file index;
        index.parse(std::string("[cell7]\r\nnote=") + c.note + "\r\n");
        markers.use(std::move(index));
        const std::string* m = markers.find(7);
        EXPECT_EQ(m != nullptr ? *m : "(none)", c.marker != nullptr ? c.marker : "(none)") << c.note;
        EXPECT_EQ(markers.find(8), nullptr);

        std::string written;
        vt::out_file out;
        out.open_memory(written);
        markers.write_number(out, 7, "12", 1);
        out.put('|');
        markers.write_number(out, 7, "12", 0);
        out.close();
        const std::string mark = c.marker != nullptr ? c.marker : "";
        EXPECT_EQ(written, mark + "12|12" + mark) << c.note;
    }
}

TEST(NoteMarkers, NotesFilesNeverReplaceTheInput) {
    vt::test::temp_dir dir;
    dir.write("xnotes.txt", "a table");
    dir.write("ynotes.txttext.txt", "a table");
    struct files_case {
        std::string input;
        std::string output;
        bool replaces;
    } cases[] = {
        {dir.file("xnotes.txt"), dir.file("x.htm"), true},           // the notes file
        {dir.file("xnotes.txt"), dir.file("x"), true},               // an output without extension
        {dir.file("ynotes.txttext.txt"), dir.file("y.asp"), true},       // its symbol file
        {dir.file("xnotes.txt"), dir.file("sub/../x.txt"), true},    // another spelling of the path
        {dir.file("XNOTES.TXT"), dir.file("x.txt"), true},           // names equal but for case
        {dir.file("xnotes.txt"), dir.file("z.htm"), false},
        {dir.file("tab.vt"), dir.file("tab.htm"), false},
    };
    fs::create_directory(dir.file("sub"));
    for (const files_case& c : cases)
        EXPECT_EQ(vt::notes_files_replace_input(c.input, c.output), c.replaces) << c.input << " " << c.output;
}

// Every export that numbers data notes, by the name of its output.
struct export_case {
    const char* name;
    const char* output;
    std::function<int(const std::string& in, const std::string& out)> run;
};

std::vector<export_case> noting_exports() {
    return {
        {"text", "x.txt",
         [](const std::string& i, const std::string& o) {
             return vt::TextConv(i, o, 80, 60, 0, 0, ".", symbols, 0, 0, "", 0, 0, 0);
         }},
        {"html1", "x.htm", [](const std::string& i, const std::string& o) { return vt::htmkonv(i, o, symbols, 0, 0); }},
        {"html2", "x.htm", [](const std::string& i, const std::string& o) { return vt::htmkonv2(i, o, symbols, 0, 0); }},
        {"asp", "x.asp",
         [](const std::string& i, const std::string& o) {
             return vt::AspConv(i, o, 1, symbols, ".", 0, 0, 0, 0, "", "", "", 0, 0);
         }},
        {"excel", "x.xls",
         [](const std::string& i, const std::string& o) { return vt::ExcelConv2005(i, o, symbols, 0, 0, "", 1, 0, 0); }},
        {"reltable", "x.txt",
         [](const std::string& i, const std::string& o) { return vt::RelTable(i, o, ".", "", 0, symbols, 0, 0); }},
        {"matrix", "x.mtx",
         [](const std::string& i, const std::string& o) { return vt::utgraph(i, o, ".", "'", 1, symbols, 0, 0); }},
        {"prnmatrix", "x.prn",
         [](const std::string& i, const std::string& o) { return vt::asmkonv(i, o, ";", 0, symbols, 0, 0); }},
        {"prntable", "x.prn",
         [](const std::string& i, const std::string& o) { return vt::astkonv(i, o, ";", 0, symbols, 0, 0); }},
    };
}

// A marked output holds the "*" marker; the worksheet holds it as the
// label over its marker column.
bool has_markers(const std::string& output) { return output.find('*') != std::string::npos; }

TEST(NoteMarkers, EveryExportKeepsAnInputNamedLikeItsNotesFiles) {
    for (const export_case& e : noting_exports()) {
        SCOPED_TRACE(e.name);
        vt::test::temp_dir dir;
        const std::string table = noted_table();
        // An ordinary input name: the cells carry markers.
        ASSERT_EQ(e.run(dir.write("tab.vt", table), dir.file(e.output)), 0);
        EXPECT_TRUE(has_markers(dir.read(e.output)));
        EXPECT_TRUE(fs::exists(dir.file("xnotes.txt")));
        fs::remove(dir.file("xnotes.txt"));
        fs::remove(dir.file("xnotes.txttext.txt"));

        // An input that is the notes file, or its symbol file, of the output:
        // it stays as it is, and the cells go without markers.
        for (const char* input : {"xnotes.txt", "xnotes.txttext.txt"}) {
            SCOPED_TRACE(input);
            ASSERT_EQ(e.run(dir.write(input, table), dir.file(e.output)), 0);
            EXPECT_EQ(dir.read(input), table);
            EXPECT_FALSE(has_markers(dir.read(e.output)));
            fs::remove(dir.file(input));
        }
        EXPECT_FALSE(fs::exists(dir.file("xnotes.txt")));
        EXPECT_FALSE(fs::exists(dir.file("xnotes.txttext.txt")));
    }
}

TEST(Exports, AFullDiskIsNoSuccess) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "skipped: no /dev/full here to stand for a full disk";
    vt::test::temp_dir dir;
    // Without data notes, so no notes file is made beside /dev/full.
    const std::string in = dir.write("tab.vt", noted_table(false));
    std::vector<export_case> exports = noting_exports();
    exports.push_back({"cells", "", [](const std::string& i, const std::string& o) {
                           return vt::cellkonv(i, o, ";", symbols, 0);
                       }});
    for (const export_case& e : exports) {
        const int expected = std::string(e.name) == "text" ? 2 : 400;
        EXPECT_EQ(e.run(in, "/dev/full"), expected) << e.name;
    }
    EXPECT_EQ(dir.read("tab.vt"), noted_table(false));
}

}  // namespace
