#include "check/key_path.hpp"

#include <algorithm>

#include "json/string.hpp"
#include "tree/write_json.hpp"

namespace tarnevo::cli {

bool is_leaf(const LocaleValue& value) noexcept {
  if (!value.is_object()) return true;
  const LocaleObject& members = value.as_object();
  return members.size() == 1 && members.begin()->key == "$__toml_private_datetime";
}

namespace {

bool needs_quotes(std::string_view segment) noexcept {
  if (segment.empty()) return true;
  return std::any_of(segment.begin(), segment.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return c == '.' || c == '"' || c == '\\' || c == '*' || byte < 0x20 || byte == 0x7F;
  });
}

}  // namespace

void append_segment(std::string& path, std::string_view segment) {
  if (!path.empty()) path.push_back('.');
  if (!needs_quotes(segment)) {
    path.append(segment);
    return;
  }
  detail::tree::ByteBuffer quoted(segment.size() + 8);
  detail::tree::write_json_string(segment, quoted);
  path.append(quoted.view());
}

std::expected<std::vector<PathSegment>, std::string> split_path(std::string_view written) {
  std::vector<PathSegment> segments;
  std::string scratch;
  const char* cursor = written.data();
  const char* const end = written.data() + written.size();
  while (true) {
    PathSegment segment;
    if (cursor != end && *cursor == '"') {
      ++cursor;
      auto text = detail::json::read_json_string(cursor, end, scratch);
      if (!text) return std::unexpected("a quoted segment is not a valid JSON string");
      segment.text = std::move(*text);
      segment.quoted = true;
      if (cursor != end && *cursor != '.') {
        return std::unexpected("a quoted segment must be followed by a full stop");
      }
    } else {
      const char* stop = std::find(cursor, end, '.');
      segment.text.assign(cursor, stop);
      cursor = stop;
    }
    segments.push_back(std::move(segment));
    if (cursor == end) return segments;
    ++cursor;  // the full stop
  }
}

void KeyPath::push(std::string_view segment) {
  segments_.push_back(segment);
  text_lengths_.push_back(text_.size());
  append_segment(text_, segment);
}

void KeyPath::pop() noexcept {
  segments_.pop_back();
  text_.resize(text_lengths_.back());
  text_lengths_.pop_back();
}

}  // namespace tarnevo::cli
