// The markup writer: escaping, tags and elements of the XML exports.
#include "export/markup.h"

namespace vt {

namespace {

constexpr std::string_view to_escape = "&<>";

// The entity that stands for one of the escaped bytes.
std::string_view entity(char c) noexcept {
    switch (c) {
    case '&':
        return "&amp;";
    case '<':
        return "&lt;";
    default:
        return "&gt;";
    }
}

// Calls put(piece) for the runs of `text` and the entities between them.
template <class Put>
void escaped_pieces(std::string_view text, Put&& put) {
    for (std::size_t at = text.find_first_of(to_escape); at != std::string_view::npos;
         at = text.find_first_of(to_escape)) {
        put(text.substr(0, at));
        put(entity(text[at]));
        text.remove_prefix(at + 1);
    }
    put(text);
}

}  // namespace

// A text without anything to escape is one piece: the first search finds
// nothing and the text is written whole.
void xml_escape(out_file& out, std::string_view text) {
    escaped_pieces(text, [&out](std::string_view s) { out.write(s); });
}

std::string xml_escape(std::string_view text) {
    if (text.find_first_of(to_escape) == std::string_view::npos) return std::string(text);
    std::string s;
    s.reserve(text.size() + 16);
    escaped_pieces(text, [&s](std::string_view piece) { s.append(piece); });
    return s;
}

void markup_writer::line(std::string_view raw) {
    out_.write(raw);
    end_line();
}

void markup_writer::open_tag(std::string_view name, attributes attrs) {
    out_.put('<');
    out_.write(name);
    for (const markup_attribute& a : attrs) {
        out_.put(' ');
        out_.write(a.name);
        out_.write("=\"");
        if (a.escaped)
            xml_escape(out_, a.value);
        else
            out_.write(a.value);
        out_.put('"');
    }
    out_.put('>');
}

void markup_writer::close_tag(std::string_view name) {
    out_.write("</");
    out_.write(name);
    out_.put('>');
}

void markup_writer::start_tag(std::string_view name, attributes attrs) {
    open_tag(name, attrs);
    end_line();
}

void markup_writer::end_tag(std::string_view name) {
    close_tag(name);
    end_line();
}

void markup_writer::element(std::string_view name, std::string_view text, attributes attrs) {
    open_tag(name, attrs);
    xml_escape(out_, text);
    close_tag(name);
    end_line();
}

void markup_writer::raw_element(std::string_view name, std::string_view text, attributes attrs) {
    open_tag(name, attrs);
    out_.write(text);
    close_tag(name);
    end_line();
}

}  // namespace vt
