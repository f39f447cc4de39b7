// Reads a whole TOML document, in one pass, into the tree.
#pragma once

#include <expected>
#include <optional>
#include <string_view>

#include "tarnevo/value.hpp"
#include "toml/failure.hpp"
#include "tree/fill_place.hpp"

namespace tarnevo::detail::toml {

// `text` is the document after a leading byte-order mark. The root table becomes an Object.
// `filling`, when given, is where that Object will only fill another tree: what filling could
// not use is checked (the same failures) but left out.
std::expected<LocaleValue, TomlFailure> read_toml_document(std::string_view text,
                                                           std::optional<tree::FillPlace> filling);

}  // namespace tarnevo::detail::toml
