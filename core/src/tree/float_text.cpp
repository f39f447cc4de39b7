// Float text for the JSON writer. std::to_chars in scientific form with no precision gives the
// shortest digits that read back to the same double (the nearest such string on ties); the
// rest is placing those digits by the writer's notation rules.
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "tree/write_json.hpp"

namespace tarnevo::detail::tree {

void write_json_float(double value, ByteBuffer& out) {
  if (!std::isfinite(value)) {
    out.append("null", 4);
    return;
  }
  if (value == 0.0) {
    if (std::signbit(value)) {
      out.append("-0.0", 4);
    } else {
      out.append("0.0", 3);
    }
    return;
  }

  char scientific[32];
  const char* const end = std::to_chars(scientific, scientific + sizeof scientific, value,
                                        std::chars_format::scientific)
                              .ptr;

  // Split "-d.ddde+XX" into sign, digits and decimal exponent.
  const char* cursor = scientific;
  const bool negative = *cursor == '-';
  if (negative) ++cursor;
  char digits[24];
  int digit_count = 0;
  while (cursor != end && *cursor != 'e') {
    if (*cursor != '.') digits[digit_count++] = *cursor;
    ++cursor;
  }
  int exponent = 0;
  if (cursor != end) {
    ++cursor;  // 'e'
    const bool exponent_negative = *cursor == '-';
    if (*cursor == '-' || *cursor == '+') ++cursor;
    std::from_chars(cursor, end, exponent);
    if (exponent_negative) exponent = -exponent;
  }

  // At most: sign, "0.", four zeros and 17 digits; or 17 digits, 15 zeros and ".0".
  char* at = out.reserve_tail(40);
  char* const start = at;
  if (negative) *at++ = '-';
  if (exponent >= -5 && exponent <= 15) {
    if (exponent >= digit_count - 1) {
      for (int k = 0; k < digit_count; ++k) *at++ = digits[k];
      for (int k = 0; k < exponent - digit_count + 1; ++k) *at++ = '0';
      *at++ = '.';
      *at++ = '0';
    } else if (exponent >= 0) {
      for (int k = 0; k < digit_count; ++k) {
        if (k == exponent + 1) *at++ = '.';
        *at++ = digits[k];
      }
    } else {
      *at++ = '0';
      *at++ = '.';
      for (int k = 0; k < -exponent - 1; ++k) *at++ = '0';
      for (int k = 0; k < digit_count; ++k) *at++ = digits[k];
    }
  } else {
    *at++ = digits[0];
    if (digit_count > 1) {
      *at++ = '.';
      for (int k = 1; k < digit_count; ++k) *at++ = digits[k];
    }
    *at++ = 'e';
    *at++ = exponent < 0 ? '-' : '+';
    at = std::to_chars(at, at + 4, std::abs(exponent)).ptr;
  }
  out.commit(static_cast<std::size_t>(at - start));
}

}  // namespace tarnevo::detail::tree
