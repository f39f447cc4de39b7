#include "text/utf8.hpp"

#include "text/byte_scan.hpp"

#include <cstdint>
#include <cstring>

namespace tarnevo::detail::text {
namespace {

// Length of the well-formed sequence starting at `at`, or 0 when it is ill-formed; `*consumed`
// is then the length of the maximal ill-formed subpart (at least 1), as the Unicode standard's
// substitution practice counts it.
std::size_t sequence_length(const unsigned char* at, const unsigned char* end,
                            std::size_t* consumed) noexcept {
  const unsigned char lead = at[0];
  std::size_t length;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead < 0x80) {
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // overlong
    if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
  } else {
    *consumed = 1;
    return 0;
  }
  std::size_t k = 1;
  for (; k < length; ++k) {
    if (at + k >= end) break;
    const unsigned char next = at[k];
    const unsigned char lo = k == 1 ? low : 0x80;
    const unsigned char hi = k == 1 ? high : 0xBF;
    if (next < lo || next > hi) break;
  }
  if (k == length) return length;
  *consumed = k;
  return 0;
}

}  // namespace

std::size_t valid_utf8_prefix(std::string_view bytes) noexcept {
  const auto* const begin = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* const end = begin + bytes.size();
  const unsigned char* at = begin;
  for (;;) {
    at = skip_ascii(at, end);
    if (at == end) break;
    std::size_t consumed = 0;
    const std::size_t length = sequence_length(at, end, &consumed);
    if (length == 0) break;
    at += length;
  }
  return static_cast<std::size_t>(at - begin);
}

bool is_valid_utf8(std::string_view bytes) noexcept {
  return valid_utf8_prefix(bytes) == bytes.size();
}

std::string to_utf8_lossy(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  while (!bytes.empty()) {
    const std::size_t valid = valid_utf8_prefix(bytes);
    text.append(bytes.substr(0, valid));
    bytes.remove_prefix(valid);
    if (bytes.empty()) break;
    std::size_t consumed = 1;
    const auto* at = reinterpret_cast<const unsigned char*>(bytes.data());
    sequence_length(at, at + bytes.size(), &consumed);
    text.append("\xEF\xBF\xBD");
    bytes.remove_prefix(consumed);
  }
  return text;
}

}  // namespace tarnevo::detail::text
