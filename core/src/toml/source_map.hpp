// Line and column arithmetic over a TOML document's text. The parser reports positions as a
// line and a column, both from 1, the column counted in characters (code points) and lines
// ended by line feeds only; this turns them into byte offsets and back, and yields the text of
// one line for error messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tarnevo::detail::toml {

struct TomlPosition {
  std::uint64_t line = 0;    // from 1; 0 means "no position"
  std::uint64_t column = 0;  // from 1, in characters
};

class TomlSourceMap {
 public:
  explicit TomlSourceMap(std::string_view text) noexcept : text_(text) {}

  std::string_view text() const noexcept { return text_; }

  // Number of lines: one more than the number of line feeds.
  std::size_t line_count();

  // The byte offset of a position, clamped to the end of the text; a column past the end of its
  // line lands on the following bytes (the parser reports end-of-file one character past the
  // last one). A line past the last yields the text's size.
  std::size_t offset_of(TomlPosition position);

  // The position of a byte offset (offsets inside a character count as that character).
  TomlPosition position_of(std::size_t offset);

  // The text of a line without its line feed and without a carriage return before it; empty for
  // a line that does not exist.
  std::string_view line_text(std::uint64_t line);

 private:
  // Built on first use: most parses never need it.
  const std::vector<std::size_t>& line_starts();

  std::string_view text_;
  std::vector<std::size_t> line_starts_;
};

// Number of characters in `bytes` (bytes that do not continue a UTF-8 sequence).
std::size_t count_characters(std::string_view bytes) noexcept;

}  // namespace tarnevo::detail::toml
