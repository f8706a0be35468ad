// Shared helpers for the reader and table tests: small table files built
// from a minimal valid file plus the statements a case is about.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/infile.h"
#include "core/reader.h"
#include "core/table.h"

namespace vt_test {

// The statements of the smallest file the reader accepts without a problem.
inline const std::vector<std::string>& base_statements() {
    static const std::vector<std::string> base = {
        "MATRIX=\"M\";",    "SUBJECT-AREA=\"S\";", "SUBJECT-CODE=\"C\";", "TITLE=\"T\";",
        "CONTENTS=\"C\";",  "UNITS=\"U\";",        "DECIMALS=0;",         "STUB=\"a\";",
        "VALUES(\"a\")=\"x\",\"y\";"};
    return base;
}

// The minimal file with `extra` added before DATA=; base statements that
// begin with one of the prefixes in `drop` are left out.
inline std::string vt_file(const std::string& extra, const std::vector<std::string>& drop = {}) {
    std::string out;
    for (const auto& s : base_statements()) {
        bool skip = false;
        for (const auto& d : drop) skip = skip || s.rfind(d, 0) == 0;
        if (!skip) out += s + "\n";
    }
    return out + extra + "\nDATA=1 2;\n";
}

// A table read from bytes in memory; the bytes stay alive with the file so
// the data section can still be read after the keywords.
struct read_result {
    int rc = -1;
    vt::table t = vt::table_new();
    std::unique_ptr<std::string> bytes;
    std::unique_ptr<vt::in_file> file = std::make_unique<vt::in_file>();
};

inline read_result read_text(std::string text) {
    read_result r;
    r.bytes = std::make_unique<std::string>(std::move(text));
    r.file->open_memory(*r.bytes);
    r.rc = vt::metain(*r.file, r.t);
    return r;
}

inline std::string rep(char c, std::size_t n) { return std::string(n, c); }

// Every test starts from the reader settings a fresh process has.
class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset() {
        vt::reader_state().selected_language = "";
        vt::reader_state().oem_input = true;
        vt::reader_state().cellnotex_batch_rules = true;
    }
};

// The position of the variable with this name, or -1.
inline int var_index(const vt::table& t, const std::string& name) {
    for (std::size_t i = 0; i < t.vars.size(); ++i)
        if (t.vars[i].name && *t.vars[i].name == name) return static_cast<int>(i);
    return -1;
}

inline std::vector<std::string> value_texts(const vt::variable& v) {
    std::vector<std::string> out;
    for (const auto& val : v.values) out.push_back(val.text);
    return out;
}

// What a table read from a file looks like once written and read again,
// where the file format cannot tell two forms apart: a value without a
// code among coded values gets its text as code, per-content day and
// season adjustment are given for every content once one says YES (and
// dropped otherwise), the version is the writer's.
inline void as_written(vt::table& t) {
    t.velt_version = "2006";
    for (vt::variable& v : t.vars) {
        bool coded = false;
        for (const vt::value& x : v.values) coded = coded || (x.code && !x.code->empty());
        if (coded)
            for (vt::value& x : v.values)
                if (!x.code) x.code = x.text;
    }
    if (t.contvariable) {
        for (int vt::continfo::*adj : {&vt::continfo::dayadj, &vt::continfo::seasadj}) {
            bool yes = false;
            for (const vt::continfo& c : t.continfos) yes = yes || c.*adj == 1;
            for (vt::continfo& c : t.continfos)
                if (c.*adj != 1) c.*adj = yes ? 0 : -1;
        }
    }
}

}  // namespace vt_test
