// The presentation of a table's values.
#include "tableops/presentation.h"

#include <algorithm>

#include "core/codes.h"
#include "core/guard.h"
#include "tableops/compute.h"
#include "tableops/newtable.h"
#include "tableops/texts.h"
#include "tableops/valuesets.h"

namespace vt {

namespace {

bool has_codes(const variable& v) {
    return std::any_of(v.values.begin(), v.values.end(), [](const value& val) { return val.code.has_value(); });
}

// Two values of one variable with the same text cannot be told apart in a
// table file.
bool texts_unique(const variable& v) {
    std::vector<std::string> texts;
    for (const value& val : v.values) texts.push_back(val.text);
    std::sort(texts.begin(), texts.end());
    return std::adjacent_find(texts.begin(), texts.end()) == texts.end();
}

}  // namespace

presentation_plan plan_presentation(const table& t, const std::string& options, bool codes_required) {
    presentation_plan plan;
    for (std::size_t k = 0; k < t.vars.size(); ++k) {
        const variable& v = t.vars[k];
        const char digit = k < options.size() ? options[k] : '0';
        const bool coded = has_codes(v);
        const bool shows_texts = v.prestext == 1 || v.prestext == 2;
        int p = v.prestext;
        bool swap = false;
        if (digit == present_texts) {
            if (shows_texts && (coded || !codes_required)) p = 1;
            else swap = true;
        } else if (digit == present_codes) {
            if (shows_texts) swap = true;
            else p = 0;
        } else if (digit == present_both && coded) {
            p = shows_texts ? 2 : 3;
        }
        plan.prestext.push_back(p);
        plan.digit.push_back(digit);
        if (swap) plan.swaps.push_back(k);
    }
    return plan;
}

int next_value_set_choice(const table& t, const presentation_plan& plan, const std::string& dir,
                          const value_set_choice& chosen, std::string& domain) {
    for (std::size_t k : plan.swaps) {
        const variable& v = t.vars[k];
        if (has_codes(v) || !v.domain || chosen.count(k)) continue;
        if (value_set_files(dir, *v.domain).size() > 1) {
            domain = *v.domain;
            return static_cast<int>(k);
        }
    }
    return -1;
}

int present(table& t, const presentation_plan& plan, const std::string& dir, const value_set_choice& chosen,
            table& out, std::string& set_used) {
    set_used.clear();
    bearb req;
    req.op = op_swap_texts_codes;
    req.value_set_dir = dir;
    for (std::size_t k : plan.swaps) {
        request_entry e;
        e.name = t.vars[k].name;
        req.entries.push_back(std::move(e));
        const auto it = chosen.find(k);
        std::string file = it != chosen.end() ? it->second : std::string();
        const variable& v = t.vars[k];
        if (file.empty() && !has_codes(v) && v.domain) {
            const std::vector<std::string> files = value_set_files(dir, *v.domain);
            if (!files.empty()) file = files.front();
        }
        req.value_set_files.push_back(file);
    }
    const int rc = berakna(t, req, nullptr, out);
    if (rc == codes::op_failed) return codes::op_presentation_failed;
    if (rc != 0) return rc;
    for (std::size_t k = 0; k < out.vars.size() && k < plan.prestext.size(); ++k)
        out.vars[k].prestext = plan.prestext[k];
    for (std::size_t n = 0; n < plan.swaps.size(); ++n) {
        const std::size_t k = plan.swaps[n];
        variable& v = out.vars[k];
        const bool fetched = !has_codes(t.vars[k]);
        // A variable whose codes could not be looked up was left as it was.
        if (fetched && !has_codes(v)) {
            v.prestext = t.vars[k].prestext;
            continue;
        }
        if (!texts_unique(v)) return codes::op_presentation_failed;
        if (fetched) set_used = req.value_set_files[n];
        const int before = t.vars[k].prestext;
        if (before == 0) v.prestext = 1;
        else if (!fetched) v.prestext = before == 3 ? 1 : 0;
        else v.prestext = before;
    }
    return 0;
}

int ctvaluesweb(const char* in_path, const char* value_set_dir, const char* out_path, const char* options,
                std::string& set_used) {
    return guard([&] {
        table t;
        if (const int rc = read_for_edit(in_path, out_path, t); rc != 0) return rc;
        const presentation_plan plan = plan_presentation(t, options ? options : "", false);
        table out;
        if (const int rc = present(t, plan, value_set_dir ? value_set_dir : "", {}, out, set_used); rc != 0)
            return rc;
        return write_new_table(out, out_path, 0);
    });
}

}  // namespace vt
