// Reads a whole TOML document, in one pass, into the tree.
#pragma once

#include <expected>
#include <string_view>

#include "tarnevo/value.hpp"
#include "toml/failure.hpp"

namespace tarnevo::detail::toml {

// `text` is the document after a leading byte-order mark. The root table becomes an Object.
std::expected<LocaleValue, TomlFailure> read_toml_document(std::string_view text);

}  // namespace tarnevo::detail::toml
