// Helpers for the host's list boxes (include/vtlistbox.h) and an in-memory
// list box for tests and for hosts without a user interface.
#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "vtlistbox.h"

namespace vt::plat {

// Each helper accepts a null list box or null callbacks and then behaves
// as for an empty box that refuses new items.

// Appends an item; its index, or a negative number when it was refused.
// The host sees the text up to its first NUL byte.
int lb_add(const vt_listbox* lb, std::string_view text);
void lb_reset(const vt_listbox* lb) noexcept;
// The number of items; 0 when the host reports an error.
int lb_count(const vt_listbox* lb) noexcept;
// The text of an item, however long (up to 1 MiB; longer texts are cut).
// "" with *ok false for a bad index or a missing callback.
std::string lb_text(const vt_listbox* lb, int index, bool* ok = nullptr);
// 1 selected, 0 not selected, negative when it cannot be told.
int lb_selected(const vt_listbox* lb, int index) noexcept;
// The current item's index, or -1.
int lb_current(const vt_listbox* lb) noexcept;

// A list box held in memory: items, their selection flags and the current
// item. view() is the vt_listbox to pass where a host's box is expected; it
// points at this object, which therefore can be neither copied nor moved.
class memory_listbox {
public:
    memory_listbox() noexcept;
    memory_listbox(const memory_listbox&) = delete;
    memory_listbox& operator=(const memory_listbox&) = delete;

    const vt_listbox* view() const noexcept { return &view_; }

    int add(std::string_view text);  // index, or -1 past the limit
    void reset() noexcept;
    int count() const noexcept { return static_cast<int>(items_.size()); }
    const std::vector<std::string>& items() const noexcept { return items_; }

    // False for a bad index.
    bool select(int index, bool on = true) noexcept;
    bool selected(int index) const noexcept;
    // -1 for none; false (nothing changed) for a bad index.
    bool set_current(int index) noexcept;
    int current() const noexcept { return current_; }

    // Further items are refused once the box holds `max_items`, as a real
    // list box refuses them when it runs out of room.
    void set_limit(std::size_t max_items) noexcept { limit_ = max_items; }

private:
    static int cb_add(void* host, const char* text);
    static void cb_reset(void* host);
    static int cb_count(void* host);
    static int cb_get_text(void* host, int index, char* buf, int bufsize);
    static int cb_get_sel(void* host, int index);
    static int cb_cur_sel(void* host);

    bool valid(int index) const noexcept { return index >= 0 && static_cast<std::size_t>(index) < items_.size(); }

    vt_listbox view_;
    std::vector<std::string> items_;
    std::vector<bool> selected_;
    int current_ = -1;
    std::size_t limit_ = static_cast<std::size_t>(std::numeric_limits<int>::max());
};

}  // namespace vt::plat
