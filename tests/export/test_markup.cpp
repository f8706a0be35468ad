// Tests of the markup writer of the XML exports: the escaping of texts and
// the tags, elements and attributes it writes.
#include <gtest/gtest.h>

#include <string>

#include "core/outfile.h"
#include "export/markup.h"

namespace {

TEST(XmlEscape, AmpersandFirstThenLessThenGreaterQuotesUntouched) {
    const struct {
        std::string text;
        std::string escaped;
    } cases[] = {
        {"", ""},
        {"plain text", "plain text"},
        {"a & b", "a &amp; b"},
        {"<b>", "&lt;b&gt;"},
        {"&lt;", "&amp;lt;"},  // an entity in the text is text: its "&" is escaped
        {"&&", "&amp;&amp;"},
        {"x<y>z&", "x&lt;y&gt;z&amp;"},
        {">", "&gt;"},
        {"\"quoted\" 'single'", "\"quoted\" 'single'"},
        {"caf\xE9 & \xE5r", "caf\xE9 &amp; \xE5r"},  // bytes of the upper half stay as they are
        {std::string("nul\0&", 5), std::string("nul\0&amp;", 9)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(vt::xml_escape(c.text), c.escaped) << c.text;
        std::string written;
        vt::out_file out(64);  // a small buffer, so long texts cross its end
        out.open_memory(written);
        vt::xml_escape(out, c.text);
        vt::xml_escape(out, c.text);
        ASSERT_TRUE(out.close());
        EXPECT_EQ(written, c.escaped + c.escaped) << c.text;
    }
    // Longer than the buffer, escapes throughout: five times the length.
    std::string many(1000, '&');
    std::string written;
    vt::out_file out(64);
    out.open_memory(written);
    vt::xml_escape(out, many);
    ASSERT_TRUE(out.close());
    EXPECT_EQ(written.size(), 5000u);
    EXPECT_EQ(written.substr(0, 10), "&amp;&amp;");
}

TEST(MarkupWriter, ElementsAttributesAndLines) {
    std::string written;
    vt::out_file out;
    out.open_memory(written);
    vt::markup_writer w(out);
    w.line("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>");
    w.start_tag("table", {{"id", "a&b"}, {"code", "<raw>", false}});
    w.element("title", "Births & deaths");
    w.element("empty", "");
    w.raw_element("value", "1<2");
    w.element("note", "say \"<yes>\"", {{"type", "mandatory"}});
    w.open_tag("name");
    w.text("x>");
    w.raw("&amp;");
    w.close_tag("name");
    w.end_line();
    w.end_tag("table");
    ASSERT_TRUE(out.close());
    EXPECT_EQ(written,
              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
              "<table id=\"a&amp;b\" code=\"<raw>\">\r\n"
              "<title>Births &amp; deaths</title>\r\n"
              "<empty></empty>\r\n"
              "<value>1<2</value>\r\n"
              "<note type=\"mandatory\">say \"&lt;yes&gt;\"</note>\r\n"
              "<name>x&gt;&amp;</name>\r\n"
              "</table>\r\n");
}

}  // namespace
