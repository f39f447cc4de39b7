// The text of a failed TOML read: where it failed, the offending line with carets under the
// offending span, and what went wrong.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "toml/source_map.hpp"

namespace tarnevo::detail::toml {

// "TOML parse error at line L, column C", a gutter line, "L | " and the line's text, a gutter
// line with carets from column C over `span_columns` characters (clipped to the line, at least
// one), then the description; every line ends with a line feed.
std::string render_positioned_toml_error(TomlSourceMap& source, TomlPosition at,
                                         std::uint64_t span_columns, std::string_view description);

// For a failure that has no place in the text: the description, then "in `path`" when a key
// path is known (non-empty).
std::string render_unpositioned_toml_error(std::string_view description, std::string_view key_path);

}  // namespace tarnevo::detail::toml
