// The README's code tables and the named codes agree: every number a table
// documents is a code the project names (core/codes.h, or a keyword's own
// problem code in the reader's keyword table), and every named code is
// documented in some table. Hosts and query files rely on these numbers, so
// a code added without a word in the README, or a README number nothing
// returns, is caught here.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/reader_keywords.h"
#include "../platform/temp_dir.h"

namespace {

std::string source_file(const std::string& name) {
    return vt::test::read_file(std::string(VT_TEST_DATA) + "/../../" + name);
}

// The whole numbers of a text, in order.
std::vector<int> numbers_in(const std::string& text) {
    std::vector<int> out;
    for (std::size_t i = 0; i < text.size();) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
        out.push_back(std::stoi(text.substr(i, end - i)));
        i = end;
    }
    return out;
}

// The values of core/codes.h with their names.
std::vector<std::pair<std::string, int>> named_codes() {
    std::vector<std::pair<std::string, int>> out;
    std::istringstream text(source_file("core/codes.h"));
    const std::string lead = "inline constexpr int ";
    std::string line;
    while (std::getline(text, line)) {
        if (line.rfind(lead, 0) != 0) continue;
        const std::size_t eq = line.find(" = ");
        const std::string name = line.substr(lead.size(), eq - lead.size());
        out.emplace_back(name, std::stoi(line.substr(eq + 3)));
    }
    return out;
}

// What the README's code tables say: single numbers and "a - b" ranges
// from the first cell of every row of a table headed "code" or "codes".
struct documented {
    std::set<int> numbers;
    std::vector<std::pair<int, int>> ranges;
    bool covers(int code) const {
        if (numbers.count(code)) return true;
        for (const auto& [lo, hi] : ranges)
            if (code >= lo && code <= hi) return true;
        return false;
    }
};

documented readme_codes() {
    documented out;
    std::istringstream readme(source_file("README.md"));
    std::string line;
    bool in_table = false;
    while (std::getline(readme, line)) {
        if (line.rfind("| code |", 0) == 0 || line.rfind("| codes |", 0) == 0) {
            in_table = true;
            continue;
        }
        if (line.empty() || line[0] != '|') {
            in_table = false;
            continue;
        }
        if (!in_table || line.rfind("|---", 0) == 0) continue;
        const std::string cell = line.substr(1, line.find('|', 1) - 1);
        if (cell.find('<') != std::string::npos) continue;  // "< 0": success as a negative value
        const std::vector<int> found = numbers_in(cell);
        if (found.size() == 2 && cell.find(" - ") != std::string::npos) {
            out.ranges.emplace_back(found[0], found[1]);
            continue;
        }
        out.numbers.insert(found.begin(), found.end());
    }
    return out;
}

TEST(Codes, ReadmeTablesAndNamedCodesAgree) {
    const auto named = named_codes();
    ASSERT_GT(named.size(), 40u) << "core/codes.h not found or not parsed";
    const documented readme = readme_codes();
    ASSERT_FALSE(readme.numbers.empty()) << "no code table in the README";

    std::set<int> known;
    for (const auto& [name, value] : named) {
        known.insert(value);
        EXPECT_TRUE(readme.covers(value)) << "codes::" << name << " = " << value << " is in no README code table";
    }
    for (const vt::reading::keyword_row& row : vt::reading::keyword_table) {
        if (row.problem == 0) continue;
        known.insert(row.problem);
        EXPECT_TRUE(readme.covers(row.problem)) << row.pattern << " gives " << row.problem
                                                << ", which no README code table covers";
    }
    for (int n : readme.numbers) EXPECT_TRUE(known.count(n)) << "the README documents " << n << ", which nothing names";
    for (const auto& [lo, hi] : readme.ranges) {
        EXPECT_TRUE(known.count(lo)) << "the README's range starts at " << lo << ", which nothing names";
        EXPECT_TRUE(known.count(hi)) << "the README's range ends at " << hi << ", which nothing names";
    }
}

}  // namespace
