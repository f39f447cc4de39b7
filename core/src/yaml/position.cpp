#include "yaml/position.hpp"

namespace tarnevo::detail::yaml {

std::size_t byte_offset_of(std::string_view text, std::size_t char_index) noexcept {
  std::size_t offset = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  std::size_t chars = 0;
  // Each character starts with a byte that is not a UTF-8 continuation byte.
  while (offset < text.size()) {
    const auto byte = static_cast<unsigned char>(text[offset]);
    if ((byte & 0xC0) != 0x80) {
      if (chars == char_index) break;
      ++chars;
    }
    ++offset;
  }
  return offset;
}

void append_position(std::string& out, std::size_t line, std::size_t column,
                     std::size_t byte_offset) {
  if (line == 0 && column == 0) {
    if (byte_offset != 0) out.append(" at position ").append(std::to_string(byte_offset));
    return;
  }
  out.append(" at line ")
      .append(std::to_string(line + 1))
      .append(" column ")
      .append(std::to_string(column + 1));
}

std::string message_at(std::string_view message, const Mark& mark, std::string_view text) {
  std::string out(message);
  const std::size_t offset =
      (mark.line == 0 && mark.column == 0) ? byte_offset_of(text, mark.index) : 0;
  append_position(out, mark.line, mark.column, offset);
  return out;
}

}  // namespace tarnevo::detail::yaml
