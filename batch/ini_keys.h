// The keys of an INI query: read access to the query file with the value
// limits of the query form, and the key reader of every function that has
// keys of its own (the rows of batch/functions.cpp name them).
//
// Every value is read with the profile reader into a buffer of a fixed size
// and silently cut to that size minus one byte; the sizes below are those
// buffer sizes. A key counts as given when its value has at least one byte,
// so an empty value and a missing key are the same for the mandatory keys
// and the value lists. A default, as with the platform's profile reader,
// stands in only for a missing key.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "batch/job.h"
#include "platform/ini.h"

namespace vt::batch {

// Buffer sizes of the query values.
namespace ini_size {
inline constexpr std::size_t size_short = 9;
inline constexpr std::size_t size_name = 99;
inline constexpr std::size_t size_text = 255;
inline constexpr std::size_t size_long = 259;
inline constexpr std::size_t size_coordinates = 499;
inline constexpr std::size_t size_path = 999;
}  // namespace ini_size

// Read access to the query file, as the key readers see it.
class ini_keys {
public:
    explicit ini_keys(const plat::ini_file& f) : f_(f) {}

    std::string text(std::string_view section, std::string_view key, std::size_t size,
                     std::string_view deflt = "") const {
        return f_.get_string(section, key, deflt, size);
    }
    int number(std::string_view section, std::string_view key, std::size_t size,
               std::string_view deflt = "") const;

    // Value1, Value2, ... of `section` up to the first one not given, joined
    // with `sep`. Value1 has a larger buffer than the rest.
    std::string value_list(std::string_view section, std::size_t first_size, std::size_t size, char sep) const;

private:
    const plat::ini_file& f_;
};

// The key readers: each reads its function's keys into the job and returns
// 0, or the driver's code that ends the job.
namespace ini_read {
int decimals(const ini_keys& q, job& j);
int excel(const ini_keys& q, job& j);
int vtml(const ini_keys& q, job& j);
int xmlc(const ini_keys& q, job& j);
int sdmx(const ini_keys& q, job& j);
int asp(const ini_keys& q, job& j);
int kml(const ini_keys& q, job& j);
int unit_var(const ini_keys& q, job& j);
int delimited(const ini_keys& q, job& j);
int gesmes(const ini_keys& q, job& j);
int vtfile(const ini_keys& q, job& j);
int pivotauto(const ini_keys& q, job& j);
int pivotmanual(const ini_keys& q, job& j);
int valueorder(const ini_keys& q, job& j);
int vardelete(const ini_keys& q, job& j);
int textcode(const ini_keys& q, job& j);
int chgtextcontents(const ini_keys& q, job& j);
int chgtexts(const ini_keys& q, job& j);
int filecalc(const ini_keys& q, job& j);
int selvalues(const ini_keys& q, job& j);
int aggvalues(const ini_keys& q, job& j);
int calcvalues(const ini_keys& q, job& j);
}  // namespace ini_read

}  // namespace vt::batch
