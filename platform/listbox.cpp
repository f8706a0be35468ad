// Helpers for the host's list boxes and the in-memory list box.
#include "platform/listbox.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace vt::plat {

int lb_add(const vt_listbox* lb, std::string_view text) {
    if (!lb || !lb->add_string) return -1;
    const std::string s(text);  // the host needs a NUL at the end
    return lb->add_string(lb->host, s.c_str());
}

void lb_reset(const vt_listbox* lb) noexcept {
    if (lb && lb->reset) lb->reset(lb->host);
}

int lb_count(const vt_listbox* lb) noexcept {
    if (!lb || !lb->count) return 0;
    const int n = lb->count(lb->host);
    return n < 0 ? 0 : n;
}

std::string lb_text(const vt_listbox* lb, int index, bool* ok) {
    if (ok) *ok = false;
    if (!lb || !lb->get_text || index < 0) return {};
    // Hosts report the item's full length, but some report only what they
    // copied; a buffer filled to the brim is therefore tried again larger.
    constexpr int max_size = 1 << 20;
    std::string buf(256, '\0');
    for (;;) {
        const int size = static_cast<int>(buf.size());
        buf[static_cast<std::size_t>(size) - 1] = '\0';
        const int n = lb->get_text(lb->host, index, buf.data(), size);
        if (n < 0) return {};
        buf[static_cast<std::size_t>(size) - 1] = '\0';  // never trust the host to end it
        if (n >= size - 1 && size < max_size) {
            const int want = n >= max_size ? max_size : n > size - 1 ? n + 1 : std::min(size * 2, max_size);
            buf.assign(static_cast<std::size_t>(want), '\0');
            continue;
        }
        buf.resize(std::strlen(buf.c_str()));
        if (ok) *ok = true;
        return buf;
    }
}

int lb_selected(const vt_listbox* lb, int index) noexcept {
    if (!lb || !lb->get_sel) return -1;
    return lb->get_sel(lb->host, index);
}

int lb_current(const vt_listbox* lb) noexcept {
    if (!lb || !lb->cur_sel) return -1;
    const int c = lb->cur_sel(lb->host);
    return c < 0 ? -1 : c;
}

memory_listbox::memory_listbox() noexcept
    : view_{this, &cb_add, &cb_reset, &cb_count, &cb_get_text, &cb_get_sel, &cb_cur_sel} {}

int memory_listbox::add(std::string_view text) {
    if (items_.size() >= limit_) return -1;
    items_.emplace_back(text);
    selected_.push_back(false);
    return static_cast<int>(items_.size() - 1);
}

void memory_listbox::reset() noexcept {
    items_.clear();
    selected_.clear();
    current_ = -1;
}

bool memory_listbox::select(int index, bool on) noexcept {
    if (!valid(index)) return false;
    selected_[static_cast<std::size_t>(index)] = on;
    return true;
}

bool memory_listbox::selected(int index) const noexcept {
    return valid(index) && selected_[static_cast<std::size_t>(index)];
}

bool memory_listbox::set_current(int index) noexcept {
    if (index != -1 && !valid(index)) return false;
    current_ = index;
    return true;
}

// The callbacks are called from C: no exception may leave them.
int memory_listbox::cb_add(void* host, const char* text) {
    try {
        return static_cast<memory_listbox*>(host)->add(text ? text : "");
    } catch (const std::bad_alloc&) {
        return -2;
    }
}

void memory_listbox::cb_reset(void* host) { static_cast<memory_listbox*>(host)->reset(); }

int memory_listbox::cb_count(void* host) { return static_cast<memory_listbox*>(host)->count(); }

int memory_listbox::cb_get_text(void* host, int index, char* buf, int bufsize) {
    const auto* self = static_cast<const memory_listbox*>(host);
    if (!self->valid(index)) return -1;
    const std::string& s = self->items_[static_cast<std::size_t>(index)];
    if (buf && bufsize > 0) {
        const std::size_t n = std::min(s.size(), static_cast<std::size_t>(bufsize) - 1);
        std::memcpy(buf, s.data(), n);
        buf[n] = '\0';
    }
    return static_cast<int>(s.size());
}

int memory_listbox::cb_get_sel(void* host, int index) {
    const auto* self = static_cast<const memory_listbox*>(host);
    if (!self->valid(index)) return -1;
    return self->selected(index) ? 1 : 0;
}

int memory_listbox::cb_cur_sel(void* host) { return static_cast<memory_listbox*>(host)->current(); }

}  // namespace vt::plat
