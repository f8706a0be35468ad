// Streaming exports on all the cores: the cells are read a batch at a time
// and each batch is made into output in pieces on several threads, while
// the next batch is read and the pieces of the last one are written, in
// order. Only two batches of cells and of output are held at any time, so
// the memory stays flat whatever the size of the table, and the bytes are
// those one thread doing one step after the other would write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace vt {

// The steps of a batched output. `slot` (0 or 1) names which of the two
// inputs held by the caller a batch uses: batch b uses slot b % 2.
struct batch_steps {
    std::int64_t batches = 0;
    // Reads the input of batch `batch` into `slot`; batches are read in
    // order, one at a time.
    std::function<void(std::int64_t batch, int slot)> read;
    // The number of pieces batch `batch` is made in (at least 1).
    std::function<std::size_t(std::int64_t batch)> pieces;
    // Appends piece `piece` of batch `batch` (its input in `slot`) to `buf`.
    // Runs on several threads at once: it may read the batch's input and
    // shared state, and write nothing but `buf`.
    std::function<void(std::int64_t batch, int slot, std::size_t piece, std::string& buf)> make;
    // Writes a piece; pieces come in order, one at a time.
    std::function<void(const std::string& piece)> write;
};

// The rows of one piece when `rows` rows of `ncols` cells each are cut
// into pieces for `threads` threads: four pieces per thread where the rows
// allow (so that small tables keep every thread busy too), but at most
// `max_cells` cells in a piece (at least one row).
std::int64_t rows_per_piece(std::int64_t rows, std::int64_t ncols, unsigned threads, std::int64_t max_cells) noexcept;

// Runs the steps on `threads` threads (1: one after the other in this
// thread). Every thread is joined before the call returns; the first
// exception thrown by a step is thrown again here.
void run_batches(const batch_steps& steps, unsigned threads);

}  // namespace vt
