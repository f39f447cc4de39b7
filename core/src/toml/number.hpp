// TOML integers and floats.
#pragma once

#include <expected>
#include <string>
#include <string_view>

#include "tarnevo/value.hpp"

namespace tarnevo::detail::toml {

// `token` is the whole text of a value that is neither a string, a boolean nor a date or time.
// An integer (decimal with an optional sign, or 0x, 0o, 0b without one; underscores only between
// digits) in the 64-bit signed range becomes a Number; a float a float Number; inf and nan, with
// or without a sign, Null. Anything else fails with the description of what is wrong.
std::expected<LocaleValue, std::string> parse_toml_number(std::string_view token);

}  // namespace tarnevo::detail::toml
