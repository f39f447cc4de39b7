// Reading one JSON number into a tree value.
#pragma once

#include <expected>

#include "json/failure.hpp"
#include "tarnevo/value.hpp"

namespace tarnevo::detail::json {

// Reads the number starting at `cursor` (a '-' or a digit) by the strict JSON grammar and leaves
// `cursor` just past it. Integers from 0 to 2^64-1 become unsigned, negative ones down to -2^63
// signed, "-0" the float -0.0; every other number is a correctly rounded double. A magnitude too
// large for a double fails; one too small even for a subnormal becomes a zero of the same sign.
std::expected<LocaleValue, JsonFailure> read_json_number(const char*& cursor, const char* end);

}  // namespace tarnevo::detail::json
