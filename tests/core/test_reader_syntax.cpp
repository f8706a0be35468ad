// The reading primitives of the table file reader: keyword recognition
// (plain and for a selected language), quoted strings, string lists and
// variable references.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reader_fixture.h"

using namespace vt_test;

namespace {

class Primitives : public ReaderTest {
protected:
    int keyword(const std::string& text, bool lang = false) {
        bytes_ = text;
        f_.open_memory(bytes_);
        return lang ? vt::read_keyword_lang(f_) : vt::read_keyword(f_);
    }
    void open(const std::string& text) {
        bytes_ = text;
        f_.open_memory(bytes_);
    }
    std::string bytes_;
    vt::in_file f_;
};

struct kw_case {
    const char* text;
    int code;
};

}  // namespace

TEST_F(Primitives, KeywordRecognition) {
    const kw_case cases[] = {
        {"MATRIX=", vt::kw_matrix},
        {"matrix=", vt::kw_matrix},                // keywords ignore case
        {"  Sub ject-Area =", vt::kw_subject_area},  // blanks inside are skipped
        // A mismatching character is not tried again as the start of a
        // pattern, so a doubled first letter hides the keyword.
        {"MMATRIX=", vt::kw_eof},
        {"DDATA=", vt::kw_eof},
        {"DECIMALS=", vt::kw_decimals},
        {"SHOWDECIMALS=", vt::kw_showdecimals},    // not DECIMALS= inside it
        {"NOTE=", vt::kw_note},
        {"NOTE(", vt::kw_note_var},
        {"NOTEX=", vt::kw_notex},
        {"NOTEX(", vt::kw_notex_var},
        {"VALUENOTE(", vt::kw_valuenote},          // not NOTE( inside it
        {"CELLNOTE(", vt::kw_cellnote},
        {"VALUENOTEX(", vt::kw_valuenotex},        // not NOTEX( inside it
        {"CELLNOTEX(", vt::kw_cellnotex},
        {"FOOTNOTE=", vt::kw_note},                // a known keyword at the tail of an unknown one
        {"VALUES(", vt::kw_values},
        {"TIMEVAL(", vt::kw_timeval},
        {"CODES(", vt::kw_codes},
        {"TEXTS(", vt::kw_codes},
        {"UNITS=", vt::kw_units},
        {"UNITS(", vt::kw_units_c},
        {"LAST-UPDATED=", vt::kw_last_updated},
        {"LAST-UPDATED(", vt::kw_last_updated_c},
        {"KEYS=", vt::kw_keys_no},
        {"KEYS(", vt::kw_keys},
        {"DESCRIPTION=", vt::kw_description},
        {"DESCRIPTIONDEFAULT=", vt::kw_descriptiondefault},
        {"DATASYMBOL1=", vt::kw_datasymbol1},
        {"DATASYMBOL6=", vt::kw_datasymbol1 + 5},
        {"DATASYMBOLSUM=", vt::kw_datasymbolsum},
        {"DATANOTECELL(", vt::kw_datanotecell},
        {"HIERARCHYLEVELS(", vt::kw_hierarchylevels},
        {"HIERARCHYLEVELSOPEN(", vt::kw_hierarchylevelsopen},
        {"ROUNDING=", vt::kw_rounding},
        {"DATA=", vt::kw_data},
        {"\"MATRIX=", vt::kw_none},  // a double quote, a tab or a semicolon interrupts the scan
        {"MAT\tRIX=", vt::kw_none},
        {";MATRIX=", vt::kw_none},
        {"", vt::kw_eof},
        {"NOTHING HERE", vt::kw_eof},
    };
    for (const auto& c : cases) EXPECT_EQ(keyword(c.text), c.code) << c.text;
}

TEST_F(Primitives, KeywordLeavesFileAfterPatternAndScanResumes) {
    open("TITLE=\"x\";SOURCE=");
    EXPECT_EQ(vt::read_keyword(f_), vt::kw_title);
    EXPECT_EQ(f_.get(), '"');
    // The quote and the semicolon each end a scan; the next keyword is found after them.
    int code = vt::kw_none;
    int calls = 0;
    while ((code = vt::read_keyword(f_)) == vt::kw_none && ++calls < 10) {
    }
    EXPECT_EQ(code, vt::kw_source);
}

TEST_F(Primitives, LanguageKeywordRecognition) {
    vt::reader_state().selected_language = "sv";
    const kw_case cases[] = {
        {"TITLE[sv]=", vt::kw_title},
        {"TITLE=", vt::kw_eof},      // default-language text is not read
        {"TITLE[de]=", vt::kw_eof},  // nor another language
        {"TITLE[SV]=", vt::kw_eof},  // the code matches exactly
        {"STUB[sv]=", vt::kw_stub},
        {"VALUES[sv](", vt::kw_values},
        {"TEXTS[sv](", vt::kw_codes},
        {"CODES[sv](", vt::kw_codes},
        {"NOTE[sv]=", vt::kw_note},
        {"NOTE[sv](", vt::kw_note_var},
        {"NOTE[sv]x", vt::kw_eof},
        {"NOTEX[sv]=", vt::kw_notex},
        {"VALUENOTE[sv](", vt::kw_valuenote},
        {"CONTACT[sv]=", vt::kw_contact},
        {"CONTACT[sv](", vt::kw_contact_c},
        {"UNITS[sv]=", vt::kw_units},
        {"UNITS[sv](", vt::kw_units_c},
        {"LAST-UPDATED[sv](", vt::kw_last_updated_c},
        {"LAST-UPDATED=", vt::kw_last_updated},  // the table-level form has no language
        {"STOCKFA=", vt::kw_stockfa},
        {"MATRIX=", vt::kw_matrix},
        {"DECIMALS=", vt::kw_decimals},
        {"KEYS=", vt::kw_keys_no},
        {"DATA=", vt::kw_data},
    };
    for (const auto& c : cases) EXPECT_EQ(keyword(c.text, true), c.code) << c.text;
}

TEST_F(Primitives, ReadQuoted) {
    struct qcase {
        std::string in;
        std::size_t max;
        int rc;
        std::string out;  // checked when rc < 4
    };
    const qcase cases[] = {
        {"\"abc\";", 10, vt::q_last, "abc"},
        {"\"abc\",", 10, vt::q_comma, "abc"},
        {"\"abc\"\n", 10, vt::q_newline, "abc"},
        {"\"abc\"\r\n", 10, vt::q_newline, "abc"},
        {"\"abc\")", 10, vt::q_paren, "abc)"},
        {" \t\n \"abc\"   ;", 10, vt::q_last, "abc"},
        {"\"\";", 10, vt::q_last, ""},
        {"\"a\tb\";", 10, vt::q_last, "a b"},      // a tab is stored as a space
        {"\"ab\ncd\";", 10, vt::q_last, "abcd"},   // a line break inside is dropped
        {"\"ab\r\ncd\";", 10, vt::q_last, "abcd"},
        {"\"abcd\";", 5, vt::q_last, "abcd"},      // max - 1 characters fit
        {"\"abcde\";", 5, vt::q_bad, ""},          // one more does not
        {"\"abc\"\t;", 10, vt::q_bad, ""},         // only spaces are skipped after the quote
        {"\"abc\"x", 10, vt::q_bad, ""},
        {"\"abc\"", 10, vt::q_bad, ""},            // the file ends after the string
        {"\"abc", 10, vt::q_bad, ""},              // the file ends inside the string
        {"abc;", 10, vt::q_bad, ""},
        {"", 10, vt::q_bad, ""},
    };
    for (const auto& c : cases) {
        open(c.in);
        std::string out;
        EXPECT_EQ(vt::read_quoted(f_, out, c.max), c.rc) << c.in;
        if (c.rc < vt::q_none) {
            EXPECT_EQ(out, c.out) << c.in;
        }
    }
    for (const char* in : {" ,", "\n;"}) {
        open(in);
        std::string out;
        int none = 0;
        EXPECT_EQ(vt::read_quoted(f_, out, 10, &none), vt::q_none) << in;
        EXPECT_EQ(none, in[1]);
    }
}

TEST_F(Primitives, QuotedStringsAreConvertedFromOem) {
    // 0x84 and 0x94 are a-umlaut and o-umlaut in code page 850.
    vt::reader_state().oem_input = true;
    open("\"\x84\x94\";");
    std::string out;
    ASSERT_EQ(vt::read_quoted(f_, out, 10), vt::q_last);
    EXPECT_EQ(out, "\xE4\xF6");
    vt::reader_state().oem_input = false;
    open("\"\x84\x94\";");
    ASSERT_EQ(vt::read_quoted(f_, out, 10), vt::q_last);
    EXPECT_EQ(out, "\x84\x94");
}

TEST_F(Primitives, ReadSingleString) {
    vt::opt_string out;
    open("\"abc\";");
    EXPECT_EQ(vt::read_single_string(f_, 3, out), vt::q_last);
    EXPECT_EQ(out, "abc");
    open("\"abcd\";");
    EXPECT_EQ(vt::read_single_string(f_, 3, out), vt::q_bad);
    open("\"ab\",");
    EXPECT_EQ(vt::read_single_string(f_, 3, out), vt::q_comma);
    EXPECT_EQ(out, "ab");  // kept also when the terminator is wrong
    open(";");
    EXPECT_EQ(vt::read_single_string(f_, 3, out), vt::q_none);
}

TEST_F(Primitives, ReadTextList) {
    struct lcase {
        std::string in;
        int rc;
        std::vector<std::string> out;
    };
    const lcase cases[] = {
        {"\"a\",\"b\";", 0, {"a", "b"}},
        {"\"a\"\n\"b\";", 0, {"a", "b"}},  // a line break continues the list
        {"\"a\"  \n  \"b\",\"c\";", 0, {"a", "b", "c"}},
        {"\"a\"\n;", 0, {"a"}},            // ";" on the next line still ends it
        {"\"a\"\n,\"b\";", 100, {}},
        {";", 100, {}},
        {",\"a\";", 100, {}},
        {"\"a\",\"b\"", 100, {}},
        {"\"a\"x;", 100, {}},
        {"\"" + rep('x', 256) + "\";", 0, {rep('x', 256)}},
        {"\"" + rep('x', 257) + "\";", 100, {}},
    };
    for (const auto& c : cases) {
        open(c.in);
        vt::text_list out;
        EXPECT_EQ(vt::read_text_list(f_, out), c.rc) << c.in;
        if (c.rc == 0) {
            EXPECT_EQ(out, c.out) << c.in;
        }
    }
}

TEST_F(Primitives, ReadValueAndNameLists) {
    open("\"x\",\"yyy\"\n\"zz\";");
    int count = 0, maxlen = 0;
    std::vector<vt::value> values;
    ASSERT_EQ(vt::read_value_list(f_, count, maxlen, values), 0);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(maxlen, 3);
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[2].text, "zz");

    // Value texts hold at most 255 characters.
    open("\"" + rep('v', 255) + "\";");
    values.clear();
    EXPECT_EQ(vt::read_value_list(f_, count, maxlen, values), 0);
    EXPECT_EQ(maxlen, 255);
    open("\"" + rep('v', 256) + "\";");
    values.clear();
    EXPECT_EQ(vt::read_value_list(f_, count, maxlen, values), 100);

    open("\"p\",\"q\";");
    std::vector<vt::variable> vars;
    int counter = 1;
    ASSERT_EQ(vt::read_name_list(f_, vars, counter), 0);
    EXPECT_EQ(counter, 3);
    ASSERT_EQ(vars.size(), 2u);
    EXPECT_EQ(vars[0].name, "p");
    EXPECT_EQ(vars[1].name, "q");
}

TEST_F(Primitives, FindVariableRef) {
    auto r = read_text(vt_file("STUB=\"a\",\"b\";HEADING=\"h\";VALUES(\"a\")=\"x\";VALUES(\"b\")=\"x\";"
                          "VALUES(\"h\")=\"x\";",
                          {"STUB=", "VALUES("}));
    ASSERT_EQ(r.rc, 0);
    struct rcase {
        const char* in;
        int names_read;
        int rc;
        int index;
        int stop;
    };
    const rcase cases[] = {
        {"\"b\")=", 3, 0, 1, '='},
        {"\"h\",\"x\")=", 3, 0, 2, ','},
        {"2)=", 3, 0, 1, '='},
        {"3)=", 3, 0, 2, '='},
        {"2)=", 1, 110, 0, 0},  // only the names read so far count
        {"0)=", 3, 110, 0, 0},
        {"4)=", 3, 110, 0, 0},
        {"\"zz\")=", 3, 110, 0, 0},
        {"\"B\")=", 3, 110, 0, 0},  // names compare exactly
        {"q)=", 3, 100, 0, 0},
    };
    for (const auto& c : cases) {
        open(c.in);
        int index = -1, stop = 0;
        EXPECT_EQ(vt::find_variable_ref(f_, r.t, c.names_read, index, &stop), c.rc) << c.in;
        if (c.rc == 0) {
            EXPECT_EQ(index, c.index) << c.in;
            EXPECT_EQ(stop, c.stop) << c.in;
        }
    }
}
