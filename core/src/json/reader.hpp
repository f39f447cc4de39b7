// The JSON reader behind parse_locale_text.
#pragma once

#include <expected>
#include <string_view>

#include "tarnevo/format.hpp"
#include "tarnevo/value.hpp"

namespace tarnevo::detail::json {

// Reads a whole file's text, already checked to be valid UTF-8, into a new tree.
std::expected<LocaleValue, FormatError> parse_json_text(std::string_view text);

// Reads JSON text whose value will only fill `filling` (fill_from(filling, value)): it fails
// exactly as parse_json_text does, but values at places where `filling` holds a non-null leaf
// are left out, as filling would drop them. A value skipped whole reads as null. `filling` may
// be null, which reads the whole text.
std::expected<LocaleValue, FormatError> parse_json_text_to_fill(std::string_view text,
                                                                const LocaleValue* filling);

}  // namespace tarnevo::detail::json
