// The DBF writer: header, field descriptors, fixed-width records, end mark.
//
// The file, all integers little-endian:
//
//     header (32 bytes)      0      version 3
//                            1-3    date of the last header write: year - 1900, month, day
//                            4-7    number of records
//                            8-9    header length = 32 * fields + 33
//                            10-11  record length = 1 + sum of the field widths
//                            12-31  zero
//     descriptor (32 bytes,  0-10   name, zero-padded
//     one per field)         11     type 'C' or 'N'
//                            12-15  zero
//                            16     width
//                            17     decimals (0 for text)
//                            18-31  zero, except byte 20 which is 1
//     header end             0x0D
//     records                deletion flag ' ', then each field in its width
//     file end               0x1A
//
// The header is written once when the file is opened (0 records) and once
// more when it is closed, with the final record count.
#include "export/dbf.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

#include "core/byteorder.h"
#include "core/numfmt.h"
#include "core/outfile.h"
#include "platform/fsinfo.h"

namespace vt::dbf {

namespace {

constexpr int descriptor_size = 32;
constexpr std::uint8_t header_end = 0x0D;
constexpr char file_end = 0x1A;

constexpr const char* messages[] = {
    "DBFALLOC: allocation error dbf_file",
    "DBFALLOC: allocation error: fld_des*[]",
    "DBFALLOC: allocation error: fld_des[0]",
    "DBFALLOC: allocation error: fld_des[i]",
    "DBFALLOC: allocation error: record buffer",
    "DBFCLOSE: seek error, end of file",
    "DBFCLOSE: write error",
    "DBFLDSET: fld_num out of range",
    "DBFLDSET: dec_pos not valid for field, ignored",
    "DBFNEXTR: read error",
    "DBFOPEN: both datafile names are empty",
    "DBFOPEN: error in copy",
    "DBFOPEN: Error opening file",
    "DBFOPEN: Error closing file",
    "DBFOPEN: lseek error",
    "DBFRHDR: read error",
    "DBFRHDR: Not dBase III format",
    "DBFRHDR: allocation error",
    "DBFRHDR: record size check error",
    "DBFRHDR: no <CR> after header",
    "DBFRHDR seek error, end of header",
    "DBFSEEK: Seek past EOF on Input file",
    "DBFWHDR seek error, beginning of file",
    "DBFWHDR: write error",
    "DBFWREC: write error",
    "DBPRINTF: error forming record",
    "DBPRINTF: error writing record",
};
constexpr int message_count = static_cast<int>(sizeof messages / sizeof messages[0]);

void put_zeros(out_file& f, int n) {
    for (int i = 0; i < n; ++i) put_u8(f, 0);
}

// The 32-byte block at the start of the file.
void write_file_header(out_file& h, const date& stamp, std::uint32_t records, int header_length,
                       int record_length) {
    put_u8(h, 3);
    put_u8(h, static_cast<std::uint8_t>(stamp.year - 1900));
    put_u8(h, static_cast<std::uint8_t>(stamp.month));
    put_u8(h, static_cast<std::uint8_t>(stamp.day));
    put_u32le(h, records);
    put_u16le(h, static_cast<std::uint16_t>(header_length));
    put_u16le(h, static_cast<std::uint16_t>(record_length));
    put_zeros(h, 20);
}

// One 32-byte field descriptor.
void write_field_descriptor(out_file& h, const field& f) {
    const std::size_t name = f.name.size() < 11 ? f.name.size() : 11;
    h.write(f.name.data(), name);
    put_zeros(h, static_cast<int>(11 - name));
    put_u8(h, static_cast<std::uint8_t>(f.type));
    put_zeros(h, 4);
    put_u8(h, static_cast<std::uint8_t>(f.width));
    put_u8(h, static_cast<std::uint8_t>(f.decimals));
    put_zeros(h, 2);
    put_u8(h, 1);
    put_zeros(h, 11);
}

}  // namespace

const char* error_message(int code) noexcept {
    if (code < 1 || code > message_count) return "dbfer: invalid error value";
    return messages[code - 1];
}

int report_error(int code) noexcept {
    std::printf("\n*** DBF error %d - %s\n", code, error_message(code));
    std::fflush(stdout);
    return code;
}

date today() noexcept {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) return {};
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

writer::writer(int field_count) {
    fields_.resize(static_cast<std::size_t>(field_count < 0 ? 1 : field_count + 1),
                   field{"***NULL***", ' ', 0, 0, 1});
    fields_[0] = field{"deleted?", '*', 1, 0, 0};
    header_length_ = descriptor_size * this->field_count() + 33;
    record_.assign(1, ' ');
}

writer::~writer() = default;

int writer::fail(int code) noexcept {
    last_error_ = code;
    return report_error(code);
}

int writer::set_field(int number, std::string_view name, char type, int width, int decimals) {
    if (number < 1 || number > field_count()) return fail(err_field_range);
    field& f = fields_[static_cast<std::size_t>(number)];
    if (!name.empty()) f.name.assign(name.substr(0, 11));
    f.type = type;
    if (width < 0) width = 0;
    const int change = width - f.width;
    f.width = width;
    for (std::size_t k = static_cast<std::size_t>(number) + 1; k < fields_.size(); ++k) fields_[k].offset += change;
    record_length_ += change;
    record_.assign(static_cast<std::size_t>(record_length_), ' ');
    int rc = 0;
    f.decimals = 0;
    if (decimals != 0) {
        if (type == 'N')
            f.decimals = decimals;
        else
            rc = fail(err_decimals);
    }
    return rc;
}

bool writer::fits() const noexcept {
    if (header_length_ > max_length || record_length_ > max_length) return false;
    for (std::size_t k = 1; k < fields_.size(); ++k)
        if (fields_[k].width > max_width || fields_[k].decimals < 0 || fields_[k].decimals > max_width) return false;
    return true;
}

std::string writer::header_bytes(const date& stamp) const {
    std::string h;
    out_file bytes(static_cast<std::size_t>(header_length_));
    bytes.open_memory(h);
    write_file_header(bytes, stamp, records_, header_length_, record_length_);
    for (int k = 1; k <= field_count(); ++k) write_field_descriptor(bytes, fields_[static_cast<std::size_t>(k)]);
    put_u8(bytes, header_end);
    bytes.close();
    return h;
}

int writer::write_header(const date& stamp) {
    std::FILE* fp = file_.stream();
    if (std::fseek(fp, 0, SEEK_SET) != 0) return fail(err_header_seek);
    const std::string h = header_bytes(stamp);
    if (std::fwrite(h.data(), 1, h.size(), fp) != h.size()) return fail(err_header_write);
    return 0;
}

int writer::open(const std::string& path, const date& stamp) {
    // The old file of that name stays until the new one is closed whole.
    if (!file_.open(path)) return fail(err_open);
    records_ = 0;
    record_failed_ = false;
    return write_header(stamp);
}

char* writer::field_bytes(char* record, int number) const {
    if (number < 1 || number > field_count()) return nullptr;
    const field& f = fields_[static_cast<std::size_t>(number)];
    if (f.width <= 0) return nullptr;
    char* p = record + f.offset;
    std::fill(p, p + f.width, ' ');
    return p;
}

void writer::put_text(int number, std::string_view text) { put_text(record_.data(), number, text); }

void writer::put_number(int number, double value) { put_number(record_.data(), number, value); }

void writer::put_text(char* record, int number, std::string_view text) const {
    char* p = field_bytes(record, number);
    if (p == nullptr) return;
    const std::size_t width = static_cast<std::size_t>(fields_[static_cast<std::size_t>(number)].width);
    text.substr(0, width).copy(p, width);
}

void writer::put_number(char* record, int number, double value) const {
    char* p = field_bytes(record, number);
    if (p == nullptr) return;
    const field& f = fields_[static_cast<std::size_t>(number)];
    const std::size_t width = static_cast<std::size_t>(f.width);
    // Room for any number a field can describe: a sign, the 309 integer
    // digits of the largest double, the point and 255 decimals. Printed
    // without the width; the blanks in front come from the field itself.
    // The exact fixed-point formatter gives printf's bytes for the decimals
    // a table can have; beyond those printf itself is asked.
    char text[640];
    std::size_t length = 0;
    if (f.decimals >= 0 && f.decimals <= max_decimals) {
        length = format_fixed(text, value, f.decimals);
    } else {
        const int printed = std::snprintf(text, sizeof text, "%.*f", f.decimals, value);
        if (printed < 0) return;
        length = static_cast<std::size_t>(printed);
    }
    const std::size_t kept = length < sizeof text ? length : sizeof text - 1;
    if (length <= width) {
        if (kept < length) {
            std::fill(p, p + width, '*');  // a field wider than any header can state
            return;
        }
        std::copy(text, text + length, p + (width - length));
        return;
    }
    // Cutting is only harmless while it removes decimals: the integer part
    // (everything before the point) must still be whole.
    const std::string_view shown(text, kept);
    const std::size_t point = shown.find('.');
    const std::size_t integer_end = point == std::string_view::npos ? length : point;
    if (integer_end > width || width > kept) {
        std::fill(p, p + width, '*');
        return;
    }
    std::copy(text, text + width, p);
}

// Records are gathered in a large buffer and handed to the file in one
// write per buffer, not one per record.
bool writer::flush_records() {
    if (pending_.empty()) return true;
    std::FILE* fp = file_.stream();
    const bool ok = fp != nullptr && std::fwrite(pending_.data(), 1, pending_.size(), fp) == pending_.size();
    // Records that did not reach the file are not counted.
    if (!ok) records_ -= static_cast<std::uint32_t>(pending_.size() / record_.size());
    pending_.clear();
    return ok;
}

int writer::write_record() {
    record_[0] = ' ';
    if (file_.stream() == nullptr) {
        record_failed_ = true;
        return fail(err_record_write);
    }
    if (pending_.capacity() == 0) pending_.reserve(std::max(record_buffer, record_.size()));
    if (pending_.size() + record_.size() > pending_.capacity() && !flush_records()) {
        record_failed_ = true;
        return fail(err_record_write);
    }
    pending_.insert(pending_.end(), record_.begin(), record_.end());
    ++records_;
    return 0;
}

int writer::write_records(std::string_view records) {
    const std::size_t length = record_.size();
    if (file_.stream() == nullptr || records.size() % length != 0) {
        record_failed_ = true;
        return fail(err_record_write);
    }
    if (!flush_records()) {
        record_failed_ = true;
        return fail(err_record_write);
    }
    const std::size_t count = records.size() / length;
    if (std::fwrite(records.data(), 1, records.size(), file_.stream()) != records.size()) {
        record_failed_ = true;
        return fail(err_record_write);
    }
    records_ += static_cast<std::uint32_t>(count);
    return 0;
}

int writer::close(const date& stamp) {
    std::FILE* fp = file_.stream();
    if (fp == nullptr) return 0;
    int rc = 0;
    if (!flush_records())
        rc = fail(err_record_write);
    else if (std::fseek(fp, 0, SEEK_END) != 0)
        rc = fail(err_seek_end);
    else if (std::fputc(file_end, fp) == EOF)
        rc = fail(err_close_write);
    if (const int h = write_header(stamp); h != 0 && rc == 0) rc = h;
    if (rc == 0 && record_failed_) rc = err_record_write;
    if (rc != 0)
        file_.abandon();
    else if (!file_.commit())
        rc = fail(err_close_write);
    return rc;
}

}  // namespace vt::dbf
