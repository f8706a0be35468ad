// Re-saving table files: keywords rewritten, data copied, and the options
// of the three re-save routines.
#include <gtest/gtest.h>
#include <dlfcn.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "../platform/temp_dir.h"
#include "core/datasec.h"
#include "core/describe.h"
#include "core/reader.h"
#include "core/writer.h"
#include "export/resave.h"

namespace {

void write_file(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

struct loaded {
    int rc = -1;
    vt::table t = vt::table_new();
    vt::in_file f;
    explicit loaded(const std::string& path) {
        rc = vt::read_table_file(path, f, t);
        if (rc == 0) rc = vt::read_data(t, f);
    }
    std::int64_t cells() const { return vt::count_cells(t.vars); }
};

void expect_same_cells(const loaded& a, const loaded& b) {
    ASSERT_EQ(a.cells(), b.cells());
    for (std::int64_t i = 0; i < a.cells(); ++i)
        ASSERT_EQ(std::bit_cast<std::uint64_t>(a.t.data()[i]), std::bit_cast<std::uint64_t>(b.t.data()[i])) << i;
}

const std::string small_table =
    "CHARSET=\"ANSI\";\nVELT-VERSION=\"2000\";\nMATRIX=\"M\";\nSUBJECT-AREA=\"Old area\";\nSUBJECT-CODE=\"C\";\n"
    "DESCRIPTION=\"Old description\";\nTITLE=\"Old title\";\nCONTENTS=\"Persons\";\nUNITS=\"number\";\n"
    "DECIMALS=1;\nSTUB=\"region\";\nHEADING=\"year\";\nVALUES(\"region\")=\"North\",\"South\";\n"
    "CODES(\"region\")=\"N\",\"S\";\nVALUES(\"year\")=\"2001\",\"2002\",\"2003\";\n"
    "CELLNOTE(\"North\",\"2002\")=\"\xE4ndrad\";\n"
    "DATA=\n1.5 \".\" 3 \n\"-\" 0 -2.5;\n";

class Resave : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset() {
        vt::reader_state() = vt::reader_settings{};
        vt::writer_state() = vt::writer_settings{};
    }
    // A file of this test's own folder.
    std::string temp(const std::string& name) const { return dir_.file(name); }

    vt::test::temp_dir dir_;
};

}  // namespace

TEST_F(Resave, SameKeywordsAndCells) {
    const std::string in = temp("in.vt"), out = temp("out.vt");
    write_file(in, small_table);
    ASSERT_EQ(vt::VtReSave(in.c_str(), out.c_str(), 1), 0);
    const std::string written = vt::test::read_file(out);
    EXPECT_NE(written.find("VELT-VERSION=\"2006\";"), std::string::npos);
    EXPECT_NE(written.find("CELLNOTE(\"North\", \"2002\")=\"\xE4ndrad\";"), std::string::npos);
    // The data is copied token by token, one row of three cells per line.
    EXPECT_NE(written.find("DATA=\n1.5 \".\" 3 \n\"-\" 0 -2.5;\n"), std::string::npos) << written;

    loaded a(in), b(out);
    ASSERT_EQ(a.rc, 0);
    ASSERT_EQ(b.rc, 0);
    a.t.velt_version = "2006";
    EXPECT_EQ(vt::describe_table(a.t), vt::describe_table(b.t));
    expect_same_cells(a, b);
    EXPECT_EQ(vt::test::read_file(in), small_table) << "the input stays as it was";

    // Cell notes in code page 850 on request, and the setting is put back.
    ASSERT_EQ(vt::VtReSave(in.c_str(), out.c_str(), 0), 0);
    EXPECT_NE(vt::test::read_file(out).find("\x84ndrad"), std::string::npos);
    EXPECT_TRUE(vt::writer_state().cellnote_ansi);
}

TEST_F(Resave, FileProblems) {
    const std::string in = temp("in2.vt");
    write_file(in, small_table);
    const std::string missing = temp("no_such_file.vt");
    std::remove(missing.c_str());
    EXPECT_EQ(vt::VtReSave(missing.c_str(), temp("x.vt").c_str(), 1), 1) << "1, not 400";
    EXPECT_EQ(vt::savevt(missing.c_str(), temp("x.vt").c_str(), 0, "", "", "", 0, 1, 0, 0), 1);
    EXPECT_EQ(vt::VtReSave(in.c_str(), "/no/such/dir/out.vt", 1), 1);
    // Saving a table over itself would destroy the cells being copied.
    EXPECT_EQ(vt::VtReSave(in.c_str(), in.c_str(), 1), 1);
    EXPECT_EQ(vt::savevtweb(in.c_str(), dir_.file("./in2.vt").c_str(), "", "", "", "0", "", "0"), 1);
    EXPECT_EQ(vt::test::read_file(in), small_table);
    // A reader problem comes back as the reader's code.
    const std::string bad = temp("bad.vt");
    write_file(bad, "MATRIX=\"M\";DATA=1;");
    EXPECT_EQ(vt::VtReSave(bad.c_str(), temp("x.vt").c_str(), 1), 132);
    // Data that ends early: 7 from VtReSave, 0 from savevt.
    const std::string shorter = temp("short.vt");
    write_file(shorter, small_table.substr(0, small_table.find("\"-\"")));
    EXPECT_EQ(vt::VtReSave(shorter.c_str(), temp("x.vt").c_str(), 1), 7);
    EXPECT_EQ(vt::savevt(shorter.c_str(), temp("x.vt").c_str(), 0, "", "", "", 0, 1, 0, 0), 0);
}

TEST_F(Resave, DescriptionSubjectAndTitle) {
    const std::string in = temp("in3.vt"), out = temp("out3.vt");
    write_file(in, small_table);
    auto read_out = [&] {
        auto l = std::make_unique<loaded>(out);
        EXPECT_EQ(l->rc, 0);
        return l;
    };

    ASSERT_EQ(vt::savevtweb(in.c_str(), out.c_str(), "and;by;distr;unit", "", "", "0", "", "0"), 0);
    auto l = read_out();
    EXPECT_EQ(l->t.description, (vt::text_list{"Old description"})) << "empty keeps it";
    EXPECT_EQ(l->t.title, (vt::text_list{"Old title"}));

    ASSERT_EQ(vt::savevtweb(in.c_str(), out.c_str(), "and;by;distr;unit", "AB", "", "0", "", "0"), 0);
    EXPECT_EQ(read_out()->t.description, (vt::text_list{"Old description"})) << "two characters keep it";

    ASSERT_EQ(vt::savevtweb(in.c_str(), out.c_str(), "och;efter;f\xF6rdelat;enhet", "New description", "New area",
                            "0", "x", "0"),
              0);
    l = read_out();
    EXPECT_EQ(l->t.description, (vt::text_list{"New description"}));
    EXPECT_EQ(l->t.descriptiondefault, 0);
    EXPECT_EQ(l->t.subject_area, "New area");
    EXPECT_EQ(l->t.title, (vt::text_list{"Persons efter region och year"}));

    ASSERT_EQ(vt::savevtweb(in.c_str(), out.c_str(), "", "New description", "", "0", "x", "1"), 0);
    l = read_out();
    EXPECT_EQ(l->t.descriptiondefault, 1);
    EXPECT_EQ(l->t.title, (vt::text_list{"New description"}));

    // savevt drops the description whatever it is given, and sets the
    // subject only when asked to.
    ASSERT_EQ(vt::savevt(in.c_str(), out.c_str(), 0, "", "AB", "Area", 0, 1, 0, 0), 0);
    l = read_out();
    EXPECT_TRUE(l->t.description.empty());
    EXPECT_EQ(l->t.subject_area, "Old area");
    ASSERT_EQ(vt::savevt(in.c_str(), out.c_str(), 0, "", "ABC", "Area", 1, 1, 0, 0), 0);
    l = read_out();
    EXPECT_EQ(l->t.description, (vt::text_list{"ABC"}));
    EXPECT_EQ(l->t.subject_area, "Area");
}

TEST_F(Resave, KeyedData) {
    const std::string in = temp("in4.vt"), keyed = temp("keyed.vt"), again = temp("again.vt");
    write_file(in, small_table);
    ASSERT_EQ(vt::savevtweb(in.c_str(), keyed.c_str(), "", "", "", "1", "", "0"), 0);
    const std::string text = vt::test::read_file(keyed);
    EXPECT_NE(text.find("KEYS(\"region\")=VALUES;\n"), std::string::npos);
    EXPECT_NE(text.find("\"North\",1.5 \".\" 3"), std::string::npos) << text;
    loaded a(in), b(keyed);
    ASSERT_EQ(b.rc, 0);
    expect_same_cells(a, b);

    // A keyed file re-saved as it is keeps its data section byte for byte.
    ASSERT_EQ(vt::VtReSave(keyed.c_str(), again.c_str(), 1), 0);
    const std::string copied = vt::test::read_file(again);
    EXPECT_NE(copied.find("KEYS(\"region\")=VALUES;\n"), std::string::npos);
    EXPECT_EQ(copied.substr(copied.find("DATA=")), text.substr(text.find("DATA=")));
    EXPECT_TRUE(vt::writer_state().copy_keyed_verbatim) << "left on for later calls";

    // Keyed by codes, then back to the full form.
    ASSERT_EQ(vt::savevt(in.c_str(), keyed.c_str(), 0, "", "", "", 0, 1, 2, 0), 0);
    EXPECT_NE(vt::test::read_file(keyed).find("KEYS(\"region\")=CODES;"), std::string::npos);
    ASSERT_EQ(vt::savevt(keyed.c_str(), again.c_str(), 0, "", "", "", 0, 1, 0, 0), 0);
    loaded c(again);
    ASSERT_EQ(c.rc, 0);
    EXPECT_EQ(vt::test::read_file(again).find("KEYS"), std::string::npos);
    expect_same_cells(a, c);
}

TEST_F(Resave, ThroughTheLibrary) {
    const std::string in = temp("in5.vt"), out = temp("out5.vt");
    write_file(in, small_table);
    void* lib = dlopen(VT_LIBVTCONV, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    using resave_fn = int (*)(const char*, const char*, int);
    using savevt_fn = int (*)(const char*, const char*, int, const char*, const char*, const char*, int, int, int, int);
    auto resave = reinterpret_cast<resave_fn>(dlsym(lib, "VtReSave"));
    auto save = reinterpret_cast<savevt_fn>(dlsym(lib, "savevt"));
    ASSERT_NE(resave, nullptr);
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(resave(in.c_str(), out.c_str(), 1), 0);
    EXPECT_NE(vt::test::read_file(out).find("DATA=\n1.5 \".\" 3 \n"), std::string::npos);
    EXPECT_EQ(save(in.c_str(), out.c_str(), 0, "", "Fresh", "", 0, 1, 0, 0), 0);
    EXPECT_NE(vt::test::read_file(out).find("DESCRIPTION=\"Fresh\";"), std::string::npos);
    EXPECT_EQ(resave(temp("missing.vt").c_str(), out.c_str(), 1), 1);

    // The text report through the same door: a page of the small table.
    using text_fn = int (*)(const char*, const char*, int, int, int, int, const char*, const char*, int, int,
                            const char*, int, int, int);
    auto text = reinterpret_cast<text_fn>(dlsym(lib, "TextConv"));
    ASSERT_NE(text, nullptr);
    const std::string report = temp("report.txt");
    EXPECT_EQ(text(in.c_str(), report.c_str(), 80, 60, 0, 0, ",", nullptr, 0, 0, nullptr, 0, 0, 0), 0);
    const std::string printed = vt::test::read_file(report);
    EXPECT_NE(printed.find("Old title"), std::string::npos) << printed;
    EXPECT_NE(printed.find("1,5"), std::string::npos) << printed;
    EXPECT_EQ(text(temp("missing.vt").c_str(), report.c_str(), 80, 60, 0, 0, ".", "", 0, 0, "", 0, 0, 0), 2);
    dlclose(lib);
}
