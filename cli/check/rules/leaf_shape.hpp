// How reports describe a leaf value, and which strings hold no text.
#pragma once

#include <string>
#include <string_view>

#include "tarnevo/value.hpp"

namespace tarnevo::cli {

// "string", "number", "boolean", "date-time" (a TOML date or time) or "array of N".
std::string shape_of(const LocaleValue& leaf);

// Same kind and, for arrays, the same length. Both values are non-null leaves.
bool same_shape(const LocaleValue& a, const LocaleValue& b) noexcept;

// Empty, or only characters with the Unicode White_Space property (tabs, line breaks, spaces,
// no-break spaces, the ideographic space, ...). `text` is UTF-8.
bool is_blank(std::string_view text) noexcept;

}  // namespace tarnevo::cli
