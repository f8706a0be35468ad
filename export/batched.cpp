#include "export/batched.h"

#include <algorithm>
#include <vector>

#include "platform/parallel.h"

namespace vt {

std::int64_t rows_per_piece(std::int64_t rows, std::int64_t ncols, unsigned threads, std::int64_t max_cells) noexcept {
    const std::int64_t pieces = 4 * static_cast<std::int64_t>(std::max(1u, threads));
    const std::int64_t spread = (rows + pieces - 1) / pieces;
    const std::int64_t largest = max_cells / std::max<std::int64_t>(1, ncols);
    return std::max<std::int64_t>(1, std::min(spread, largest));
}

void run_batches(const batch_steps& steps, unsigned threads) {
    if (steps.batches <= 0) return;
    std::vector<std::string> made[2];
    steps.read(0, 0);
    // Step b makes batch b while batch b + 1 is read and batch b - 1 is
    // written; the last step only writes.
    for (std::int64_t b = 0; b <= steps.batches; ++b) {
        const int cur = static_cast<int>(b % 2);
        const int other = 1 - cur;
        std::vector<std::string>& pieces = made[cur];
        const std::size_t count = b < steps.batches ? steps.pieces(b) : 0;
        if (pieces.size() < count) pieces.resize(count);
        plat::parallel_for(2 + count, threads, [&](std::size_t job) {
            if (job == 0) {
                if (b + 1 < steps.batches) steps.read(b + 1, other);
            } else if (job == 1) {
                for (std::string& piece : made[other]) {
                    if (!piece.empty()) steps.write(piece);
                    piece.clear();
                }
            } else {
                // Made in a string of this thread's own and handed over at
                // the end: the pieces' strings lie side by side, and growing
                // them in place from several threads would make every
                // append fight over the same cache lines.
                std::string buf;
                buf.swap(pieces[job - 2]);
                buf.clear();
                steps.make(b, cur, job - 2, buf);
                pieces[job - 2].swap(buf);
            }
        });
    }
}

}  // namespace vt
