// Messages to the user and trace output, both routed through hooks the host
// may set. Without hooks nothing is shown and nothing is written: a library
// inside someone else's program must not pop up anything by itself.
#pragma once

namespace vt::plat {

// Shows a message; returns the button pressed (1 = OK, as for a message box).
using message_hook = int (*)(const char* text, const char* caption, int style);

// Installs the hook (nullptr removes it).
void set_message_hook(message_hook hook) noexcept;

// Calls the hook and returns its answer; 1 (OK) when no hook is set. Null
// texts reach the hook as "".
int message_box(const char* text, const char* caption, int style) noexcept;

// Receives trace lines: the routine and what it is doing.
using trace_hook = void (*)(const char* routine, const char* what);

void set_trace_hook(trace_hook hook) noexcept;

// Passes the line to the trace hook, if one is set.
void trace(const char* routine, const char* what) noexcept;

}  // namespace vt::plat
