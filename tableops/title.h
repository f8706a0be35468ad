// The title an operation gives the table it makes: the contents followed by
// "by" and the names of the variables, and for an unnamed (sort) variable a
// second sentence listing its values.
#pragma once

#include <string>
#include <string_view>

#include "core/table.h"

namespace vt {

// Every operation cuts the title it rebuilds into lines of at most this
// many characters.
inline constexpr int title_width = 72;

// The three words the title is built with, in the user's language.
struct title_words {
    std::string and_word;
    std::string by_word;
    std::string distr_word;
};

// The words from a ";"-separated list "and;by;distr[;...]" (missing ones
// are empty).
title_words title_words_from_list(std::string_view texts);
// The words from a label file: section Global, keys and, by, distr.
title_words title_words_from_label_file(const std::string& path);

// True when the table shows its DESCRIPTION as its title, so that a
// rebuilt title is that description again.
bool title_is_description(const table& t) noexcept;

// Rebuilds t.title and cuts it into lines of at most `width` characters at
// blanks. A table that shows its description as the title gets the
// description lines joined instead.
void title_rebuild(table& t, int width, const title_words& words);

// Cuts text into lines of at most width characters, breaking after a
// blank (the blank stays at the end of its line, so the lines joined give
// the text back). A word longer than a line is cut at the width.
text_list split_title(std::string_view text, int width);

}  // namespace vt
