// Little-endian put helpers for the binary writers (worksheets, database
// files): each value is written byte by byte, lowest byte first, so the
// files come out the same on any host and no struct is ever copied whole.
#pragma once

#include <bit>
#include <cstdint>

#include "core/outfile.h"

namespace vt {

inline void put_u8(out_file& f, std::uint8_t v) { f.put(static_cast<char>(v)); }

inline void put_u16le(out_file& f, std::uint16_t v) {
    f.put(static_cast<char>(v & 0xFF));
    f.put(static_cast<char>(v >> 8));
}

inline void put_u32le(out_file& f, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) f.put(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// The head of a record of the binary worksheet formats: its type and the
// length of the body that follows.
inline void put_record_head(out_file& f, std::uint16_t type, std::uint16_t length) {
    put_u16le(f, type);
    put_u16le(f, length);
}

// An IEEE 754 double as its 8 bytes, lowest first.
inline void put_f64le(out_file& f, double v) {
    const auto bits = std::bit_cast<std::uint64_t>(v);
    for (int i = 0; i < 8; ++i) f.put(static_cast<char>((bits >> (8 * i)) & 0xFF));
}

}  // namespace vt
