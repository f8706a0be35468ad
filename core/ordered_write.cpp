#include "core/ordered_write.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace vt {

namespace {

// Formats and writes the pieces in this thread, one after another.
void write_one_by_one(out_file& out, std::size_t count, const piece_format& format) {
    std::string buf;
    for (std::size_t i = 0; i < count; ++i) {
        buf.clear();
        format(i, buf);
        out.write(buf);
    }
}

// One buffer of the ring: piece `piece` is in it once `ready` is set; the
// writer frees it for piece + slots after writing.
struct slot {
    std::string buf;
    std::size_t piece = 0;
    bool ready = false;
};

class pipeline {
public:
    pipeline(out_file& out, std::size_t count, unsigned workers, const piece_format& format)
        : out_(out), count_(count), format_(format), slots_(2 * static_cast<std::size_t>(workers)) {
        for (std::size_t i = 0; i < slots_.size(); ++i) slots_[i].piece = i;
    }

    void run(unsigned workers) {
        std::vector<std::jthread> threads;
        try {
            threads.reserve(workers);
            for (unsigned w = 0; w < workers; ++w) threads.emplace_back([this] { work(); });
        } catch (...) {
            // Fewer threads than asked (the system refused one): the ones
            // that started do the work all the same.
        }
        if (threads.empty()) {
            // Not one thread could be had: format here, piece after piece.
            write_one_by_one(out_, count_, format_);
            return;
        }
        try {
            write_all();
        } catch (...) {
            fail(std::current_exception());
        }
        for (auto& t : threads) t.join();
        if (failure_) std::rethrow_exception(failure_);
    }

private:
    void fail(std::exception_ptr e) {
        std::lock_guard<std::mutex> g(lock_);
        if (!failure_) failure_ = e;
        stop_ = true;
        changed_.notify_all();
    }

    // Takes the next piece, waits for its slot to be free, formats it.
    void work() noexcept {
        for (;;) {
            std::size_t piece;
            std::string buf;
            {
                std::unique_lock<std::mutex> g(lock_);
                if (stop_ || next_ >= count_) return;
                piece = next_++;
                slot& s = slots_[piece % slots_.size()];
                changed_.wait(g, [&] { return stop_ || (s.piece == piece && !s.ready); });
                if (stop_) return;
                buf.swap(s.buf);  // reuse the slot's storage
            }
            try {
                buf.clear();
                format_(piece, buf);
            } catch (...) {
                fail(std::current_exception());
                return;
            }
            std::lock_guard<std::mutex> g(lock_);
            slot& s = slots_[piece % slots_.size()];
            s.buf.swap(buf);
            s.ready = true;
            changed_.notify_all();
        }
    }

    // Writes the pieces in order as they become ready.
    void write_all() {
        std::string buf;
        for (std::size_t piece = 0; piece < count_; ++piece) {
            slot& s = slots_[piece % slots_.size()];
            {
                std::unique_lock<std::mutex> g(lock_);
                changed_.wait(g, [&] { return stop_ || s.ready; });
                if (!s.ready) return;  // a worker failed
                buf.swap(s.buf);
            }
            out_.write(buf);
            std::lock_guard<std::mutex> g(lock_);
            s.buf.swap(buf);
            s.ready = false;
            s.piece = piece + slots_.size();
            changed_.notify_all();
        }
    }

    out_file& out_;
    std::size_t count_;
    const piece_format& format_;
    std::vector<slot> slots_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::size_t next_ = 0;
    bool stop_ = false;
    std::exception_ptr failure_;
};

}  // namespace

void write_in_order(out_file& out, std::size_t count, unsigned threads, const piece_format& format) {
    if (count == 0) return;
    if (threads <= 1 || count == 1) {
        write_one_by_one(out, count, format);
        return;
    }
    pipeline p(out, count, threads, format);
    p.run(threads);
}

}  // namespace vt
