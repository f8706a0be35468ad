// Reading back the tables the operations write, for the checks of their
// tests: the table with its cells, the cells as a list, a variable's texts.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/datasec.h"
#include "core/reader.h"

namespace vt::test {

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
