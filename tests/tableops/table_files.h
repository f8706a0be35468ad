// Reading back the tables the operations write, for the checks of their
// tests: the table with its cells, the cells as a list, a variable's texts.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/datasec.h"
#include "core/reader.h"

namespace vt::test {

// A table whose stub holds the variable without a name ($$SORT, so the
// table has no UNITS) and the contents variable flow, a record per flow.
inline const char* const trade =
    "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"t\";\n"
    "CONTENTS=\"Trade\";\nUNITS=\"SEK\";\nSTUB=\"$$SORT\",\"flow\";\nHEADING=\"year\";\n"
    "VALUES(\"$$SORT\")=\"total\",\"part\";\nVALUES(\"flow\")=\"Exports\",\"Imports\";\n"
    "VALUES(\"year\")=\"2001\",\"2002\";\nCONTVARIABLE=\"flow\";\n"
    "UNITS(\"Exports\")=\"SEK\";\nUNITS(\"Imports\")=\"SEK thousands\";\n"
    "DATA=\n1 2 3 4 5 6 7 8;\n";

inline table read_back(const std::string& path) {
    in_file f;
    table t = table_new();
    EXPECT_EQ(read_table_file(path, f, t), 0) << path;
    EXPECT_EQ(read_data(t, f), 0);
    compute_strides(t.vars);
    return t;
}

inline std::vector<double> cells(const table& t) {
    const std::size_t n = static_cast<std::size_t>(count_cells(t.vars));
    return t.data() ? std::vector<double>(t.data(), t.data() + n) : std::vector<double>{};
}

inline std::vector<std::string> texts(const variable& v) {
    std::vector<std::string> out;
    for (const value& val : v.values) out.push_back(val.text);
    return out;
}

}  // namespace vt::test
