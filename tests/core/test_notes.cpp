// Tests of note texts: line cutting, markup, the data-note index files and
// the contents-information and cell-note blocks.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "../platform/temp_dir.h"
#include "core/notes.h"
#include "platform/ini.h"
#include "reader_fixture.h"

namespace {

using vt::text_list;

// The bytes a block writer produces.
template <class Write>
std::string written(Write write) {
    std::string out;
    {
        vt::out_file f;
        f.open_memory(out);
        write(f);
        f.close();
    }
    return out;
}

TEST(WrapText, LongWordIsHyphenatedIntoThreePieces) {
    const std::string text = std::string(59, 'a') + std::string(59, 'b') + std::string(12, 'c');
    const text_list out = vt::wrap_text({text.substr(0, 50), text.substr(50)}, 60);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0], std::string(59, 'a') + "-");
    EXPECT_EQ(out[1], std::string(59, 'b') + "-");
    EXPECT_EQ(out[2], std::string(12, 'c'));
}

TEST(WrapText, CutsAfterLastBlankOrFirstHash) {
    EXPECT_EQ(vt::wrap_text({"one two three"}, 9), (text_list{"one two ", "three"}));
    EXPECT_EQ(vt::wrap_text({"ab#cd ef gh"}, 9), (text_list{"ab#", "cd ef gh"}));
    // A "#" in the last piece still ends a line.
    EXPECT_EQ(vt::wrap_text({"ab#cd"}, 60), (text_list{"ab#", "cd"}));
    EXPECT_EQ(vt::wrap_text({"ab#"}, 60), (text_list{"ab#"}));
}

TEST(WrapText, FullStopOrCommaAtTheEdgeNeedsNoHyphen) {
    EXPECT_EQ(vt::wrap_text({"abcd.efgh"}, 5), (text_list{"abcd.", "efgh"}));
    EXPECT_EQ(vt::wrap_text({"abcde,fgh"}, 5), (text_list{"abcde", ",fgh"}));
    EXPECT_EQ(vt::wrap_text({"abcde  fg"}, 5), (text_list{"abcde", " fg"}));
}

TEST(WrapText, EmptyInputAndNonsenseWidths) {
    EXPECT_TRUE(vt::wrap_text({}, 60).empty());
    EXPECT_TRUE(vt::wrap_text({"", ""}, 60).empty());
    for (int w : {-5, 0, 1}) {
        const text_list out = vt::wrap_text({"abcd"}, w);
        EXPECT_EQ(out, (text_list{"a-", "b-", "cd"})) << w;
    }
}

TEST(Markup, ParagraphBetweenTwoWordsGivesThreePieces) {
    EXPECT_EQ(vt::strip_markup({"first<P>second"}, 60), (text_list{"first#", "#", "second"}));
    EXPECT_EQ(vt::strip_markup({"first<p>second"}, 60), (text_list{"first#", "#", "second"}));
}

TEST(Markup, AnchorShowsItsAddressBeforeTheLinkText) {
    EXPECT_EQ(vt::strip_markup({"See <a href='http://www.x.se/a'>the site</a> now"}, 60),
              (text_list{"See (http://www.x.se/a) the site now"}));
    // Only the first attribute's value, whichever quotes it has.
    EXPECT_EQ(vt::strip_markup({"<A HREF=\"u\" target='_b'>t</A>"}, 60), (text_list{"(u) t"}));
    EXPECT_EQ(vt::strip_markup({"<a href=u target=x>t</a>"}, 60), (text_list{"(u) t"}));
}

TEST(Markup, EmphasisGoesAndLineBreaksStay) {
    EXPECT_EQ(vt::strip_markup({"<B>bold</B> and <i>it</i>"}, 60), (text_list{"bold and it"}));
    EXPECT_EQ(vt::strip_markup({"one<br>two<BR>three"}, 60), (text_list{"one#", "two#", "three"}));
    // Tags may be split over the strings of the list.
    EXPECT_EQ(vt::strip_markup({"x<", "b>y</", "b>"}, 60), (text_list{"xy"}));
}

TEST(Markup, UnknownOrOpenTagEndsTheConversion) {
    EXPECT_EQ(vt::strip_markup({"1 < 2 <b>x</b>"}, 60), (text_list{"1 < 2 <b>x</b>"}));
    EXPECT_EQ(vt::strip_markup({"<b>x</b> 1 <2 <i>y"}, 60), (text_list{"x 1 <2 <i>y"}));
    EXPECT_EQ(vt::strip_markup({"a</b"}, 60), (text_list{"a</b"}));
    EXPECT_EQ(vt::strip_markup({"a<a href='x'"}, 60), (text_list{"a<a href='x'"}));
}

TEST(Markup, ConvertedTextIsCutAtTheWidth) {
    EXPECT_EQ(vt::strip_markup({"<b>one</b> two three"}, 10), (text_list{"one two ", "three"}));
}

// A table with a note of every kind; without a contents variable.
vt::table notes_table() {
    vt::table t = vt::table_new();
    t.notex = {"<b>one</b> two three"};
    t.note = {"aaaa ", "bbbb cccc dddd eeee"};
    t.source = {"abc de", "fgh"};
    t.database = {"ab cdefgh"};
    vt::variable v;
    v.name = "v";
    v.notex = {"eeee ffff gggg hhhh"};
    v.values.push_back(vt::value{});
    v.values[0].valuenote = {"iiii jjjj kkkk llll"};
    t.vars.push_back(v);
    t.continfos.resize(2);
    t.continfos[0].contact = {"mmmm nnnn oooo pppp"};
    t.continfos[0].baseperiod = {"abc defgh"};
    t.continfos[1].contact = {"qqqq rrrr ssss tttt"};
    t.continfos[1].refperiod = {"uuuu vvvv wwww xxxx"};
    return t;
}

TEST(WrapNotes, CutsEveryNoteListAndNarrowsTheCaptionedOnes) {
    vt::table t = notes_table();
    vt::wrap_notes(t, 15, true);
    EXPECT_EQ(t.notex, (text_list{"one two three"}));
    EXPECT_EQ(t.note, (text_list{"aaaa bbbb cccc ", "dddd eeee"}));
    EXPECT_EQ(t.vars[0].notex, (text_list{"eeee ffff gggg ", "hhhh"}));
    EXPECT_EQ(t.vars[0].values[0].valuenote, (text_list{"iiii jjjj kkkk ", "llll"}));
    EXPECT_EQ(t.continfos[0].contact, (text_list{"mmmm nnnn oooo ", "pppp"}));
    EXPECT_EQ(t.source, (text_list{"abc ", "defgh"}));
    EXPECT_EQ(t.database, (text_list{"ab ", "cdef-", "gh"}));
    EXPECT_EQ(t.continfos[0].baseperiod, (text_list{"abc ", "defgh"}));
    // Without a contents variable only the first record is cut.
    EXPECT_EQ(t.continfos[1].contact, (text_list{"qqqq rrrr ssss tttt"}));
    EXPECT_TRUE(t.continfos[1].baseperiod.empty());

    vt::table plain = notes_table();
    vt::wrap_notes(plain, 15, false);
    EXPECT_EQ(plain.notex, (text_list{"<b>one</b> two ", "three"}));

    vt::table per_content = vt::table_new();
    per_content.contvariable = "c";
    per_content.continfos.resize(2);
    per_content.continfos[1].refperiod = {"uuuu vvvv wwww xxxx"};
    vt::wrap_notes(per_content, 15, true);
    EXPECT_EQ(per_content.continfos[1].refperiod, (text_list{"uuuu vvvv wwww ", "xxxx"}));
}

TEST(WrapNotes, NonsenseWidthsStillEnd) {
    for (int w : {-100, 0, 1, 11}) {
        vt::table c = vt::table_new();
        c.notex = {"a long note text"};
        c.source = {"source"};
        vt::wrap_notes(c, w, true);
        ASSERT_FALSE(c.notex.empty());
        for (const std::string& piece : c.notex) EXPECT_LE(piece.size(), static_cast<std::size_t>(w < 2 ? 2 : w));
        for (const std::string& piece : c.source) EXPECT_LE(piece.size(), 2u);
    }
}

TEST(NotesFiles, NamesFollowTheOutputPath) {
    EXPECT_EQ(vt::notes_file_name("dir/tab.txt"), "dir/tabnotes.txt");
    EXPECT_EQ(vt::symbol_file_name(vt::notes_file_name("dir/tab.txt")), "dir/tabnotes.txttext.txt");
    EXPECT_EQ(vt::notes_file_name("tab.htm"), "tabnotes.txt");
    EXPECT_EQ(vt::notes_file_name("a.b.c"), "a.bnotes.txt");
    // A dot in a folder name is no extension of the file.
    EXPECT_EQ(vt::notes_file_name("out.d/tab"), "out.d/tabnotes.txt");
    EXPECT_EQ(vt::notes_file_name("C:\\out.d\\tab"), "C:\\out.d\\tabnotes.txt");
    EXPECT_EQ(vt::notes_file_name("tab"), "tabnotes.txt");
}

// Tables with DATANOTECELL entries read from table file text: stub "a"
// (x, y) and heading "b" (p, q, r), so cell = 3 * a + b.
class NotesIndex : public vt_test::ReaderTest {
protected:
    vt::table read(const std::string& entries) {
        auto r = vt_test::read_text(vt_test::vt_file("HEADING=\"b\";\nVALUES(\"b\")=\"p\",\"q\",\"r\";\n" + entries));
        EXPECT_EQ(r.rc, 0);
        return std::move(r.t);
    }
    vt::test::temp_dir dir;
    std::string notes = dir.file("outnotes.txt");
    std::string symbols = dir.file("outnotes.txttext.txt");
};

TEST_F(NotesIndex, CellsGetThePositionOfTheirSymbolAndTheLastEntryWins) {
    const vt::table t = read(
        "DATANOTECELL(\"x\",\"*\")=\"A\";\n"
        "DATANOTECELL(\"*\",\"q\")=\"B\";\n"
        "DATANOTECELL(\"y\",\"r\")=\"A\";\n");
    EXPECT_EQ(vt::write_datanote_index(t, notes), 3);
    EXPECT_EQ(vt::datanote_symbols(), (text_list{"A", "B"}));
    EXPECT_EQ(dir.read("outnotes.txt"),
              "[cell0]\r\nnote=1\r\n[cell1]\r\nnote=2\r\n[cell2]\r\nnote=1\r\n"
              "[cell4]\r\nnote=2\r\n[cell5]\r\nnote=1\r\n");
    EXPECT_EQ(dir.read("outnotes.txttext.txt"), "[text]\r\nA=1\r\nB=1\r\n");
}

TEST_F(NotesIndex, OneSymbolWritesOneForEveryCoveredCell) {
    const vt::table t = read("DATANOTECELL(\"*\",\"q\")=\"*\";\nDATANOTECELL(\"y\",\"*\")=\"*\";\n");
    EXPECT_EQ(vt::write_datanote_index(t, notes), 2);
    EXPECT_EQ(vt::datanote_symbols(), (text_list{"*"}));
    for (int cell : {1, 3, 4, 5})
        EXPECT_EQ(vt::plat::ini_get_string(notes, "cell" + std::to_string(cell), "note", "", 10), "1") << cell;
    for (int cell : {0, 2})
        EXPECT_EQ(vt::plat::ini_get_string(notes, "cell" + std::to_string(cell), "note", "none", 10), "none");
}

TEST_F(NotesIndex, OldFilesGoAndTheSymbolListIsReplaced) {
    dir.write("outnotes.txt", "[cell9]\r\nnote=7\r\n");
    dir.write("outnotes.txttext.txt", "[text]\r\nold=1\r\n");
    vt::datanote_symbols() = {"stale"};
    EXPECT_EQ(vt::write_datanote_index(read(""), notes), 0);
    EXPECT_TRUE(vt::datanote_symbols().empty());
    EXPECT_FALSE(std::filesystem::exists(notes));
    EXPECT_FALSE(std::filesystem::exists(symbols));
}

TEST_F(NotesIndex, EntryWithoutSymbolOrWithBrokenMarksCoversNothing) {
    vt::table t = read("DATANOTECELL(\"x\",\"p\")=\"\";\nDATANOTECELL(\"y\",\"q\")=\"S\";\n");
    ASSERT_EQ(t.datanotecells.size(), 4u);
    EXPECT_EQ(vt::write_datanote_index(t, notes), 1);
    EXPECT_EQ(vt::datanote_symbols(), (text_list{"S"}));
    EXPECT_EQ(dir.read("outnotes.txt"), "[cell4]\r\nnote=1\r\n");

    // Marks beyond the values and positions beyond the chain are ignored.
    t.datanotecells[2].marks.assign(9, 1);
    t.datanotecells[2].position = 0;
    t.datanotecells[3].position = 7;
    EXPECT_EQ(vt::write_datanote_index(t, notes), 1);
    EXPECT_FALSE(std::filesystem::exists(notes));
}

// A table with every contents item, read by the block without a
// contents variable.
vt::table full_table() {
    vt::table t = vt::table_new();
    t.matrix = "M1";
    t.units = "persons";
    t.source = {"Statistics office#"};
    t.database = {"DB1"};
    t.copyright = 1;
    vt::continfo& c = t.continfos[0];
    c.last_updated = "20240131 09:00";
    c.contact = {"A B, +46"};
    c.stockfa = 'S';
    c.refperiod = {"31 Dec", "2023"};
    c.baseperiod = {"2000"};
    c.cfprices = 'F';
    c.dayadj = 1;
    c.seasadj = 0;
    return t;
}

TEST(NotesContents, DefaultCaptionsWithoutLabelFile) {
    const std::string out = written([](vt::out_file& f) { vt::write_contents_info(f, full_table(), 60, 2, ""); });
    EXPECT_EQ(out,
              "  Lastupdated\t2024-01-31 09:00\r\n\r\n"
              "  Source\t  Statistics office\r\n\t\r\n"
              "  Contact\t  A B, +46\r\n\t\r\n"
              "  Copyright\t\r\n"
              "  Unit\tpersons\r\n\r\n"
              "  Datatyp\tStock\r\n\r\n"
              "  Refperiod\t31 Dec\r\n\t  2023\r\n\t  \r\n"
              "  Baseperiod\t2000\r\n  \t\r\n"
              "  Fprices\r\n\r\n"
              "  Dayadj\r\n\r\n"
              "  Database\t  DB1\r\n\t\r\n"
              "  Refkod\tM1\r\n");
}

TEST(NotesContents, DatesAndMissingItems) {
    vt::table t = vt::table_new();
    EXPECT_EQ(written([&](vt::out_file& f) { vt::write_contents_info(f, t, 60, 1, ""); }), "\r\n Refkod\t\r\n");
    t.continfos[0].last_updated = "2024";
    EXPECT_EQ(written([&](vt::out_file& f) { vt::write_contents_info(f, t, 60, 1, ""); }),
              " Lastupdated\t 2024\r\n\r\n\r\n Refkod\t\r\n");
    t.continfos[0].last_updated = "20240131";
    t.continfos[0].units = "kr";
    t.units = "ignored";
    EXPECT_EQ(written([&](vt::out_file& f) { vt::write_contents_info(f, t, 60, 0, ""); }),
              "Lastupdated\t2024-01-31\r\n\r\nUnit\tkr\r\n\r\n\r\nRefkod\t\r\n");
}

TEST(NotesContents, IndentIsClampedToThirtyBlanks) {
    const vt::table t = vt::table_new();
    EXPECT_EQ(written([&](vt::out_file& f) { vt::write_contents_info(f, t, 60, 50, ""); }),
              "\r\n" + std::string(30, ' ') + "Refkod\t\r\n");
    EXPECT_EQ(written([&](vt::out_file& f) { vt::write_contents_info(f, t, 60, -4, ""); }), "\r\nRefkod\t\r\n");
}

TEST(NotesContents, PerContentValue) {
    vt::table t = vt::table_new();
    t.contvariable = "CONT";
    t.units = "table unit";
    t.continfos.resize(2);
    vt::continfo& a = t.continfos[0];
    vt::continfo& b = t.continfos[1];
    a.content = "a";
    b.content = "b";
    a.last_updated = "20240101";
    b.last_updated = "2023";
    a.units = "kr";
    b.stockfa = 'A';  // only a later record has one
    b.dayadj = 1;
    a.contact = {"c1"};
    b.refperiod = {"r1", "r2"};
    a.baseperiod = {"b1", "b2"};
    a.cfprices = 'C';
    EXPECT_EQ(written([&](vt::out_file& f) { vt::write_contents_info(f, t, 60, 1, ""); }),
              " Lastupdated\r\n a\t2024-01-01\r\n b\t 2023\r\n\r\n"
              " Contact\t\r\n a\t c1\r\n\t\r\n"
              " Unit\t\r\n a\tkr\r\n\r\n"
              " Datatyp\t\r\n b:\tAverage\r\n\r\n"
              " Refperiod\r\n b:\tr1\r\n \tr2\r\n \r\n"
              " Baseperiod\t\r\n a:\t b1\r\n\t b2\r\n\r\n"
              " a:\tCprices\r\n\r\n"
              " b:\tDayadj\r\n\r\n"
              "\r\n"
              " Refkod\t\r\n");

    // No record gives units: the table's unit is still shown.
    a.units.reset();
    const std::string out = written([&](vt::out_file& f) { vt::write_contents_info(f, t, 60, 0, ""); });
    EXPECT_NE(out.find("Unit\ttable unit\r\n\r\n"), std::string::npos);
}

TEST(NotesContents, LabelFileOverridesCaptions) {
    vt::test::temp_dir dir;
    const std::string labels = dir.write("labels.ini",
                                         "[Notes]\r\nSource=K\xe4lla\r\nStockS=" + std::string(70, 's') +
                                             "\r\nRefkod=Tabell\r\n[Labels]\r\nUnit=Enhet\r\n");
    const std::string out = written([&](vt::out_file& f) { vt::write_contents_info(f, full_table(), 60, 0, labels); });
    EXPECT_NE(out.find("K\xe4lla\tStatistics office\r\n"), std::string::npos);
    EXPECT_NE(out.find("Datatyp\t" + std::string(59, 's') + "\r\n"), std::string::npos);
    EXPECT_NE(out.find("Enhet\tpersons\r\n"), std::string::npos);
    EXPECT_NE(out.find("Lastupdated\t"), std::string::npos);  // keys not in the file keep their default
    EXPECT_EQ(out.substr(out.size() - 11), "Tabell\tM1\r\n");
}

vt::value value_of(const std::string& text) {
    vt::value v;
    v.text = text;
    return v;
}

// Region (North, South) and an unnamed variable (men, women).
vt::table cell_note_table() {
    vt::table t = vt::table_new();
    vt::variable region;
    region.name = "region";
    region.values = {value_of("North"), value_of("South")};
    vt::variable sort;
    sort.values = {value_of("men"), value_of("women")};
    region.cellnotex_refs = {1, 0};
    sort.cellnotex_refs = {vt::any_value, 1};
    region.cellnote_refs = {vt::any_value};
    sort.cellnote_refs = {0};
    t.vars = {region, sort};
    t.heading = 1;
    t.cellnotex_texts = {"Note one", "A<P>B"};
    t.cellnote_texts = {"Optional"};
    return t;
}

TEST(NotesCells, EachEntryNamesItsValuesThenItsText) {
    const vt::table t = cell_note_table();
    EXPECT_EQ(written([&](vt::out_file& f) { vt::write_cell_notes(t, f, 60, 2, "", vt::cellnotex_list); }),
              "\r\n  region: \t\r\n  South: \t"
              "  Note one\r\n\t\r\n"
              "\r\n  region: \t\r\n  North: \t\r\n  $$SORT: \t\r\n  women: \t"
              "  A#\r\n\t  #\r\n\t  B\r\n\t\r\n");
    EXPECT_EQ(written([&](vt::out_file& f) { vt::write_cell_notes(t, f, 60, 0, "", vt::cellnote_list); }),
              "\r\n$$SORT: \t\r\nmen: \tOptional\r\n\t\r\n");
    EXPECT_EQ(written([&](vt::out_file& f) { vt::write_cell_notes(t, f, 60, 0, "", 7); }), "");
}

TEST(NotesCells, UnnamedVariableIsNamedByTheLabelFile) {
    vt::test::temp_dir dir;
    const std::string labels = dir.write("labels.ini", "[Global]\r\n$$SORT=Sex\r\n");
    vt::table t = cell_note_table();
    t.vars[0].cellnote_refs = {5};  // no such value: passed over
    EXPECT_EQ(written([&](vt::out_file& f) { vt::write_cell_notes(t, f, 4, 0, labels, vt::cellnote_list); }),
              "\r\nSex: \t\r\nmen: \tOpt-\r\n\tion-\r\n\tal\r\n\t\r\n");
}

TEST(NotesSymbols, LegendFromTableLabelFileOrDefaults) {
    vt::table t = vt::table_new();
    EXPECT_EQ(vt::symbol_legend(t, ""), ".;..;...;....;.....;......;.......;-;");
    vt::test::temp_dir dir;
    const std::string labels =
        dir.write("labels.ini", "[Global]\r\nDatasymbol1=one\r\nDatasymbol2=two\r\nDatasymbolsum=" +
                                    std::string(25, 'z') + "\r\n");
    t.datasymbol[1] = "X";
    t.datasymbolnil = "0";
    EXPECT_EQ(vt::symbol_legend(t, labels), "one;X;...;....;.....;......;" + std::string(19, 'z') + ";0;");
}

}  // namespace
