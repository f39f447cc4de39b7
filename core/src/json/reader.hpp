// The JSON reader behind parse_locale_text.
#pragma once

#include <expected>
#include <string_view>

#include "format/key_positions.hpp"
#include "tarnevo/format.hpp"
#include "tarnevo/value.hpp"
#include "tree/fill_place.hpp"

namespace tarnevo::detail::json {

// Reads a whole file's text, already checked to be valid UTF-8, into a new tree.
std::expected<LocaleValue, FormatError> parse_json_text(std::string_view text);

// Reads JSON text whose value will only fill another tree, at `place`: it fails exactly as
// parse_json_text does, but leaves out what filling could not use. A value skipped whole reads
// as null.
std::expected<LocaleValue, FormatError> parse_json_text_to_fill(std::string_view text,
                                                                tree::FillPlace place);

// Reads like parse_json_text, and records in `positions` where each object member's key is
// written (its opening quote).
std::expected<LocaleValue, FormatError> parse_json_text_with_positions(
    std::string_view text, format::KeyPositions& positions);

}  // namespace tarnevo::detail::json
