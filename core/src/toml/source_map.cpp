#include "toml/source_map.hpp"

#include <algorithm>
#include <cstring>

namespace tarnevo::detail::toml {
namespace {

bool continues_sequence(char byte) noexcept {
  return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

}  // namespace

std::size_t count_characters(std::string_view bytes) noexcept {
  return static_cast<std::size_t>(
      std::count_if(bytes.begin(), bytes.end(), [](char b) { return !continues_sequence(b); }));
}

const std::vector<std::size_t>& TomlSourceMap::line_starts() {
  if (line_starts_.empty()) {
    line_starts_.push_back(0);
    const char* const begin = text_.data();
    const char* const end = begin + text_.size();
    for (const char* at = begin; at < end;) {
      const void* found = std::memchr(at, '\n', static_cast<std::size_t>(end - at));
      if (found == nullptr) break;
      at = static_cast<const char*>(found) + 1;
      line_starts_.push_back(static_cast<std::size_t>(at - begin));
    }
  }
  return line_starts_;
}

std::size_t TomlSourceMap::line_count() {
  return line_starts().size();
}

std::size_t TomlSourceMap::offset_of(TomlPosition position) {
  const auto& starts = line_starts();
  if (position.line == 0) return 0;
  if (position.line > starts.size()) return text_.size();
  std::size_t offset = starts[position.line - 1];
  // Step over column - 1 characters: past each lead byte and its continuation bytes.
  for (std::uint64_t column = 1; column < position.column && offset < text_.size(); ++column) {
    ++offset;
    while (offset < text_.size() && continues_sequence(text_[offset])) ++offset;
  }
  return offset;
}

TomlPosition TomlSourceMap::position_of(std::size_t offset) {
  const auto& starts = line_starts();
  offset = std::min(offset, text_.size());
  const auto after = std::upper_bound(starts.begin(), starts.end(), offset);
  const std::size_t line_index = static_cast<std::size_t>(after - starts.begin()) - 1;
  const std::size_t line_start = starts[line_index];
  return TomlPosition{line_index + 1,
                      count_characters(text_.substr(line_start, offset - line_start)) + 1};
}

std::string_view TomlSourceMap::line_text(std::uint64_t line) {
  const auto& starts = line_starts();
  if (line == 0 || line > starts.size()) return {};
  const std::size_t start = starts[line - 1];
  std::size_t end = line < starts.size() ? starts[line] - 1 : text_.size();
  if (end > start && text_[end - 1] == '\r') --end;
  return text_.substr(start, end - start);
}

}  // namespace tarnevo::detail::toml
