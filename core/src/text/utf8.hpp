// UTF-8 checks shared by the loader and the façades.
#pragma once

#include <string>
#include <string_view>

namespace tarnevo::detail::text {

// True when `bytes` is well-formed UTF-8: no overlong forms, no encoded surrogates, nothing
// above U+10FFFF, no truncated sequence. ASCII runs are skipped sixteen bytes at a time
// (text/byte_scan.hpp).
bool is_valid_utf8(std::string_view bytes) noexcept;

// Length of the longest valid UTF-8 prefix of `bytes`.
std::size_t valid_utf8_prefix(std::string_view bytes) noexcept;

// Appends the UTF-8 form of a Unicode scalar value (not a surrogate, at most U+10FFFF).
inline void append_utf8(std::string& out, char32_t code_point) {
  char bytes[4];
  std::size_t length;
  if (code_point < 0x80) {
    bytes[0] = static_cast<char>(code_point);
    length = 1;
  } else if (code_point < 0x800) {
    bytes[0] = static_cast<char>(0xC0 | code_point >> 6);
    bytes[1] = static_cast<char>(0x80 | (code_point & 0x3F));
    length = 2;
  } else if (code_point < 0x10000) {
    bytes[0] = static_cast<char>(0xE0 | code_point >> 12);
    bytes[1] = static_cast<char>(0x80 | (code_point >> 6 & 0x3F));
    bytes[2] = static_cast<char>(0x80 | (code_point & 0x3F));
    length = 3;
  } else {
    bytes[0] = static_cast<char>(0xF0 | code_point >> 18);
    bytes[1] = static_cast<char>(0x80 | (code_point >> 12 & 0x3F));
    bytes[2] = static_cast<char>(0x80 | (code_point >> 6 & 0x3F));
    bytes[3] = static_cast<char>(0x80 | (code_point & 0x3F));
    length = 4;
  }
  out.append(bytes, length);
}

// `bytes` with every maximal ill-formed subsequence replaced by U+FFFD.
std::string to_utf8_lossy(std::string_view bytes);

}  // namespace tarnevo::detail::text
