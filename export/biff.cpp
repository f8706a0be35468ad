// The BIFF2 record writers of the worksheet export (layouts in biff.h).
#include "export/biff.h"

#include "core/byteorder.h"

namespace vt::biff {

void write_bof(out_file& f) {
    put_record_head(f, rec_bof, 4);
    put_u16le(f, 2);       // version
    put_u16le(f, 0x0010);  // a worksheet
}

void write_colwidth(out_file& f, std::uint8_t column, std::uint16_t width) {
    put_record_head(f, rec_colwidth, 4);
    put_u8(f, column);
    put_u8(f, column);  // a range of one column
    put_u16le(f, width);
}

void write_label(out_file& f, std::uint16_t row, std::uint16_t column, std::string_view text, std::uint8_t align) {
    if (text.size() > max_label) text = text.substr(0, max_label);
    const auto n = static_cast<std::uint8_t>(text.size());
    put_record_head(f, rec_label, static_cast<std::uint16_t>(8 + n));
    put_u16le(f, row);
    put_u16le(f, column);
    put_u8(f, 0x00);
    put_u8(f, 0x40);
    put_u8(f, align);
    put_u8(f, n);
    f.write(text);
}

void write_number(out_file& f, std::uint16_t row, std::uint16_t column, double value) {
    put_record_head(f, rec_number, 15);
    put_u16le(f, row);
    put_u16le(f, column);
    put_u8(f, 0x00);
    put_u8(f, 0x00);
    put_u8(f, 0x03);
    put_f64le(f, value);
}

void write_eof(out_file& f) { put_record_head(f, rec_eof, 0); }

}  // namespace vt::biff
