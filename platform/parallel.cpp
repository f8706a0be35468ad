#include "platform/parallel.h"

#include <atomic>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace vt::plat {

unsigned thread_count() noexcept {
    if (const char* s = std::getenv("VELTRA_THREADS"); s != nullptr) {
        unsigned n = 0;
        const char* end = s + std::strlen(s);
        auto [p, ec] = std::from_chars(s, end, n);
        if (ec == std::errc{} && p == end && n >= 1 && n <= 256) return n;
    }
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : cores;
}

void parallel_for(std::size_t n, unsigned threads, const std::function<void(std::size_t)>& job) {
    if (n == 0) return;
    if (threads <= 1 || n == 1) {
        for (std::size_t i = 0; i < n; ++i) job(i);
        return;
    }
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    std::exception_ptr first;
    std::mutex first_lock;
    auto work = [&]() noexcept {
        for (;;) {
            if (stop.load(std::memory_order_relaxed)) return;
            const std::size_t i = next.fetch_add(1, std::memory_order_relaxed);
            if (i >= n) return;
            try {
                job(i);
            } catch (...) {
                std::lock_guard<std::mutex> g(first_lock);
                if (!first) first = std::current_exception();
                stop.store(true, std::memory_order_relaxed);
            }
        }
    };
    const std::size_t extra = std::min<std::size_t>(threads, n) - 1;
    std::vector<std::jthread> workers;
    try {
        workers.reserve(extra);
        for (std::size_t w = 0; w < extra; ++w) workers.emplace_back(work);
    } catch (...) {
        // Fewer threads than asked (the system refused one): the ones that
        // started and this thread share the work all the same.
    }
    work();
    for (auto& t : workers) t.join();
    if (first) std::rethrow_exception(first);
}

}  // namespace vt::plat
