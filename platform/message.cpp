// Messages to the user and trace output through the host's hooks.
#include "platform/message.h"

#include <atomic>

namespace vt::plat {

namespace {
// Atomic so a host may set a hook while another thread is working.
std::atomic<message_hook> g_message{nullptr};
std::atomic<trace_hook> g_trace{nullptr};
}  // namespace

void set_message_hook(message_hook hook) noexcept { g_message.store(hook); }

int message_box(const char* text, const char* caption, int style) noexcept {
    const message_hook hook = g_message.load();
    if (!hook) return 1;
    return hook(text ? text : "", caption ? caption : "", style);
}

void set_trace_hook(trace_hook hook) noexcept { g_trace.store(hook); }

void trace(const char* routine, const char* what) noexcept {
    if (const trace_hook hook = g_trace.load()) hook(routine ? routine : "", what ? what : "");
}

}  // namespace vt::plat
