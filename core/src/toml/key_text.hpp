// TOML keys as text: the value of one key segment as the file wrote it (bare, "basic" with
// escapes, or 'literal'), and dotted key paths for messages.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace tarnevo::detail::toml {

// The key that a segment of source text spells: a bare key as is, a quoted key without its
// quotes and with its escapes resolved. Lenient: whatever the parser accepted decodes right,
// anything else decodes to something without failing.
std::string decode_toml_key_segment(std::string_view raw);

// Keys joined with "."; a key that is not a bare key (empty, or holding anything but ASCII
// letters, digits, "-" and "_") is written as a quoted key so that the path reads back the same.
std::string format_toml_key_path(std::span<const std::string> keys);

}  // namespace tarnevo::detail::toml
