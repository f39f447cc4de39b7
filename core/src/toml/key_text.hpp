// Dotted key paths as messages show them.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace tarnevo::detail::toml {

// Keys joined with "."; a key that is not a bare key (empty, or holding anything but ASCII
// letters, digits, "-" and "_") is written as a quoted key so that the path reads back the same.
std::string format_toml_key_path(std::span<const std::string_view> keys);

}  // namespace tarnevo::detail::toml
