// Key paths as reports write them, and the walk's current path.
#pragma once

#include <cstddef>
#include <expected>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tarnevo/value.hpp"

namespace tarnevo::cli {

// A key is the path of a leaf: a value that is not an object (strings, numbers, booleans, and
// arrays, which are kept whole). A TOML date or time, which the reader turns into an object with
// the single member "$__toml_private_datetime", is one leaf too.
bool is_leaf(const LocaleValue& value) noexcept;

// Segments are joined with full stops. A segment that is empty or holds a full stop, a quotation
// mark, a backslash, an asterisk or a control character is written as a JSON string ("a.b"),
// so that no written path reads as another and a written path given to --ignore matches only
// itself.
void append_segment(std::string& path, std::string_view segment);

// A written path (or an --ignore pattern) split back into its segments, each with whether it was
// quoted; fails with the reason when a quotation is not closed or not followed by a full stop.
struct PathSegment {
  std::string text;
  bool quoted = false;
};
std::expected<std::vector<PathSegment>, std::string> split_path(std::string_view written);

// The path of the node that a tree walk is at: its segments (views into the trees' keys, which
// outlive the walk) and its written form, both kept as stacks so that descending costs no
// allocation once the buffers have grown.
class KeyPath {
 public:
  void push(std::string_view segment);
  void pop() noexcept;
  bool at_top() const noexcept { return segments_.empty(); }
  const std::string& text() const noexcept { return text_; }
  std::span<const std::string_view> segments() const noexcept { return segments_; }

 private:
  std::vector<std::string_view> segments_;
  std::vector<std::size_t> text_lengths_;
  std::string text_;
};

}  // namespace tarnevo::cli
