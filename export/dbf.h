// The DBF writer: a table of fixed-width records in the dBase III file
// layout, written one record at a time, as the dBase exports produce it.
//
// A writer is made for a known number of fields, its fields are described
// (name, type, width, decimals), then the file is opened, records are put
// field by field and appended, and closing writes the end mark and the
// final header with the record count. Every failure is reported through
// report_error, which prints the code and its message on standard output
// and returns the code; the writer remembers the last one.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/staged.h"

namespace vt::dbf {

// Error codes of the writer (the message table also holds the codes of the
// reading side, which this system does not use).
inline constexpr int err_seek_end = 6;         // close: seek to the end failed
inline constexpr int err_close_write = 7;      // close: the end mark could not be written
inline constexpr int err_field_range = 8;      // set_field: no such field number
inline constexpr int err_decimals = 9;         // set_field: decimals on a field that is not "N"
inline constexpr int err_open = 13;            // open: the file cannot be created
inline constexpr int err_header_seek = 23;     // header: seek to the start failed
inline constexpr int err_header_write = 24;    // header: write failed
inline constexpr int err_record_write = 25;    // write_record: short write

// The message of an error code; "dbfer: invalid error value" for 0 and
// codes above 27.
const char* error_message(int code) noexcept;

// Prints "\n*** DBF error <code> - <message>\n" on standard output and
// returns code.
int report_error(int code) noexcept;

// The date stamped into the header: the full year, month 1-12, day 1-31.
struct date {
    int year = 1900;
    int month = 1;
    int day = 1;
};

// Today's date on the local clock.
date today() noexcept;

// The largest header and record length the 16-bit header fields can state,
// and the largest field width the one-byte descriptor field can.
inline constexpr int max_length = 65535;
inline constexpr int max_width = 255;

struct field {
    std::string name;   // at most 11 bytes
    char type = ' ';    // 'C' text, 'N' number
    int width = 0;
    int decimals = 0;
    int offset = 0;     // position in the record (0 is the deletion flag)
};

class writer {
public:
    // A writer for `field_count` fields, each a placeholder ("***NULL***",
    // type ' ', width 0) until set_field describes it. Field 0 is the
    // deletion flag (width 1, offset 0).
    explicit writer(int field_count);
    ~writer();
    writer(const writer&) = delete;
    writer& operator=(const writer&) = delete;

    // Describes field `number` (1 .. field count; else err_field_range and
    // nothing changes). The name is cut to 11 bytes; an empty name keeps the
    // old one. Decimals on a field that is not 'N' give err_decimals and
    // are dropped (the rest of the description still applies). A new width
    // moves the offsets of all later fields and the record length. Returns
    // 0 or the error code.
    int set_field(int number, std::string_view name, char type, int width, int decimals);

    // True when the header can state the fields: every width fits its byte
    // and the header and record lengths fit their 16 bits.
    bool fits() const noexcept;

    // Removes an existing file `path` ('\' counts as '/'), creates it and
    // writes the header with 0 records and the date `stamp`. Returns 0,
    // err_open, or the header's write error.
    int open(const std::string& path, const date& stamp);

    // Puts a text into field `number`: left-aligned, cut to the width,
    // padded with blanks. Numbers outside the fields are ignored.
    void put_text(int number, std::string_view text);

    // Puts a number into field `number` as printf "%<width>.<decimals>f"
    // prints it. A printed text longer than the width keeps its first
    // `width` characters when that cuts only decimals; when the integer
    // part itself does not fit, the field is filled with '*' (the usual
    // overflow mark of such files) rather than storing a number that reads
    // as a different magnitude.
    void put_number(int number, double value);

    // Appends the record buffer to the file; err_record_write when it could
    // not be written whole (also when no file is open).
    int write_record();

    // The same field writers on a record of the caller's (record_length()
    // bytes, its first the deletion flag), so that records can be made on
    // several threads at once: they read the field descriptions only.
    void put_text(char* record, int number, std::string_view text) const;
    void put_number(char* record, int number, double value) const;

    // Appends whole records made by the caller (a multiple of
    // record_length() bytes), as write_record appends them one by one.
    // err_record_write when they could not be written whole (also when no
    // file is open or the bytes are not whole records).
    int write_records(std::string_view records);

    // Appends the end mark 0x1A, writes the header again with the number of
    // records written and the date `stamp`, and closes the file. Returns 0
    // or the first error met (err_close_write, err_header_seek,
    // err_header_write; err_close_write also when the file system refuses
    // the final flush).
    int close(const date& stamp);

    // What the writer holds.
    int field_count() const noexcept { return static_cast<int>(fields_.size()) - 1; }
    const field& field_at(int number) const { return fields_.at(static_cast<std::size_t>(number)); }
    int record_length() const noexcept { return record_length_; }
    int header_length() const noexcept { return header_length_; }
    std::uint32_t record_count() const noexcept { return records_; }
    int last_error() const noexcept { return last_error_; }
    // The record being assembled (record_length() bytes).
    std::string_view record() const noexcept { return record_; }

private:
    int fail(int code) noexcept;
    int write_header(const date& stamp);
    std::string header_bytes(const date& stamp) const;
    char* field_bytes(char* record, int number) const;

    std::vector<field> fields_;   // [0] is the deletion flag
    int record_length_ = 1;
    int header_length_ = 33;
    std::uint32_t records_ = 0;
    bool flush_records();

    // Records written but not yet handed to the file.
    static constexpr std::size_t record_buffer = std::size_t{1} << 20;
    std::vector<char> pending_;

    std::string record_;
    plat::staged_file file_;  // the output, in place only once closed whole
    int last_error_ = 0;
    bool record_failed_ = false;  // a record was lost: the file is not put in place
};

}  // namespace vt::dbf
