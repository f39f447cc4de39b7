#include "text/decimal_float.hpp"

#include <charconv>
#include <system_error>

namespace tarnevo::detail::text {
namespace {

bool is_digit(char c) noexcept {
  return static_cast<unsigned char>(c - '0') < 10;
}

// For a well-formed number that std::from_chars found outside the double range: true when it is
// too large, false when it is too small. The decimal exponent of its leading non-zero digit tells
// them apart, since overflow needs an exponent above 300 and underflow one below -300.
bool too_large_for_double(const char* p, const char* end) noexcept {
  if (*p == '-') ++p;
  long long leading_exponent = 0;
  bool found_nonzero = false;
  const char* const whole = p;
  while (p != end && is_digit(*p)) ++p;
  for (const char* q = whole; q != p; ++q) {
    if (*q != '0') {
      leading_exponent = p - q - 1;
      found_nonzero = true;
      break;
    }
  }
  if (p != end && *p == '.') {
    const char* const fraction = ++p;
    while (p != end && is_digit(*p)) ++p;
    for (const char* q = fraction; q != p && !found_nonzero; ++q) {
      if (*q != '0') {
        leading_exponent = -(q - fraction + 1);
        found_nonzero = true;
      }
    }
  }
  long long exponent = 0;
  if (p != end && (*p == 'e' || *p == 'E')) {
    ++p;
    const bool negative = p != end && *p == '-';
    if (p != end && (*p == '+' || *p == '-')) ++p;
    // Saturate: only the sign of the sum matters, and the digit run may be arbitrarily long.
    for (; p != end && is_digit(*p); ++p) {
      if (exponent < 1'000'000'000'000LL) exponent = exponent * 10 + (*p - '0');
    }
    if (negative) exponent = -exponent;
  }
  return found_nonzero && leading_exponent + exponent > 0;
}

}  // namespace

std::optional<double> parse_decimal_double(std::string_view text) noexcept {
  const char* const start = text.data();
  const char* const stop = start + text.size();
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(start, stop, value);
  if (ec == std::errc()) return value;
  // from_chars reports underflow the same way as overflow, leaving `value` untouched.
  if (too_large_for_double(start, stop)) return std::nullopt;
  return *start == '-' ? -0.0 : 0.0;
}

}  // namespace tarnevo::detail::text
