#include "yaml/number.hpp"

#include <charconv>
#include <cstddef>
#include <limits>

namespace tarnevo::detail::yaml {

namespace {

using u128 = unsigned __int128;

constexpr u128 kU128Max = ~static_cast<u128>(0);
constexpr u128 kI64MinMagnitude = static_cast<u128>(1) << 63;
constexpr u128 kI128MinMagnitude = static_cast<u128>(1) << 127;

bool is_decimal(char c) noexcept {
  return c >= '0' && c <= '9';
}

// The digit's value in `radix`, or -1 when it is not a digit of that radix.
int digit_value(char c, unsigned radix) noexcept {
  int value = -1;
  if (c >= '0' && c <= '9') {
    value = c - '0';
  } else if (c >= 'a' && c <= 'f') {
    value = c - 'a' + 10;
  } else if (c >= 'A' && c <= 'F') {
    value = c - 'A' + 10;
  }
  return value >= 0 && static_cast<unsigned>(value) < radix ? value : -1;
}

std::size_t count_decimals(std::string_view text, std::size_t from) noexcept {
  std::size_t end = from;
  while (end < text.size() && is_decimal(text[end])) ++end;
  return end - from;
}

// For a decimal that from_chars found out of range: does it overflow (true) or underflow? Only
// the decimal exponent of its first significant digit matters, as out-of-range values are either
// at least 1.7e308 or below 4.9e-324.
bool magnitude_overflows(std::string_view mantissa_digits_int, std::string_view fraction,
                         std::string_view exponent_text) noexcept {
  std::int64_t exponent = 0;
  std::size_t i = 0;
  bool negative_exponent = false;
  if (i < exponent_text.size() && (exponent_text[i] == '+' || exponent_text[i] == '-')) {
    negative_exponent = exponent_text[i] == '-';
    ++i;
  }
  constexpr std::int64_t kClamp = 1'000'000'000;
  for (; i < exponent_text.size(); ++i) {
    exponent = exponent * 10 + (exponent_text[i] - '0');
    if (exponent > kClamp) exponent = kClamp;
  }
  if (negative_exponent) exponent = -exponent;

  std::size_t first = 0;
  while (first < mantissa_digits_int.size() && mantissa_digits_int[first] == '0') ++first;
  if (first < mantissa_digits_int.size()) {
    const auto significant = static_cast<std::int64_t>(mantissa_digits_int.size() - first);
    return significant - 1 + exponent >= 0;
  }
  std::size_t zeros = 0;
  while (zeros < fraction.size() && fraction[zeros] == '0') ++zeros;
  return -static_cast<std::int64_t>(zeros) - 1 + exponent >= 0;
}

bool is_one_of(std::string_view text, std::string_view a, std::string_view b,
               std::string_view c) noexcept {
  return text == a || text == b || text == c;
}

// A run of digits of `radix` from `from` on, read into a 128-bit magnitude as it goes.
struct DigitRun {
  std::size_t end = 0;  // the first byte that is not such a digit
  u128 magnitude = 0;
  bool too_wide = false;  // beyond 128 bits
};

DigitRun read_digits(std::string_view text, std::size_t from, unsigned radix) noexcept {
  DigitRun run;
  std::size_t j = from;
  for (; j < text.size(); ++j) {
    const int digit = digit_value(text[j], radix);
    if (digit < 0) break;
    if (run.magnitude > (kU128Max - static_cast<unsigned>(digit)) / radix) run.too_wide = true;
    if (!run.too_wide) run.magnitude = run.magnitude * radix + static_cast<unsigned>(digit);
  }
  run.end = j;
  return run;
}

// The integer that a sign and a magnitude of at most 128 bits make.
IntegerScan integer_of(bool negative, u128 magnitude) noexcept {
  using Kind = IntegerScan::Kind;
  IntegerScan scan;
  if (!negative || magnitude == 0) {
    if (magnitude > std::numeric_limits<std::uint64_t>::max()) {
      scan.kind = Kind::OutOfRange;
    } else {
      scan.kind = Kind::Unsigned;
      scan.unsigned_value = static_cast<std::uint64_t>(magnitude);
    }
    return scan;
  }
  if (magnitude <= kI64MinMagnitude) {
    scan.kind = Kind::Signed;
    // Negate in unsigned arithmetic: -2^63 has no positive counterpart.
    scan.signed_value = static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(magnitude));
  } else if (magnitude <= kI128MinMagnitude) {
    scan.kind = Kind::OutOfRange;
  }
  return scan;
}

// "0x", "0o" or "0b" at `at`: the radix it selects, or 10 when there is none.
unsigned radix_at(std::string_view text, std::size_t at) noexcept {
  if (at + 1 >= text.size() || text[at] != '0') return 10;
  switch (text[at + 1]) {
    case 'x':
      return 16;
    case 'o':
      return 8;
    case 'b':
      return 2;
    default:
      return 10;
  }
}

bool is_special_float(std::string_view body, char sign) noexcept {
  return is_one_of(body, ".inf", ".Inf", ".INF") ||
         (sign == '\0' && is_one_of(body, ".nan", ".NaN", ".NAN"));
}

// A decimal float whose integer digits are [int_begin, int_end): the rest of its grammar from
// int_end on, and its value.
FloatScan float_after_digits(std::string_view text, char sign, std::size_t int_begin,
                             std::size_t int_end) noexcept {
  using Kind = FloatScan::Kind;
  FloatScan scan;
  const std::size_t int_digits = int_end - int_begin;
  const std::string_view int_part = text.substr(int_begin, int_digits);
  std::size_t i = int_end;
  std::string_view fraction;
  bool has_point = false;
  if (i < text.size() && text[i] == '.') {
    has_point = true;
    const std::size_t frac_digits = count_decimals(text, i + 1);
    fraction = text.substr(i + 1, frac_digits);
    i += 1 + frac_digits;
  }
  if (int_digits == 0 && fraction.empty()) return scan;
  std::string_view exponent;
  bool has_exponent = false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    has_exponent = true;
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    const std::size_t exp_digits = count_decimals(text, j);
    if (exp_digits == 0) return scan;
    exponent = text.substr(i + 1, j + exp_digits - (i + 1));
    i = j + exp_digits;
  }
  if (i != text.size()) return scan;
  if (!has_point && !has_exponent && int_digits > 1 && int_part[0] == '0') return scan;

  // from_chars takes no "+"; the text is otherwise in its grammar.
  const char* first = text.data() + (sign == '+' ? 1 : 0);
  double value = 0.0;
  const auto result = std::from_chars(first, text.data() + text.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    if (magnitude_overflows(int_part, fraction, exponent)) return scan;
    value = sign == '-' ? -0.0 : 0.0;
  } else if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
    return scan;
  }
  scan.kind = Kind::Finite;
  scan.value = value;
  return scan;
}

char sign_of(std::string_view text) noexcept {
  return !text.empty() && (text[0] == '+' || text[0] == '-') ? text[0] : '\0';
}

}  // namespace

IntegerScan scan_integer(std::string_view text) noexcept {
  const char sign = sign_of(text);
  const std::size_t after_sign = sign != '\0' ? 1 : 0;
  const unsigned radix = radix_at(text, after_sign);
  const std::size_t begin = after_sign + (radix != 10 ? 2 : 0);
  if (begin == text.size()) return {};
  const DigitRun run = read_digits(text, begin, radix);
  if (run.end != text.size()) return {};
  if (radix == 10 && text.size() - begin > 1 && text[begin] == '0') {
    IntegerScan scan;
    scan.kind = IntegerScan::Kind::LeadingZero;
    return scan;
  }
  // Wider than 128 bits: the float rules get their turn.
  if (run.too_wide) return {};
  return integer_of(sign == '-', run.magnitude);
}

FloatScan scan_float(std::string_view text) noexcept {
  const char sign = sign_of(text);
  const std::size_t begin = sign != '\0' ? 1 : 0;
  if (is_special_float(text.substr(begin), sign)) return FloatScan{FloatScan::Kind::Special};
  return float_after_digits(text, sign, begin, begin + count_decimals(text, begin));
}

PlainNumber scan_plain_number(std::string_view text) noexcept {
  PlainNumber number;
  const char sign = sign_of(text);
  const std::size_t after_sign = sign != '\0' ? 1 : 0;
  const unsigned radix = radix_at(text, after_sign);
  if (radix != 10) {
    // Only an integer begins with a radix prefix.
    const std::size_t begin = after_sign + 2;
    const DigitRun run = read_digits(text, begin, radix);
    if (begin == text.size() || run.end != text.size() || run.too_wide) return number;
    number.integer = integer_of(sign == '-', run.magnitude);
    if (number.integer.kind != IntegerScan::Kind::NotInteger)
      number.kind = PlainNumber::Kind::Integer;
    return number;
  }
  const DigitRun run = read_digits(text, after_sign, 10);
  if (run.end == text.size() && run.end > after_sign && !run.too_wide) {
    // Digits alone: an integer, unless a leading zero makes it text.
    if (run.end - after_sign > 1 && text[after_sign] == '0') return number;
    number.integer = integer_of(sign == '-', run.magnitude);
    if (number.integer.kind != IntegerScan::Kind::NotInteger) {
      number.kind = PlainNumber::Kind::Integer;
      return number;
    }
    // Below -2^127: the float rules get their turn, as for digits beyond 128 bits.
  }
  // The digits read so far begin the float; what follows them decides.
  if (run.end == after_sign && is_special_float(text.substr(after_sign), sign)) {
    number.kind = PlainNumber::Kind::Float;
    number.real.kind = FloatScan::Kind::Special;
    return number;
  }
  number.real = float_after_digits(text, sign, after_sign, run.end);
  if (number.real.kind != FloatScan::Kind::NotFloat) number.kind = PlainNumber::Kind::Float;
  return number;
}

}  // namespace tarnevo::detail::yaml
