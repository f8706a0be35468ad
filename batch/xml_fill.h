// What an XML query step has gathered when its elements are read, and the
// fill functions that turn it into the job of the step's function (the rows
// of batch/functions.cpp name them).
#pragma once

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "batch/job.h"

namespace vt::batch {

// Everything that stays in force from one step to the next: a value given
// once holds for every later step until it is given again.
struct xml_settings {
    // Header.
    std::string language;                 // vtlangsuffix
    bool language_given = false;
    std::array<std::string, 4> words;     // and, by, dist, unit
    int rounding = 0;
    int secrecy = 0;
    std::array<std::string, 8> symbols = {".", "..", "...", "....", ".....", "......", ".......", "-"};
    // Step header.
    std::string function, infile, outfile, errorfile;
    // The type the last step whose name asks for one set; a later SDMX step
    // passes it on.
    int xml_type = 0;
    // Function elements by name, as written.
    std::map<std::string, std::string, std::less<>> values;

    const std::string& get(std::string_view name) const;
    bool given(std::string_view name) const { return !get(name).empty(); }
    std::string get_or(std::string_view name, std::string_view deflt) const {
        return given(name) ? get(name) : std::string(deflt);
    }
    int get_int(std::string_view name, int deflt) const;

    // The symbol texts in order, each followed by ";".
    std::string symbol_list() const;
    std::string text_words() const { return words[0] + ";" + words[1] + ";" + words[2] + ";" + words[3]; }
};

// The lists one step builds from its own elements; they belong to that step
// alone.
struct xml_lists {
    std::array<std::optional<std::string>, max_selected_vars> selection;
    int time_var = 0;
    int time_values = 0;
    int time_option = 0;
    std::string value_order;     // valueorder
    std::string order_variable;  // valueorder: <variable name="X">
    std::string variable_texts;  // chgtexts
    std::string delete_list;     // vardelete
    int remove = 0;              // vardelete
};

// The settings every function shares; the row's fill adds its own.
void fill_common(const xml_settings& s, job& j);

// The settings of a split step.
void fill_split(const xml_settings& s, xml_split_args& a);

// The operation code of a calculation's <operation>: a name (remove, sum,
// percent, permille, add, subtract, multiply, divide) or a number.
int calc_operation_code(const std::string& content);

// The fill functions of the rows.
namespace xml_fill {
void selection(const xml_settings& s, const xml_lists& l, job& j);
void aggregation(const xml_settings& s, const xml_lists& l, job& j);
void calculation(const xml_settings& s, const xml_lists& l, job& j);
void pivotmanual(const xml_settings& s, const xml_lists& l, job& j);
void pivotauto(const xml_settings& s, const xml_lists& l, job& j);
void valueorder(const xml_settings& s, const xml_lists& l, job& j);
void decimals(const xml_settings& s, const xml_lists& l, job& j);
void chgtexts(const xml_settings& s, const xml_lists& l, job& j);
void excel(const xml_settings& s, const xml_lists& l, job& j);
void asp(const xml_settings& s, const xml_lists& l, job& j);
void xmlc(const xml_settings& s, const xml_lists& l, job& j);
void sdmx(const xml_settings& s, const xml_lists& l, job& j);
void delimited(const xml_settings& s, const xml_lists& l, job& j);
void prn(const xml_settings& s, const xml_lists& l, job& j);
void vtfile(const xml_settings& s, const xml_lists& l, job& j);
void vardelete(const xml_settings& s, const xml_lists& l, job& j);
void textcode(const xml_settings& s, const xml_lists& l, job& j);
void filecalc(const xml_settings& s, const xml_lists& l, job& j);
}  // namespace xml_fill

}  // namespace vt::batch
