// Code page conversion between ANSI (Windows-1252) and OEM (code page 850),
// and the ANSI upper-case mapping.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vt::plat {

// One byte of OEM text (code page 850) as the ANSI byte that shows the same
// character. Characters ANSI lacks (box drawing, blocks, a few letters) map
// to a similar-looking ANSI character, so every byte has a result.
unsigned char oem_to_ansi(unsigned char c) noexcept;

// One byte of ANSI text as its OEM (code page 850) byte. Characters OEM
// lacks map to a similar-looking character; the five bytes without any
// character in Windows-1252 map to '?'.
unsigned char ansi_to_oem(unsigned char c) noexcept;

// Upper-cases one ANSI byte as the system's ANSI upper-case call does
// (ASCII letters, the accented Latin-1 letters, s/z with caron, the oe
// ligature and y with diaeresis; the German sharp s and the micro sign have
// no single-byte upper case and stay as they are).
unsigned char ansi_upper(unsigned char c) noexcept;

// In-place conversions of a buffer or string.
void oem_to_ansi(char* s, std::size_t n) noexcept;
void ansi_to_oem(char* s, std::size_t n) noexcept;
void ansi_upper(char* s, std::size_t n) noexcept;
inline void oem_to_ansi(std::string& s) noexcept { oem_to_ansi(s.data(), s.size()); }
inline void ansi_to_oem(std::string& s) noexcept { ansi_to_oem(s.data(), s.size()); }
inline void ansi_upper(std::string& s) noexcept { ansi_upper(s.data(), s.size()); }

// ANSI (Windows-1252) text as UTF-8, for documents that declare UTF-8.
// 0x80-0x9F become the characters Windows-1252 puts there (the euro sign,
// curly quotes, dashes, ...); the five bytes without a character there
// become the control characters of the same number, as the system's own
// conversion gives them. ASCII passes through unchanged.
std::string ansi_to_utf8(std::string_view text);

}  // namespace vt::plat
