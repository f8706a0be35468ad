// The data block: owned, zero-filled memory for the cells of a data matrix.
#pragma once

#include <cstddef>

namespace vt::plat {

// Holds the cells of one data matrix. Allocation never throws: a refused
// request leaves the block empty and reports false, so callers can return
// their own code (201 for a data matrix).
class data_block {
public:
    data_block() noexcept = default;
    ~data_block() { release(); }
    data_block(data_block&& other) noexcept : cells_(other.cells_), count_(other.count_) {
        other.cells_ = nullptr;
        other.count_ = 0;
    }
    data_block& operator=(data_block&& other) noexcept;
    data_block(const data_block&) = delete;
    data_block& operator=(const data_block&) = delete;

    // Replaces the block by `count` zero cells. False (block empty) when the
    // memory cannot be had or count * 8 bytes overflows.
    bool allocate(std::size_t count) noexcept;
    void release() noexcept;

    double* cells() noexcept { return cells_; }
    const double* cells() const noexcept { return cells_; }
    std::size_t size() const noexcept { return count_; }
    bool empty() const noexcept { return cells_ == nullptr; }

private:
    double* cells_ = nullptr;
    std::size_t count_ = 0;
};

// Test seam: while set, every allocation of a data block is refused.
void refuse_data_blocks(bool refuse) noexcept;

}  // namespace vt::plat
