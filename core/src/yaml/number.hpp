// The integer and float spellings that YAML plain scalars (and !!int / !!float) accept.
#pragma once

#include <cstdint>
#include <string_view>

namespace tarnevo::detail::yaml {

struct IntegerScan {
  enum class Kind : std::uint8_t {
    NotInteger,   // not an integer spelling, or too wide even for 128 bits
    LeadingZero,  // decimal digits beginning with 0 (012, +007, -01): neither integer nor float
    Unsigned,     // 0 and up, in `unsigned_value`
    Signed,       // negative, in `signed_value`
    OutOfRange,   // fits 128 bits but not the 64-bit forms
  };
  Kind kind = Kind::NotInteger;
  std::uint64_t unsigned_value = 0;
  std::int64_t signed_value = 0;
};

// An optional "+" or "-", then "0x" hex, "0o" octal, "0b" binary or decimal digits; no second
// sign. -0 is the unsigned 0.
IntegerScan scan_integer(std::string_view text) noexcept;

struct FloatScan {
  enum class Kind : std::uint8_t {
    NotFloat,  // not a float spelling, or a decimal beyond the finite range (1e999)
    Special,   // .inf, -.inf or .nan in one of YAML's spellings: not representable in the tree
    Finite,    // in `value`; values below the subnormal range become a zero of their sign
  };
  Kind kind = Kind::NotFloat;
  double value = 0.0;
};

// .inf/.nan spellings, or a decimal float: an optional sign, digits with an optional fraction or
// a fraction alone (5., .5, 1.5), then an optional exponent. Digits only with a leading 0 and
// more than one digit (012) do not count.
FloatScan scan_float(std::string_view text) noexcept;

// What an untagged plain scalar spells, in one pass over it: an integer where scan_integer finds
// one, else a float where scan_float finds one, else neither (text: this includes leading zeros,
// 012, and decimals beyond the finite range, 1e999).
struct PlainNumber {
  enum class Kind : std::uint8_t { NotNumber, Integer, Float };
  Kind kind = Kind::NotNumber;
  IntegerScan integer;  // for Integer: Unsigned, Signed or OutOfRange
  FloatScan real;       // for Float: Special or Finite
};
PlainNumber scan_plain_number(std::string_view text) noexcept;

}  // namespace tarnevo::detail::yaml
