// Value set files and aggregation files: the classifications a variable's
// DOMAIN refers to, and the groupings of their codes that an aggregation
// turns into the values of a new variable.
//
// Both are profile (INI) files. A value set file (*.vs) names its value
// set ([Descr] Name, Type), the domains it serves ([Domain] 1, 2, ...), its
// aggregation files ([Aggreg] 1, 2, ...) and its codes and texts
// ([Valuecode] / [Valuetext] 1, 2, ...; when [Valuecode] 1000 is "****"
// they are in the line files "<file>c" and "<file>n" beside it). An
// aggregation file names its value set and itself ([Aggreg] Valueset,
// Name, Map), lists the group codes ([Aggreg] 1, 2, ...) and texts
// ([Aggtext] 1, 2, ...), and each group's member codes in a section named
// by the group code. Numbered keys stop at the first one missing.
#pragma once

#include <string>
#include <vector>

#include "core/table.h"
#include "tableops/compute.h"

namespace vt {

// An aggregation a value set offers.
struct aggregation_ref {
    std::string name;  // [Aggreg] Name of the aggregation file
    std::string path;  // full path of the aggregation file
};

// One domain served by one value set file.
struct value_set {
    std::string name;    // [Descr] Name
    std::string domain;  // one [Domain] entry
    char kind = ' ';     // first character of [Descr] Type
    std::string path;    // full path of the value set file
    std::vector<aggregation_ref> aggregations;
};

// A directory and a file name joined into one path.
std::string join_dir(const std::string& dir, const std::string& name);

// Domain names compare after lower-casing, where the bytes 0xC0-0xDF count
// as the capitals of 0xE0-0xFF.
bool domain_equal(const std::string& a, const std::string& b) noexcept;

// Reads an aggregation file into out (kind letter left as it was). Returns
// 0, or 400 when the file cannot be read. Values are cut to 256 bytes.
int sumreg_struct(const std::string& path, aggregation& out);

// Every value set of the *.vs files in dir, one entry per file and domain,
// with the aggregations whose files carry a Name. A file without
// [Descr] Name ends the scan with an empty list.
std::vector<value_set> varreg_struct(const std::string& dir);

// True when v has more than one value and a DOMAIN served by a value set
// that offers at least one aggregation.
bool offers_aggregations(const variable& v, const std::vector<value_set>& sets);

// 1 when some variable of t offers aggregations (as above), else 0.
int var_regmatch(const table& t, const std::vector<value_set>& sets);

// Looks the texts of v's values up by code: the value set file of dir that
// serves v's DOMAIN is searched, and each value's text (which holds its
// code) finds the text of the same number. On success every value gets the
// text found as its code field and the result is 1; when the variable has
// no DOMAIN, no file serves it, or one code is missing, v is left alone and
// the result is 0.
int fetch_valuetext(variable& v, const std::string& dir);

// The value set files of dir that serve `domain`, in the order the folder
// lists them.
std::vector<std::string> value_set_files(const std::string& dir, const std::string& domain);

// fetch_valuetext against one value set file (the "****" marker sends it to
// the line files); 1 on success, else 0 and v is left alone.
int fetch_valuetext_from(variable& v, const std::string& vs_path);

// The same against the line files of the value set file vs_path ("c" and
// "n" appended to its name).
int fetch_valuetext2(variable& v, const std::string& vs_path);

}  // namespace vt
