// The TOML reader behind parse_locale_text.
#pragma once

#include <expected>
#include <string_view>

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

}  // namespace tarnevo::detail::toml
