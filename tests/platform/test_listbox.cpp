// Host list boxes through the helpers, the in-memory list box, and the
// message and trace hooks.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "platform/listbox.h"
#include "platform/message.h"

using namespace vt::plat;

TEST(Listbox, MemoryBoxThroughHelpers) {
    memory_listbox box;
    const vt_listbox* lb = box.view();
    EXPECT_EQ(lb_add(lb, "Total"), 0);
    EXPECT_EQ(lb_add(lb, "K\xF6ln \x80"), 1);
    EXPECT_EQ(lb_add(lb, std::string(5000, 'x')), 2);
    EXPECT_EQ(lb_count(lb), 3);
    EXPECT_EQ(lb_text(lb, 1), "K\xF6ln \x80");
    EXPECT_EQ(lb_text(lb, 2), std::string(5000, 'x'));
    bool ok = true;
    EXPECT_EQ(lb_text(lb, 3, &ok), "");
    EXPECT_FALSE(ok);

    EXPECT_TRUE(box.select(2));
    EXPECT_FALSE(box.select(3));
    EXPECT_EQ(lb_selected(lb, 0), 0);
    EXPECT_EQ(lb_selected(lb, 2), 1);
    EXPECT_LT(lb_selected(lb, 7), 0);
    EXPECT_FALSE(box.set_current(5));
    EXPECT_TRUE(box.set_current(1));
    EXPECT_EQ(lb_current(lb), 1);

    lb_reset(lb);
    EXPECT_EQ(lb_count(lb), 0);
    EXPECT_EQ(lb_current(lb), -1);
    EXPECT_EQ(lb_add(lb, "again"), 0);
    EXPECT_EQ(lb_selected(lb, 0), 0);  // selection flags went with the old items
    box.set_limit(1);
    EXPECT_LT(lb_add(lb, "refused"), 0);
}

namespace {
// A host that reports only the bytes it copied, as some do.
struct copied_length_host {
    std::string text;
    static int get_text(void* h, int, char* buf, int size) {
        const auto& t = static_cast<copied_length_host*>(h)->text;
        const int n = std::min(static_cast<int>(t.size()), size - 1);
        std::memcpy(buf, t.data(), static_cast<std::size_t>(n));
        buf[n] = '\0';
        return n;
    }
};
// A broken host: claims a huge length and never ends the text.
int lying_get_text(void*, int, char* buf, int size) {
    std::memset(buf, 'y', static_cast<std::size_t>(size));
    return INT_MAX;
}
}  // namespace

TEST(Listbox, HostsOfEveryKind) {
    copied_length_host host{std::string(1000, 'z') + "end"};
    vt_listbox lb{&host, nullptr, nullptr, nullptr, &copied_length_host::get_text, nullptr, nullptr};
    EXPECT_EQ(lb_text(&lb, 0), host.text);

    vt_listbox liar{nullptr, nullptr, nullptr, nullptr, &lying_get_text, nullptr, nullptr};
    const std::string t = lb_text(&liar, 0);
    EXPECT_EQ(t.size(), (1u << 20) - 1);  // cut at the helper's limit, no overrun

    // No list box, or one without callbacks: empty and refusing.
    const vt_listbox empty{};
    for (const vt_listbox* p : {static_cast<const vt_listbox*>(nullptr), &empty}) {
        EXPECT_LT(lb_add(p, "x"), 0);
        lb_reset(p);
        EXPECT_EQ(lb_count(p), 0);
        EXPECT_EQ(lb_text(p, 0), "");
        EXPECT_LT(lb_selected(p, 0), 0);
        EXPECT_EQ(lb_current(p), -1);
    }
}

namespace {
std::string g_seen;
int answer_no(const char* text, const char* caption, int style) {
    g_seen = std::string(caption) + "|" + text + "|" + std::to_string(style);
    return 7;
}
void record_trace(const char* routine, const char* what) { g_seen += std::string(routine) + ":" + what + ";"; }
}  // namespace

TEST(Message, HooksAreOptional) {
    EXPECT_EQ(message_box("text", "caption", 4), 1);  // silent OK without a hook
    set_message_hook(&answer_no);
    EXPECT_EQ(message_box("Table not found", "vtconv", 16), 7);
    EXPECT_EQ(g_seen, "vtconv|Table not found|16");
    EXPECT_EQ(message_box(nullptr, nullptr, 0), 7);
    EXPECT_EQ(g_seen, "||0");
    set_message_hook(nullptr);
    EXPECT_EQ(message_box("x", "y", 0), 1);

    g_seen.clear();
    trace("read", "nothing happens");
    EXPECT_EQ(g_seen, "");
    set_trace_hook(&record_trace);
    trace("read", "start");
    trace(nullptr, "x");
    set_trace_hook(nullptr);
    trace("read", "after");
    EXPECT_EQ(g_seen, "read:start;:x;");
}
