// Work spread over the cores for the hot paths (reading the cells,
// formatting them for an export). Every worker is started and joined
// inside the call that needs it, so no thread outlives the call, and the
// number of workers is decided by the calling thread alone.
#pragma once

#include <cstddef>
#include <exception>
#include <functional>

namespace vt::plat {

// How many threads a hot path may use: VELTRA_THREADS from the environment
// when it holds a number from 1 to 256, otherwise the number of cores (at
// least 1). Read afresh on every call, by the calling thread, so a host
// that changes the variable between calls is followed and no worker ever
// reads it.
unsigned thread_count() noexcept;

// Runs job(i) for every i in [0, n) on at most `threads` threads, the
// calling thread among them; each i runs exactly once, in no fixed order.
// Returns when every job has ended. When a job throws, the jobs not yet
// started are skipped and the first exception is thrown again here, after
// every worker has been joined.
void parallel_for(std::size_t n, unsigned threads, const std::function<void(std::size_t)>& job);

}  // namespace vt::plat
