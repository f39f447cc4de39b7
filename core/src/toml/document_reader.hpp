// Reads a whole TOML document, in one pass, into the tree.
#pragma once

#include <expected>
#include <optional>
#include <string_view>

#include "format/key_positions.hpp"
#include "tarnevo/value.hpp"
#include "toml/failure.hpp"
#include "tree/fill_place.hpp"

namespace tarnevo::detail::toml {

// `text` is the document after a leading byte-order mark. The root table becomes an Object.
// `filling`, when given, is where that Object will only fill another tree: what filling could
// not use is checked (the same failures) but left out. `positions`, when not null, records where
// each key is written (byte offsets in `text`, left for the caller to resolve).
std::expected<LocaleValue, TomlFailure> read_toml_document(
    std::string_view text, std::optional<tree::FillPlace> filling,
    format::KeyPositions* positions = nullptr);

}  // namespace tarnevo::detail::toml
