// The page exports (HTML pages, ASP fragment, text report) and the XML
// cube's cell list format their cells in pieces on several threads: the
// bytes must be the same for any number of threads and any size of piece
// as when one thread writes the whole output as one piece. Generated tables
// cut into many pieces, with notes and their cell markers, symbols, zero
// rows for the row filter, small pages, column blocks, long rows cut into
// stretches, and vtbatch jobs under several thread counts.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "../platform/temp_dir.h"
#include "../platform/threads_env.h"
#include "export/asp.h"
#include "export/frame.h"
#include "export/html.h"
#include "export/text.h"
#include "export/xmlcube.h"

namespace {

// The tables: stub and heading variables of several shapes, all with data
// symbols; the names say what each one is for.
struct generated {
    const char* name;
    const char* args;
};

const generated tables[] = {
    {"notes", "--stub 5,7,6 --heading 4,3 --decimals 2 --symbols 6 --notes --precision --seed 3"},
    {"zeros", "--stub 30,20 --heading 3 --decimals 1 --symbols 2 --zeros 85 --seed 4"},
    {"wide", "--stub 2 --heading 700 --decimals 3 --symbols 4 --notes --seed 5"},
    {"heading", "--stub '' --heading 20,30 --decimals 2 --symbols 3 --seed 6"},
    {"one-row", "--stub 1 --heading 12 --symbols 20 --notes --seed 7"},
};

class PagesThreads : public ::testing::Test {
protected:
    std::string make(const generated& g) {
        const std::string path = dir_.file(std::string(g.name) + ".vt");
        const std::string cmd = std::string("'") + VT_VTGEN + "' " + g.args + " -o '" + path + "' 2>/dev/null";
        const int status = std::system(cmd.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << g.args;
        return path;
    }

    void TearDown() override { vt::cell_pieces::set_piece_cells(0); }

    // Runs `convert` (writing the output named) on one thread as one piece,
    // then with pieces of 61, 997 and the default number of cells on 1 to 8
    // threads, and expects return code 0 and the same bytes each time.
    void expect_same_bytes(const std::string& what, const std::function<int(const std::string&)>& convert) {
        std::string one;
        {
            vt::test::threads_env env(1);
            vt::cell_pieces::set_piece_cells(std::int64_t{1} << 40);
            ASSERT_EQ(convert(dir_.file("one.out")), 0) << what;
            one = dir_.read("one.out");
        }
        ASSERT_GT(one.size(), 100u) << what;
        const struct {
            std::int64_t cells;
            unsigned threads;
        } runs[] = {{61, 1}, {61, 3}, {997, 2}, {0, 2}, {0, 8}};
        for (const auto& run : runs) {
            vt::test::threads_env env(run.threads);
            vt::cell_pieces::set_piece_cells(run.cells);
            const std::string how = " pieces " + std::to_string(run.cells) + " threads " + std::to_string(run.threads);
            ASSERT_EQ(convert(dir_.file("many.out")), 0) << what << how;
            EXPECT_TRUE(dir_.read("many.out") == one) << what << how;
        }
    }

    // expect_same_bytes for every table and every variant of an export.
    template <class Variant, std::size_t N, class Convert>
    void check_all(const char* name, const Variant (&variants)[N], Convert convert) {
        for (const generated& g : tables) {
            const std::string in = make(g);
            for (std::size_t i = 0; i < N; ++i)
                expect_same_bytes(std::string(name) + " " + g.name + " variant " + std::to_string(i),
                                  [&](const std::string& out) { return convert(in, out, variants[i]); });
        }
    }

    vt::test::temp_dir dir_;
};

TEST_F(PagesThreads, HtmlPagesInBothLayoutsAndBothMarkerPlaces) {
    const int places[] = {0, 1};
    check_all("html1", places, [](const std::string& in, const std::string& out, int place) {
        return vt::htmkonv(in, out, "a;b;c;d;e;f;g;h", 1, place);
    });
    check_all("html2", places, [](const std::string& in, const std::string& out, int place) {
        return vt::htmkonv2(in, out, "", 0, place);
    });
}

TEST_F(PagesThreads, AspFragmentByStubTypeRowFilterAndNotesLevel) {
    struct variant {
        int stubtype, nozero, completeinfo, noteplace, thousand;
        const char* decimalpoint;
    };
    const variant variants[] = {
        {1, 0, 9, 1, 3, ","}, {2, 0, 2, 0, 0, "."}, {1, 1, 3, 0, 1, "."}, {2, 3, 1, 1, 2, ","},
    };
    check_all("asp", variants, [](const std::string& in, const std::string& out, const variant& v) {
        return vt::AspConv(in, out, v.stubtype, "", v.decimalpoint, v.thousand, 0, v.completeinfo, v.nozero, "", "1",
                           "0", 0, v.noteplace);
    });
}

TEST_F(PagesThreads, TextReportPagesBlocksAndSinglePage) {
    struct variant {
        int rowlength, pagelength, margin, oem, thousand, noteplace, completeinfo;
    };
    const variant variants[] = {
        {80, 60, 2, 0, 0, 0, 2},      // pages of a few rows, several column blocks
        {132, 20, 0, 1, 3, 1, 1},     // short pages, OEM text, grouped thousands
        {5000, 3000, 4, 0, 1, 0, 3},  // wide lines and long pages: pages cut into runs of rows
        {10, 10, 10, 0, 0, 0, 0},     // one unpaginated page
    };
    check_all("text", variants, [](const std::string& in, const std::string& out, const variant& v) {
        return vt::TextConv(in, out, v.rowlength, v.pagelength, v.margin, v.oem, ",", "", 1, v.completeinfo, "", 0,
                            v.noteplace, v.thousand);
    });
}

// The cube's cell list (cells in memory) goes through the same pieces.
TEST_F(PagesThreads, XmlCubeCellList) {
    const int modes[] = {1};
    check_all("xmlsave", modes,
              [](const std::string& in, const std::string& out, int mode) { return vt::xmlsave(in, out, mode); });
}

// The batch jobs take the thread count from the environment of vtbatch.
TEST_F(PagesThreads, BatchJobsWriteTheSameBytesForAnyThreadCount) {
    make(tables[0]);
    const std::vector<std::string> functions = {"html1", "html2", "asp", "text"};
    for (const std::string& f : functions) {
        std::string one;
        for (const char* n : {"1", "3"}) {
            dir_.write("q.ini", "[Files]\nInfile=notes.vt\nOutfile=out.txt\nErrorfile=err.txt\n[Query]\nFunction=" +
                                    f + "\n[Data]\npagelength=30\nrowlength=90\nnozero=1\n");
            const std::string cmd = "cd '" + dir_.path().string() + "' && VELTRA_THREADS=" + n + " '" + VT_VTBATCH +
                                    "' q.ini >/dev/null 2>&1";
            const int status = std::system(cmd.c_str());
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << f;
            EXPECT_EQ(dir_.read("err.txt"), f + " ended OK ");
            if (one.empty())
                one = dir_.read("out.txt");
            else
                EXPECT_TRUE(dir_.read("out.txt") == one) << f;
        }
        EXPECT_GT(one.size(), 1000u) << f;
    }
}

}  // namespace
