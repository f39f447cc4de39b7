// The TOML reader behind parse_locale_text.
#pragma once

#include <expected>
#include <string_view>

#include "format/key_positions.hpp"
#include "tarnevo/format.hpp"
#include "tarnevo/value.hpp"
#include "tree/fill_place.hpp"

namespace tarnevo::detail::toml {

// Reads a whole file's text, already checked to be valid UTF-8, into a new tree.
std::expected<LocaleValue, FormatError> parse_toml_text(std::string_view text);

// Reads TOML text whose tree will only fill another tree, at `place`: it fails exactly as
// parse_toml_text does, but leaves out what filling could not use.
std::expected<LocaleValue, FormatError> parse_toml_text_to_fill(std::string_view text,
                                                                tree::FillPlace place);

// Reads like parse_toml_text, and records in `positions` where each key is written: a key-value's
// or header's segment where the statement writes it (a quote, for a quoted key), and a table that
// a dotted key or header made on its way where that first key wrote it. Lines and columns count
// from after a leading byte-order mark. Members of arrays (of tables, too) are not recorded.
std::expected<LocaleValue, FormatError> parse_toml_text_with_positions(
    std::string_view text, format::KeyPositions& positions);

}  // namespace tarnevo::detail::toml
