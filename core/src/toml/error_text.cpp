#include "toml/error_text.hpp"

#include <algorithm>

namespace tarnevo::detail::toml {

std::string render_positioned_toml_error(TomlSourceMap& source, TomlPosition at,
                                         std::uint64_t span_columns, std::string_view description) {
  const std::string line_number = std::to_string(at.line);
  const std::string_view line = source.line_text(at.line);
  const std::string gutter(line_number.size() + 1, ' ');

  // Carets cover the span as far as it lies on this line; a position just past the line's end
  // (an unexpected end of line or of file) still gets its one caret.
  const std::uint64_t line_columns = count_characters(line);
  std::uint64_t carets = 1;
  if (span_columns > 1 && at.column <= line_columns) {
    carets = std::min<std::uint64_t>(span_columns, line_columns - at.column + 1);
  }

  std::string text = "TOML parse error at line ";
  text.append(line_number).append(", column ").append(std::to_string(at.column)).push_back('\n');
  text.append(gutter).append("|\n");
  text.append(line_number).append(" | ").append(line).push_back('\n');
  text.append(gutter).push_back('|');
  text.append(at.column, ' ');
  text.append(carets, '^').push_back('\n');
  text.append(description).push_back('\n');
  return text;
}

std::string render_unpositioned_toml_error(std::string_view description,
                                           std::string_view key_path) {
  std::string text(description);
  text.push_back('\n');
  if (!key_path.empty()) text.append("in `").append(key_path).append("`\n");
  return text;
}

}  // namespace tarnevo::detail::toml
