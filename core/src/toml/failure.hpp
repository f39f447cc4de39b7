// What the TOML reader reports when a text is not TOML, and how it is shown.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnevo::detail::toml {

// A failure and the bytes it is blamed on: [begin, end) of the document's text (after a leading
// byte-order mark), at least one character wide when shown. The offending token where there is
// one: the key of a duplicate key, a whole header for a table defined twice, a whole bad value;
// otherwise the one character that cannot continue the text, or the end of the text.
struct TomlFailure {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::string description;
};

// The reader's message: "TOML parse error at line L, column C", a gutter line, "L | " and the
// line's text, a gutter line with carets under the span as far as it lies on that line, and the
// description, each line ending in a line feed. Lines and columns count from 1, columns in
// characters. A failure at the end of a text that ends with a line break points at the end of
// the last line, not at the empty line after it.
std::string describe_toml_failure(std::string_view text, const TomlFailure& failure);

// The character at `at` as a message names it: "'x'", "'\n'", "comma", "U+0001",
// "'é' (U+00E9)", "a byte-order mark (U+FEFF)", or "end-of-file" at the end.
std::string name_character(std::string_view text, std::size_t at);

}  // namespace tarnevo::detail::toml
