// The table-reading exports of libvtconv as a host calls them: loaded by
// path, the table asked for its parts, bad arguments refused.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cmath>
#include <string>
#include <type_traits>
#include <vector>

#include "vtconv.h"

namespace {

struct api {
    void* lib = dlopen(VT_LIBVTCONV, RTLD_NOW | RTLD_LOCAL);
    ~api() {
        if (lib) dlclose(lib);
    }
    template <class F>
    F* fn(const char* name) const {
        return reinterpret_cast<F*>(dlsym(lib, name));
    }
#define VT_FN(name) decltype(&::name) name = fn<std::remove_pointer_t<decltype(&::name)>>(#name)
    VT_FN(vt_table_open);
    VT_FN(vt_table_close);
    VT_FN(vt_table_variables);
    VT_FN(vt_table_stub_variables);
    VT_FN(vt_table_values);
    VT_FN(vt_table_variable_name);
    VT_FN(vt_table_value_text);
    VT_FN(vt_table_value_code);
    VT_FN(vt_table_text);
    VT_FN(vt_table_decimals);
    VT_FN(vt_table_cell_count);
    VT_FN(vt_table_cells);
#undef VT_FN
};

std::string str(const char* s) { return s ? s : "(null)"; }

}  // namespace

TEST(TableExports, HandOutTheWholeTable) {
    const api a;
    ASSERT_NE(a.lib, nullptr) << dlerror();
    vt_table* t = nullptr;
    ASSERT_EQ(a.vt_table_open((std::string(VT_TEST_DATA) + "/population.vt").c_str(), nullptr, &t), 0);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(a.vt_table_variables(t), 3);
    EXPECT_EQ(a.vt_table_stub_variables(t), 2);
    std::string listing;
    for (int v = -1; v <= 3; ++v) {
        listing += str(a.vt_table_variable_name(t, v)) + ":" + std::to_string(a.vt_table_values(t, v)) + "=";
        for (int k = -1; k <= a.vt_table_values(t, v); ++k)
            listing += str(a.vt_table_value_text(t, v, k)) + "/" + str(a.vt_table_value_code(t, v, k)) + ",";
        listing += " ";
    }
    EXPECT_EQ(listing,
              "(null):0=(null)/(null),(null)/(null), region:3=(null)/(null),North/01,South/02,East/03,(null)/(null), "
              "sex:3=(null)/(null),men/1,women/2,total/T,(null)/(null), "
              "year:3=(null)/(null),2003/(null),2004/(null),2005/(null),(null)/(null), (null):0=(null)/(null),(null)/(null), ");
    EXPECT_EQ(str(a.vt_table_text(t, "title")), "Population by region, sex and year");
    EXPECT_EQ(str(a.vt_table_text(t, "UNITS")), "persons");
    EXPECT_EQ(str(a.vt_table_text(t, "NOTE")), "(null)");
    EXPECT_EQ(str(a.vt_table_text(t, "DATA")), "(null)");
    EXPECT_EQ(str(a.vt_table_text(t, nullptr)), "(null)");
    EXPECT_EQ(a.vt_table_decimals(t, 0), 1);
    EXPECT_EQ(a.vt_table_decimals(t, 1), 0);
    ASSERT_EQ(a.vt_table_cell_count(t), 27);

    // Rows 4..7: 830 ".." 845 / "-" 840 851.25 / 830 1680 1696.25 / 0 12.5 "."
    std::vector<double> values(12, -7);
    std::vector<signed char> symbols(12, -7);
    ASSERT_EQ(a.vt_table_cells(t, 9, 12, values.data(), symbols.data()), 12);
    const std::vector<signed char> want_symbols = {0, 2, 0, 8, 0, 0, 0, 0, 0, 0, 0, 1};
    EXPECT_EQ(symbols, want_symbols);
    const std::vector<double> want = {830, 0, 845, 0, 840, 851.25, 830, 1680, 1696.25, 0, 12.5, 0};
    for (std::size_t i = 0; i < want.size(); ++i) {
        if (symbols[i]) EXPECT_TRUE(std::isnan(values[i])) << i;
        else EXPECT_EQ(values[i], want[i]) << i;
    }
    // The end of the table cuts a request short; bad ranges are refused.
    EXPECT_EQ(a.vt_table_cells(t, 25, 10, values.data(), nullptr), 2);
    EXPECT_EQ(a.vt_table_cells(t, 27, 1, values.data(), nullptr), 0);
    EXPECT_EQ(a.vt_table_cells(t, -1, 1, values.data(), nullptr), -1);
    EXPECT_EQ(a.vt_table_cells(t, 0, -1, nullptr, nullptr), -1);
    a.vt_table_close(t);
}

TEST(TableExports, RefuseWhatCannotBeRead) {
    const api a;
    ASSERT_NE(a.lib, nullptr) << dlerror();
    vt_table* t = reinterpret_cast<vt_table*>(&t);
    EXPECT_EQ(a.vt_table_open("/nonexistent/x.vt", "", &t), 400);
    EXPECT_EQ(t, nullptr);
    EXPECT_EQ(a.vt_table_open(nullptr, nullptr, &t), 400);
    EXPECT_EQ(a.vt_table_open((std::string(VT_TEST_DATA) + "/population.vt").c_str(), nullptr, nullptr), 400);
    EXPECT_EQ(a.vt_table_variables(nullptr), 0);
    EXPECT_EQ(a.vt_table_cell_count(nullptr), 0);
    EXPECT_EQ(a.vt_table_decimals(nullptr, 0), -1);
    EXPECT_EQ(a.vt_table_cells(nullptr, 0, 1, nullptr, nullptr), -1);
    a.vt_table_close(nullptr);
}
