#include "json/number.hpp"

#include <cstdint>
#include <string_view>

#include "text/decimal_float.hpp"

namespace tarnevo::detail::json {
namespace {

bool is_digit(char c) noexcept {
  return static_cast<unsigned char>(c - '0') < 10;
}

std::unexpected<JsonFailure> fail(JsonProblem problem, const char* at) {
  return std::unexpected(JsonFailure{problem, at});
}

// Consumes a run of digits; fails unless there is at least one.
bool skip_digits(const char*& p, const char* end) noexcept {
  if (p == end || !is_digit(*p)) return false;
  do ++p;
  while (p != end && is_digit(*p));
  return true;
}

std::expected<LocaleValue, JsonFailure> read_double(const char* start, const char* stop) {
  if (const auto value = text::parse_decimal_double(std::string_view(start, stop - start))) {
    return LocaleValue::from_float(*value);
  }
  return fail(JsonProblem::NumberOutOfRange, stop - 1);
}

}  // namespace

std::expected<LocaleValue, JsonFailure> read_json_number(const char*& cursor, const char* end) {
  // A malformed number is blamed on the byte that cannot continue it, or on the end of the text.
  const char* const start = cursor;
  const char* p = cursor;
  const bool negative = *p == '-';
  if (negative) ++p;
  if (p == end) return fail(JsonProblem::InvalidNumber, end);

  std::uint64_t magnitude = 0;
  bool overflow = false;
  if (*p == '0') {
    ++p;
    if (p != end && is_digit(*p)) return fail(JsonProblem::InvalidNumber, p);
  } else if (is_digit(*p)) {
    // Nineteen decimal digits always fit in 64 bits; only the digits after them need checks.
    const char* const unchecked_end = end - p > 19 ? p + 19 : end;
    for (; p != unchecked_end && is_digit(*p); ++p) {
      magnitude = magnitude * 10 + static_cast<unsigned>(*p - '0');
    }
    for (; p != end && is_digit(*p); ++p) {
      overflow |= __builtin_mul_overflow(magnitude, 10U, &magnitude);
      overflow |= __builtin_add_overflow(magnitude, static_cast<unsigned>(*p - '0'), &magnitude);
    }
  } else {
    return fail(JsonProblem::InvalidNumber, p);
  }

  bool integral = true;
  if (p != end && *p == '.') {
    ++p;
    integral = false;
    if (!skip_digits(p, end)) return fail(JsonProblem::InvalidNumber, p);
  }
  if (p != end && (*p == 'e' || *p == 'E')) {
    ++p;
    integral = false;
    if (p != end && (*p == '+' || *p == '-')) ++p;
    if (!skip_digits(p, end)) return fail(JsonProblem::InvalidNumber, p);
  }
  cursor = p;

  if (integral && !overflow) {
    if (!negative) return LocaleValue::from_unsigned(magnitude);
    if (magnitude == 0) return LocaleValue::from_float(-0.0);
    if (magnitude <= std::uint64_t{1} << 63) {
      // Unsigned negation wraps to the two's complement bits, which the conversion keeps.
      return LocaleValue::from_signed(static_cast<std::int64_t>(0 - magnitude));
    }
  }
  return read_double(start, p);
}

}  // namespace tarnevo::detail::json
