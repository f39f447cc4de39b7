// Decimal float text to a double, shared by the JSON and TOML number readers.
#pragma once

#include <optional>
#include <string_view>

namespace tarnevo::detail::text {

// `text` is a well-formed decimal float in JSON's form: an optional '-', digits, an optional
// fraction and an optional exponent. Returns the correctly rounded double; a magnitude too small
// even for a subnormal gives a zero of the same sign, one too large for a finite double nothing.
std::optional<double> parse_decimal_double(std::string_view text) noexcept;

}  // namespace tarnevo::detail::text
