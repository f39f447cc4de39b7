#include "toml/failure.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <utility>

#include "text/utf8.hpp"

namespace tarnevo::detail::toml {
namespace {

bool continues_sequence(char byte) noexcept {
  return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

std::size_t count_characters(std::string_view bytes) noexcept {
  return static_cast<std::size_t>(
      std::count_if(bytes.begin(), bytes.end(), [](char b) { return !continues_sequence(b); }));
}

// The code point of the (valid) UTF-8 sequence at the start of `bytes`, and its length.
std::pair<char32_t, std::size_t> decode_one(std::string_view bytes) noexcept {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  length = std::min(length, bytes.size());
  char32_t code = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    code = code << 6 | (static_cast<unsigned char>(bytes[i]) & 0x3F);
  }
  return {code, length};
}

std::string code_point_name(char32_t code) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(code));
  return buffer;
}

}  // namespace

std::string name_character(std::string_view text, std::size_t at) {
  if (at >= text.size()) return "end-of-file";
  const char c = text[at];
  switch (c) {
    case '\n':
      return "'\\n'";
    case '\r':
      return "'\\r'";
    case '\t':
      return "'\\t'";
    case ',':
      return "comma";
    default:
      break;
  }
  const auto [code, length] = decode_one(text.substr(at));
  // Only a caller other than the loader can hand over text that is not UTF-8.
  if (text::valid_utf8_prefix(text.substr(at, length)) != length) {
    char byte[24];
    std::snprintf(byte, sizeof byte, "the byte 0x%02X", static_cast<unsigned char>(c));
    return byte;
  }
  if (code < 0x20 || code == 0x7F) return code_point_name(code);
  if (code < 0x80) return std::string{'\'', c, '\''};
  if (code == 0xFEFF) return "a byte-order mark (U+FEFF)";
  std::string name = "'";
  name.append(text.substr(at, length)).append("' (").append(code_point_name(code)).append(")");
  return name;
}

std::string describe_toml_failure(std::string_view text, const TomlFailure& failure) {
  std::size_t at = std::min(failure.begin, text.size());
  if (at == text.size() && at > 0 && text[at - 1] == '\n') {
    --at;
    if (at > 0 && text[at - 1] == '\r') --at;
  }
  std::size_t line_start = 0;
  if (at > 0) {
    if (const std::size_t previous = text.rfind('\n', at - 1); previous != std::string_view::npos)
      line_start = previous + 1;
  }
  std::size_t line_end = text.find('\n', at);
  if (line_end == std::string_view::npos) line_end = text.size();
  if (line_end > line_start && text[line_end - 1] == '\r') --line_end;
  const std::string_view line = text.substr(line_start, line_end - line_start);
  const std::string line_number = std::to_string(
      std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(line_start), '\n') + 1);
  const std::size_t column = count_characters(text.substr(line_start, at - line_start)) + 1;

  // Carets cover the span as far as it lies on this line; a point (or a span starting past the
  // line's text, at its end) gets one.
  std::size_t carets = 1;
  if (failure.end > at && at < line_end) {
    carets = std::max<std::size_t>(
        1, count_characters(text.substr(at, std::min(failure.end, line_end) - at)));
  }

  const std::string gutter(line_number.size() + 1, ' ');
  std::string message = "TOML parse error at line ";
  message.append(line_number).append(", column ").append(std::to_string(column)).push_back('\n');
  message.append(gutter).append("|\n");
  message.append(line_number).append(" | ").append(line).push_back('\n');
  message.append(gutter).push_back('|');
  message.append(column, ' ');
  message.append(carets, '^').push_back('\n');
  message.append(failure.description).push_back('\n');
  // The loader hands over valid UTF-8 only; should anything else arrive, the message, which
  // quotes the offending line, is still made valid text.
  if (!text::is_valid_utf8(message)) message = text::to_utf8_lossy(message);
  return message;
}

}  // namespace tarnevo::detail::toml
