// The shared libraries as a host sees them: loaded by path, exports found
// by name, and nothing else visible.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <elf.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <sys/statvfs.h>

#include "../platform/library.h"
#include "../platform/temp_dir.h"
#include "export/dbase.h"
#include "export/gesmes.h"
#include "export/kml.h"
#include "export/nsd.h"
#include "export/tsd.h"

namespace {

// The names the library's version script makes global.
std::set<std::string> map_globals(const std::string& lib) {
    const auto map = std::filesystem::path(VT_TEST_DATA) / ".." / ".." / "libs" / (lib + ".map");
    const std::string text = vt::test::read_file(map.string());
    const auto from = text.find("global:");
    const auto to = text.find("local:");
    std::set<std::string> out;
    if (from == std::string::npos || to == std::string::npos) return out;
    std::string list = text.substr(from + 7, to - from - 7);
    for (char& c : list)
        if (c == ';') c = ' ';
    std::istringstream words(list);
    for (std::string w; words >> w;) out.insert(w);
    return out;
}

// The symbols an ELF shared object defines in its dynamic symbol table with
// global or weak binding and default visibility: what dlsym can find.
std::set<std::string> dynamic_exports(const std::string& path) {
    const std::string img = vt::test::read_file(path);
    std::set<std::string> out;
    if (img.size() < sizeof(Elf64_Ehdr)) return out;
    Elf64_Ehdr eh;
    std::memcpy(&eh, img.data(), sizeof eh);
    if (std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 || eh.e_ident[EI_CLASS] != ELFCLASS64) return out;
    auto section = [&](std::size_t i) {
        Elf64_Shdr sh;
        std::memcpy(&sh, img.data() + eh.e_shoff + i * eh.e_shentsize, sizeof sh);
        return sh;
    };
    for (std::size_t i = 0; i < eh.e_shnum; ++i) {
        const Elf64_Shdr sh = section(i);
        if (sh.sh_type != SHT_DYNSYM) continue;
        const Elf64_Shdr strtab = section(sh.sh_link);
        for (std::size_t off = 0; off + sizeof(Elf64_Sym) <= sh.sh_size; off += sizeof(Elf64_Sym)) {
            Elf64_Sym sym;
            std::memcpy(&sym, img.data() + sh.sh_offset + off, sizeof sym);
            const int bind = ELF64_ST_BIND(sym.st_info);
            if (sym.st_shndx == SHN_UNDEF || (bind != STB_GLOBAL && bind != STB_WEAK) ||
                ELF64_ST_VISIBILITY(sym.st_other) != STV_DEFAULT)
                continue;
            out.insert(img.data() + strtab.sh_offset + sym.st_name);
        }
    }
    return out;
}

using vt::test::library;

using int_fn = int (*)();
using space_fn = unsigned (*)(int);

void check_library(const char* path, const std::string& name) {
    library lib(path);
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    for (const char* f : {"VelInit", "VelGFree"}) {
        const auto fn = lib.fn<int_fn>(f);
        ASSERT_NE(fn, nullptr) << f;
        for (int i = 0; i < 3; ++i) EXPECT_EQ(fn(), 1) << f;
    }
    // Internal symbols stay inside, C++ or C.
    EXPECT_EQ(dlsym(lib.handle, "_ZN2vt4plat11ansi_to_oemEh"), nullptr);

    const std::set<std::string> globals = map_globals(name);
    ASSERT_FALSE(globals.empty());
    EXPECT_EQ(dynamic_exports(path), globals);
    for (const std::string& g : globals) EXPECT_NE(dlsym(lib.handle, g.c_str()), nullptr) << g;
}

}  // namespace

TEST(Libraries, VtconvExportsOnlyItsList) { check_library(VT_LIBVTCONV, "vtconv"); }

TEST(Libraries, VtopsExportsOnlyItsList) {
    check_library(VT_LIBVTOPS, "vtops");
    library lib(VT_LIBVTOPS);
    EXPECT_EQ(dlsym(lib.handle, "SpaceSpec"), nullptr);
}

TEST(Libraries, SpaceSpecGivesDriveSizesModulo32Bits) {
    library lib(VT_LIBVTCONV);
    const auto space = lib.fn<space_fn>("SpaceSpec");
    ASSERT_NE(space, nullptr);
    // Free space moves while other programs write; compare only while the
    // figures hold still around the call.
    for (int kind : {1, 0, 2, -1}) {
        bool compared = false;
        for (int attempt = 0; attempt < 50 && !compared; ++attempt) {
            struct statvfs before {}, after {};
            ASSERT_EQ(statvfs(".", &before), 0);
            const unsigned got = space(kind);
            ASSERT_EQ(statvfs(".", &after), 0);
            const auto count = [&](const struct statvfs& s) { return kind == 1 ? s.f_blocks : s.f_bavail; };
            if (count(before) != count(after)) continue;
            const std::uint64_t bytes = std::uint64_t{count(before)} * before.f_frsize;
            EXPECT_EQ(got, static_cast<unsigned>(bytes & 0xFFFFFFFFu)) << "kind " << kind;
            compared = true;
        }
        EXPECT_TRUE(compared) << "free space never held still";
    }
}

// The two row-per-stub dBase exports called as a host calls them: the file
// they write is the one the conversion writes in the process (the header's
// date bytes aside), and a missing input gives 400 and no file.
TEST(Libraries, DbaseRowExportsWriteTheirFiles) {
    using row_export = int (*)(const char*, const char*, int, const void*);
    using routine = int (*)(const std::string&, const std::string&);
    const struct {
        const char* name;
        routine direct;
    } cases[] = {{"dbakonv2", vt::dbakonv2}, {"dbakonv3", vt::dbakonv3}};
    library lib(VT_LIBVTCONV);
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    const std::string in = std::string(VT_TEST_DATA) + "/population.vt";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        vt::test::temp_dir dir;
        const auto fn = lib.fn<row_export>(c.name);
        ASSERT_NE(fn, nullptr);
        const std::string out = dir.file("lib.dbf");
        EXPECT_EQ(fn(in.c_str(), out.c_str(), 0, nullptr), 0);
        ASSERT_EQ(c.direct(in, dir.file("direct.dbf")), 0);
        const std::string written = vt::test::read_file(out);
        const std::string expected = vt::test::read_file(dir.file("direct.dbf"));
        ASSERT_GT(written.size(), 32u);  // a header and at least one record
        EXPECT_EQ(written.size(), expected.size());
        EXPECT_EQ(written.substr(4), expected.substr(4));

        EXPECT_EQ(fn(dir.file("none.vt").c_str(), dir.file("none.dbf").c_str(), 0, nullptr), 400);
        EXPECT_FALSE(std::filesystem::exists(dir.file("none.dbf")));
    }
}

// The series and map exports called as a host calls them write what the
// conversions write in the process (GESMES: but for the UNB segment, which
// holds the time of the run); a missing input gives 400.
TEST(Libraries, SeriesAndMapExportsWriteTheirFiles) {
    library lib(VT_LIBVTCONV);
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    vt::test::temp_dir dir;
    const std::string pop = dir.write("pop.vt", vt::test::read_file(std::string(VT_TEST_DATA) + "/population.vt"));
    const std::string quarterly =
        dir.write("q.vt", vt::test::read_file(std::string(VT_TEST_DATA) + "/quarterly.vt"));
    const std::string years = dir.write(
        "y.vt", "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"Y\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\nTITLE=\"T\";\n"
                "CONTENTS=\"C\";\nUNITS=\"u\";\nSTUB=\"year\";\nHEADING=\"sex\";\nVALUES(\"year\")=\"2001\",\"2002\";\n"
                "VALUES(\"sex\")=\"men\",\"women\";\nDATA=\n1 2 \n3 4;\n");
    const std::string regions = dir.write(
        "r.vt", "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"R\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\nTITLE=\"T\";\n"
                "CONTENTS=\"C\";\nUNITS=\"u\";\nSTUB=\"region\";\nHEADING=\"year\";\nVALUES(\"region\")=\"N\";\n"
                "VALUES(\"year\")=\"2001\";\nCODES(\"region\")=\"n\";\nMAP(\"region\")=\"reg\";\nDATA=\n7;\n");
    dir.write("reg.txt", "[n]\nLon1=1\nLat1=2\nlat1=2\n");
    const std::string d = dir.path().string();
    const char* sym = ".;..;...;....;.....;......;.......;-";

    using tsd_fn = int (*)(const char*, const char*, int, const char*, int);
    using nsd_fn = int (*)(const char*, const char*, const char*, const void*);
    using kml_fn = int (*)(const char*, const char*, const char*);
    using kml2_fn = int (*)(const char*, const char*, const char*, const char*);
    using ges_fn = int (*)(const char*, const char*, const char*, const char*, const char*, const char*, const char*,
                           const char*, const char*, const char*, const char*, const char*, const char*, int,
                           const char*, int, const char*, const char*, const char*, const char*);
    const auto tsd = lib.fn<tsd_fn>("arekonv");
    const auto nsd = lib.fn<nsd_fn>("nsdkonv");
    const auto kml = lib.fn<kml_fn>("kmlsave");
    const auto kml2 = lib.fn<kml2_fn>("kmlsave2");
    const auto kml3 = lib.fn<kml2_fn>("kmlsave3");
    const auto ges = lib.fn<ges_fn>("gesmes2003");
    ASSERT_TRUE(tsd && nsd && kml && kml2 && kml3 && ges);

    EXPECT_EQ(tsd(quarterly.c_str(), dir.file("lib.tsd").c_str(), 0, "", 0), 0);
    EXPECT_EQ(vt::arekonv(quarterly, dir.file("direct.tsd"), 0, "", 0), 0);
    EXPECT_EQ(nsd(years.c_str(), dir.file("lib.dat").c_str(), "x", nullptr), 0);
    EXPECT_EQ(vt::nsdkonv(years, dir.file("direct.dat"), "x"), 0);
    EXPECT_EQ(kml(regions.c_str(), dir.file("lib.kml").c_str(), d.c_str()), 0);
    EXPECT_EQ(vt::kmlsave(regions, dir.file("direct.kml"), d), 0);
    EXPECT_EQ(kml2(regions.c_str(), dir.file("lib.kml2").c_str(), d.c_str(), sym), 0);
    EXPECT_EQ(vt::kmlsave2(regions, dir.file("direct.kml2"), d, sym), 0);
    EXPECT_EQ(kml3(regions.c_str(), dir.file("lib.htm").c_str(), d.c_str(), sym), 0);
    EXPECT_EQ(vt::kmlsave3(regions, dir.file("direct.htm"), d, sym), 0);
    for (const char* ext : {".tsd", ".dat", ".VAR", ".DOK", ".kml", ".kml2", ".htm"}) {
        const std::string written = dir.read(std::string("lib") + ext);
        EXPECT_FALSE(written.empty()) << ext;
        EXPECT_EQ(written, dir.read(std::string("direct") + ext)) << ext;
    }

    vt::gesmes_settings s;
    s.sender = "S";
    s.receiver = "R";
    s.interchange_msg = "I";
    s.message_ref = "M";
    s.dsn = "D";
    s.datastruct = "X";
    s.conf = "F";
    s.obs_status = "A";
    s.include = "A";
    s.code_list_org = "O";
    s.arr_var = 1;
    s.list_a = "Q";
    s.list_b = "Z:";
    EXPECT_EQ(ges(pop.c_str(), dir.file("lib.ges").c_str(), "unit", "S", "R", "I", "M", "D", "X", "F", "A", "A", "O", 0,
                  nullptr, 1, "Q", "Z:", "missing", "missing"),
              0);
    EXPECT_EQ(vt::gesmes2003(pop, dir.file("direct.ges"), s), 0);
    auto without_unb = [](std::string text) {
        const std::size_t at = text.find("UNB+");
        return at == std::string::npos ? text : text.erase(at, text.find('\n', at) - at);
    };
    EXPECT_NE(dir.read("lib.ges").find("FNS+Attributes:10'"), std::string::npos);
    EXPECT_EQ(without_unb(dir.read("lib.ges")), without_unb(dir.read("direct.ges")));

    const std::string none = dir.file("none.vt");
    EXPECT_EQ(tsd(none.c_str(), dir.file("x.tsd").c_str(), 0, "", 0), 400);
    EXPECT_EQ(nsd(none.c_str(), dir.file("x.dat").c_str(), "x", nullptr), 400);
    EXPECT_EQ(nsd(nullptr, dir.file("x.dat").c_str(), "x", &s), 400);  // a host's table is not taken
    EXPECT_EQ(kml(none.c_str(), dir.file("x.kml").c_str(), d.c_str()), 400);
    EXPECT_EQ(ges(none.c_str(), dir.file("x.ges").c_str(), "", "S", "R", "I", "M", "D", "X", "F", "A", "D", "O", 0,
                  nullptr, 0, "", "", "", ""),
              400);
}
