#include "batch/outputs.h"

#include <algorithm>

#include "batch/ini_query.h"
#include "batch/xml_query.h"
#include "platform/text.h"

namespace vt::batch {

namespace {

void add(std::vector<query_output>& out, const char* kind, const std::string& name) {
    if (name.empty()) return;
    const auto same = [&](const query_output& o) { return o.name == name; };
    if (std::find_if(out.begin(), out.end(), same) == out.end()) out.push_back({kind, name});
}

}  // namespace

std::vector<query_output> query_outputs(const std::string& query_path) noexcept {
    std::vector<query_output> out;
    try {
        if (plat::ends_with_nocase(query_path, ".xml")) {
            std::vector<xml_step> steps;
            read_xml_query(query_path, steps);
            for (const xml_step& st : steps) {
                add(out, "out", st.j.outfile);
                add(out, "error", st.j.errorfile);
            }
        } else {
            job j;
            read_ini_job(query_path, j);
            add(out, "out", j.outfile);
            add(out, "error", j.errorfile);
        }
    } catch (...) {
    }
    return out;
}

}  // namespace vt::batch
