// TOML's four kinds of string: basic "..." with escapes, literal '...', and their multi-line
// forms """...""" and '''...''', read as values and (single-line only) as quoted keys.
#pragma once

#include <cstddef>
#include <expected>
#include <string>
#include <string_view>

#include "text/byte_scan.hpp"
#include "toml/cursor.hpp"

namespace tarnevo::detail::toml {

// Where a string's content ended up: a slice of the document when it needed no decoding (no
// escape, no carriage return to drop), or bytes appended to the caller's buffer. Most strings
// are the former, and cost no copy until the tree takes them.
struct StringContent {
  std::string_view in_text;
  std::size_t buffer_offset = 0;
  std::size_t buffer_size = 0;
  bool decoded = false;

  std::string_view view(const std::string& buffer) const noexcept {
    return decoded ? std::string_view(buffer).substr(buffer_offset, buffer_size) : in_text;
  }
};

// Every kind of string and everything in them; read_string below is the way in.
std::expected<StringContent, TomlFailure> read_any_string(Cursor& cursor, std::string& buffer,
                                                          bool multi_line_allowed);

// Reads the string whose opening quote the cursor is at and leaves the cursor past its closing
// quotes. Multi-line strings are read only where `multi_line_allowed` (values, not keys); their
// line breaks are kept as line feeds, whatever the file used.
inline std::expected<StringContent, TomlFailure> read_string(Cursor& cursor, std::string& buffer,
                                                             bool multi_line_allowed) {
  // Most strings are one plain run to the closing quote: no escape, tab or line break, and not
  // empty (which could be the start of a multi-line string). Those are read here.
  const char quote = *cursor.at;
  const char* const start = cursor.at + 1;
  if (start != cursor.end && *start != quote) {
    const char* const stop = text::find_toml_string_stop(start, cursor.end, quote);
    if (stop != cursor.end && *stop == quote) {
      cursor.at = stop + 1;
      return StringContent{std::string_view(start, static_cast<std::size_t>(stop - start))};
    }
  }
  return read_any_string(cursor, buffer, multi_line_allowed);
}

}  // namespace tarnevo::detail::toml
