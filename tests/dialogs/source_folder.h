// A scratch folder for a dialogue test: the source table written into it,
// the output's name, and the dialogue state released when it goes, so no
// test leaves a held table to the next.
#pragma once

#include <string>

#include "../platform/temp_dir.h"
#include "dialogs/state.h"

namespace vt::test {

struct source_folder {
    temp_dir dir;
    std::string in;
    std::string out;
    explicit source_folder(const char* table) : in(dir.write("in.vt", table)), out(dir.file("out.vt")) {}
    ~source_folder() { vt::dialogs::release(); }
    source_folder(const source_folder&) = delete;
    source_folder& operator=(const source_folder&) = delete;
};

}  // namespace vt::test
