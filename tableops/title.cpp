// The title an operation gives the table it makes, and the words it is built with.
#include "tableops/title.h"

#include "platform/ini.h"

namespace vt {

namespace {

// A word of the label file is read with at most this many characters.
constexpr std::size_t label_word_size = 100;

}  // namespace

title_words title_words_from_list(std::string_view texts) {
    title_words w;
    std::string* fields[3] = {&w.and_word, &w.by_word, &w.distr_word};
    std::size_t at = 0;
    for (std::string* f : fields) {
        if (at > texts.size()) break;
        std::size_t end = texts.find(';', at);
        if (end == std::string_view::npos) end = texts.size();
        f->assign(texts.substr(at, end - at));
        at = end + 1;
    }
    return w;
}

title_words title_words_from_label_file(const std::string& path) {
    title_words w;
    w.and_word = plat::ini_get_string(path, "Global", "and", "", label_word_size);
    w.by_word = plat::ini_get_string(path, "Global", "by", "", label_word_size);
    w.distr_word = plat::ini_get_string(path, "Global", "distr", "", label_word_size);
    return w;
}

text_list split_title(std::string_view text, int width) {
    const std::size_t w = width < 1 ? 1 : static_cast<std::size_t>(width);
    text_list lines;
    while (text.size() > w) {
        std::size_t cut = text.substr(0, w).rfind(' ');
        cut = cut == std::string_view::npos ? w : cut + 1;
        lines.emplace_back(text.substr(0, cut));
        text.remove_prefix(cut);
    }
    if (!text.empty() || lines.empty()) lines.emplace_back(text);
    return lines;
}

bool title_is_description(const table& t) noexcept { return t.descriptiondefault == 1 && !t.description.empty(); }

void title_rebuild(table& t, int width, const title_words& words) {
    if (title_is_description(t)) {
        std::string joined;
        for (const std::string& line : t.description) {
            if (!joined.empty()) joined += ' ';
            joined += line;
        }
        t.title = split_title(joined, width);
        return;
    }

    std::string text;
    if (t.contents)
        text = *t.contents;
    else if (t.units && *t.units != "?")
        text = *t.units;

    std::vector<const std::string*> named;
    const variable* unnamed = nullptr;
    for (const variable& v : t.vars) {
        if (v.name)
            named.push_back(&*v.name);
        else if (!unnamed)
            unnamed = &v;
    }
    if (!named.empty()) {
        text += ' ' + words.by_word + ' ';
        for (std::size_t i = 0; i + 1 < named.size(); ++i) {
            if (i) text += ", ";
            text += *named[i];
        }
        if (named.size() >= 2) text += ' ' + words.and_word + ' ';
        text += *named.back();
    }
    if (!unnamed) {
        t.title = split_title(text, width);
        return;
    }

    // The sort variable's values form a sentence of their own on a new line.
    text += '.';
    std::string second = words.distr_word + ' ' + words.by_word + ' ';
    const auto& vals = unnamed->values;
    for (std::size_t i = 0; i < vals.size(); ++i) {
        if (i > 0) second += i + 1 == vals.size() ? ' ' + words.and_word + ' ' : std::string(", ");
        second += vals[i].text;
    }
    second += '.';
    t.title = split_title(text, width);
    for (std::string& line : split_title(second, width)) t.title.push_back(std::move(line));
}

}  // namespace vt
