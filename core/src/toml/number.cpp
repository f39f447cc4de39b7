#include "toml/number.hpp"

#include <cstdint>
#include <limits>

#include "text/decimal_float.hpp"

namespace tarnevo::detail::toml {
namespace {

constexpr std::uint64_t kMaxSigned = std::numeric_limits<std::int64_t>::max();

std::unexpected<std::string> fail(std::string_view description) {
  return std::unexpected(std::string(description));
}

int digit_value(char c) noexcept {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// A run of digits of `base` from `at`, each underscore between two digits. Returns where the run
// ends (at the first character that is neither), or nothing when it breaks those rules.
std::expected<std::size_t, std::string> scan_digits(std::string_view text, std::size_t at,
                                                    int base) {
  const std::size_t start = at;
  while (at < text.size()) {
    if (digit_value(text[at]) < base) {
      ++at;
    } else if (text[at] == '_') {
      if (at == start || at + 1 == text.size() || digit_value(text[at + 1]) >= base) {
        return fail("Error while parsing number: an underscore must sit between two digits");
      }
      ++at;
    } else {
      break;
    }
  }
  if (at == start) return fail("Error while parsing number: expected a digit");
  return at;
}

// The value of the digits in [from, to) (underscores skipped), if it fits in 64 bits.
std::expected<std::uint64_t, std::string> digits_value(std::string_view text, std::size_t from,
                                                       std::size_t to, int base) {
  std::uint64_t value = 0;
  bool overflow = false;
  for (std::size_t i = from; i < to; ++i) {
    if (text[i] == '_') continue;
    overflow |= __builtin_mul_overflow(value, static_cast<std::uint64_t>(base), &value);
    overflow |=
        __builtin_add_overflow(value, static_cast<std::uint64_t>(digit_value(text[i])), &value);
  }
  if (overflow) return fail("Error while parsing integer: value out of the 64-bit signed range");
  return value;
}

std::expected<LocaleValue, std::string> read_prefixed(std::string_view token, bool signed_) {
  const char prefix = token[1];
  const int base = prefix == 'x' ? 16 : prefix == 'o' ? 8 : 2;
  if (signed_) return fail("Error while parsing integer: a prefixed integer cannot have a sign");
  auto stop = scan_digits(token, 2, base);
  if (!stop) return std::unexpected(std::move(stop.error()));
  if (*stop != token.size())
    return fail("Error while parsing value: could not determine value type");
  auto value = digits_value(token, 2, *stop, base);
  if (!value) return std::unexpected(std::move(value.error()));
  if (*value > kMaxSigned) {
    return fail("Error while parsing integer: value out of the 64-bit signed range");
  }
  return LocaleValue::from_unsigned(*value);
}

std::expected<LocaleValue, std::string> read_float(std::string_view token, std::size_t at) {
  if (at < token.size() && token[at] == '.') {
    auto stop = scan_digits(token, at + 1, 10);
    if (!stop) return fail("Error while parsing float: expected digits after the decimal point");
    at = *stop;
  }
  if (at < token.size() && (token[at] == 'e' || token[at] == 'E')) {
    ++at;
    if (at < token.size() && (token[at] == '+' || token[at] == '-')) ++at;
    auto stop = scan_digits(token, at, 10);
    if (!stop) return fail("Error while parsing float: expected digits in the exponent");
    at = *stop;
  }
  if (at != token.size()) return fail("Error while parsing value: could not determine value type");

  // The float in the form parse_decimal_double reads: no '+', no underscores.
  std::string digits;
  digits.reserve(token.size());
  for (const char c : token) {
    if (c != '_' && c != '+') digits.push_back(c);
  }
  const auto value = text::parse_decimal_double(digits);
  if (!value) return fail("Error while parsing float: value out of the 64-bit float range");
  return LocaleValue::from_float(*value);
}

}  // namespace

std::expected<LocaleValue, std::string> parse_toml_number(std::string_view token) {
  const bool signed_ = token[0] == '+' || token[0] == '-';
  const bool negative = token[0] == '-';
  const std::string_view unsigned_part = token.substr(signed_ ? 1 : 0);
  if (unsigned_part == "inf" || unsigned_part == "nan") return LocaleValue::null();
  if (unsigned_part.size() >= 2 && unsigned_part[0] == '0' &&
      (unsigned_part[1] == 'x' || unsigned_part[1] == 'o' || unsigned_part[1] == 'b')) {
    return read_prefixed(unsigned_part, signed_);
  }

  const std::size_t start = signed_ ? 1 : 0;
  auto stop = scan_digits(token, start, 10);
  if (!stop) {
    if (start < token.size() && token[start] == '_')
      return std::unexpected(std::move(stop.error()));
    return fail("Error while parsing value: could not determine value type");
  }
  if (token[start] == '0' && *stop - start > 1) {
    return fail("Error while parsing number: leading zeros are not allowed");
  }
  if (*stop != token.size()) return read_float(token, *stop);

  auto magnitude = digits_value(token, start, *stop, 10);
  if (!magnitude) return std::unexpected(std::move(magnitude.error()));
  if (!negative) {
    if (*magnitude > kMaxSigned) {
      return fail("Error while parsing integer: value out of the 64-bit signed range");
    }
    return LocaleValue::from_unsigned(*magnitude);
  }
  if (*magnitude > kMaxSigned + 1) {
    return fail("Error while parsing integer: value out of the 64-bit signed range");
  }
  // Unsigned negation wraps to the two's complement bits, which the conversion keeps; -0 is 0.
  return LocaleValue::from_signed(static_cast<std::int64_t>(0 - *magnitude));
}

}  // namespace tarnevo::detail::toml
