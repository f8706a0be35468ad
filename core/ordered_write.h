// Output formatted on all the cores and written in order: the exports that
// format every cell cut their output into pieces (a few rows each), the
// workers format pieces into buffers of their own, and the calling thread
// hands the buffers to the file in piece order. The bytes are exactly those
// one thread formatting piece after piece would write.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "core/outfile.h"

namespace vt {

// Formats piece i by appending its bytes to `buf` (handed over empty).
// Pieces are formatted on several threads at once, so a format function
// may only read what they share and write nothing but `buf` and state of
// its own piece.
using piece_format = std::function<void(std::size_t piece, std::string& buf)>;

// Writes pieces 0 .. count-1 to `out` in order, formatting them on
// `threads` workers (1 or fewer: in this thread, one piece after another).
// At most twice as many pieces as workers are held in memory at any time,
// so the memory used is a few pieces, whatever the size of the output.
// Every worker is joined before the call returns; an exception thrown by a
// format function stops the work and is thrown again here, and the pieces
// after the failed one are not written.
void write_in_order(out_file& out, std::size_t count, unsigned threads, const piece_format& format);

}  // namespace vt
