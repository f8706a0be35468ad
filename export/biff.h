// The records of a version-2 worksheet (BIFF2) that the worksheet export
// writes, one small writer per record.
//
// Every record is a type (u16) and a body length (u16) followed by the
// body; all integers are little-endian:
//
//     BOF       09 00  04 00  | version 2 (u16) | 0x0010 worksheet (u16)
//     COLWIDTH  24 00  04 00  | first col (u8) | last col (u8) | width (u16, 1/256 char)
//     LABEL     04 00  8+n    | row (u16) | col (u16) | 3 attribute bytes | n (u8) | n bytes
//     NUMBER    03 00  0F 00  | row (u16) | col (u16) | 00 00 03 | IEEE double
//     EOF       0A 00  00 00
#pragma once

#include <cstdint>
#include <string_view>

#include "core/outfile.h"

namespace vt::biff {

inline constexpr std::uint16_t rec_bof = 0x0009;
inline constexpr std::uint16_t rec_colwidth = 0x0024;
inline constexpr std::uint16_t rec_label = 0x0004;
inline constexpr std::uint16_t rec_number = 0x0003;
inline constexpr std::uint16_t rec_eof = 0x000A;

// The last attribute byte of a cell: how its content is aligned.
inline constexpr std::uint8_t align_left = 0x01;
inline constexpr std::uint8_t align_right = 0x03;

// The longest text a LABEL can hold: its length is one byte.
inline constexpr std::size_t max_label = 255;

void write_bof(out_file& f);

// The width of one column, in 1/256 of a character.
void write_colwidth(out_file& f, std::uint8_t column, std::uint16_t width);

// A text cell with the attribute bytes 00 40 <align>. A text longer than
// max_label bytes is cut to max_label; the bytes go out as given.
void write_label(out_file& f, std::uint16_t row, std::uint16_t column, std::string_view text,
                 std::uint8_t align = align_left);

// A number cell, right-aligned (attribute bytes 00 00 03).
void write_number(out_file& f, std::uint16_t row, std::uint16_t column, double value);

void write_eof(out_file& f);

}  // namespace vt::biff
