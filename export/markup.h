// The markup writer of the XML exports (cube, SDMX, statinfo and its CALS
// table, KML): elements and attributes over the buffered output, one
// element per line with CR LF line ends, texts escaped by xml_escape.
//
//     <name>escaped text</name>                      element()
//     <name a="escaped" b="escaped">text</name>      element() with attributes
//     <name a="escaped">                             start_tag() ... end_tag()
//     ...
//     </name>
//
// The HTML and ASP pages write their texts as stored and do not use it.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "core/outfile.h"

namespace vt {

// Writes `text` with every "&" as "&amp;", every "<" as "&lt;" and every
// ">" as "&gt;". The ampersand goes first so the ampersands of the entities
// put in are not escaped again; quotes and apostrophes stay as they are
// (attribute values go between double quotes as they stand). A text
// without any of "&<>" is written as it is, without a look at each byte.
void xml_escape(out_file& out, std::string_view text);

// The same as a new string (up to five times as long as `text`).
std::string xml_escape(std::string_view text);

// One attribute of a tag: its name and its value, escaped unless the
// format writes that value raw (codes it defines as written unchanged).
struct markup_attribute {
    std::string_view name;
    std::string_view value;
    bool escaped = true;
};

class markup_writer {
public:
    using attributes = std::initializer_list<markup_attribute>;

    explicit markup_writer(out_file& out) : out_(out) {}

    // A line written as it stands, then CR LF.
    void line(std::string_view raw);
    // "<name a="v" ...>" and CR LF: an element whose content follows on
    // lines of its own.
    void start_tag(std::string_view name, attributes attrs = {});
    // "</name>" and CR LF.
    void end_tag(std::string_view name);
    // "<name a="v" ...>" + escaped text + "</name>" and CR LF.
    void element(std::string_view name, std::string_view text, attributes attrs = {});
    // The same with the text written unescaped (codes and numbers the
    // formats define as raw).
    void raw_element(std::string_view name, std::string_view text, attributes attrs = {});

    // Pieces of a line, for contents built from several texts.
    void open_tag(std::string_view name, attributes attrs = {});  // "<name a="v" ...>", no line end
    void close_tag(std::string_view name);                        // "</name>", no line end
    void text(std::string_view s) { xml_escape(out_, s); }
    void raw(std::string_view s) { out_.write(s); }
    void end_line() { out_.write("\r\n"); }

    out_file& out() noexcept { return out_; }

private:
    out_file& out_;
};

}  // namespace vt
