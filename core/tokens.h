// The tokens of a full-form data section one by one, each with the
// character that ended it, for exports that copy or format the cells as
// they stream past instead of loading the data matrix.
#pragma once

#include <string>
#include <string_view>

#include "core/infile.h"

namespace vt {

// Reads the tokens of the data section the file stands at. A token runs up
// to the next ",", ";", blank or tab; a line break inside it is dropped.
// Before the first token only blanks, tabs and line breaks are skipped (a
// leading "," or ";" ends an empty first token); between tokens every
// separator is. The reader advances the file as it goes and never holds
// more than one token.
class data_tokens {
public:
    // skip_all_first: every separator is skipped before the first token
    // too, so a leading "," or ";" gives no empty token.
    explicit data_tokens(in_file& f, bool skip_all_first = false) noexcept : f_(f), first_(!skip_all_first) {}

    // The next token and its terminator ("," ";" blank or tab; '\0' when
    // the input ended the token). The view stays valid until the next call.
    // False at the end of the input, when no token is left.
    bool next(std::string_view& token, char& terminator);

private:
    bool skip() noexcept;

    in_file& f_;
    std::string scratch_;
    bool first_ = true;
};

}  // namespace vt
