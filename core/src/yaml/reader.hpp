// The YAML reader behind parse_locale_text.
#pragma once

#include <expected>
#include <string_view>

#include "format/key_positions.hpp"
#include "tarnevo/format.hpp"
#include "tarnevo/value.hpp"
#include "tree/fill_place.hpp"

namespace tarnevo::detail::yaml {

// Reads a whole file's text, already checked to be valid UTF-8, into a new tree.
std::expected<LocaleValue, FormatError> parse_yaml_text(std::string_view text);

// Reads YAML text whose tree will only fill another tree, at `place`: it fails exactly as
// parse_yaml_text does, but leaves out what filling could not use: such a member is left out of
// its mapping, and a document skipped whole reads as null.
std::expected<LocaleValue, FormatError> parse_yaml_text_to_fill(std::string_view text,
                                                                tree::FillPlace place);

// Reads like parse_yaml_text, and records in `positions` where each mapping key is written
// (libyaml's mark of the key's first character: a quote, for a quoted key).
std::expected<LocaleValue, FormatError> parse_yaml_text_with_positions(
    std::string_view text, format::KeyPositions& positions);

}  // namespace tarnevo::detail::yaml
