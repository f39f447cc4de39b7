// The --ignore patterns of `tarnevo check`: key paths left out of every finding.
#pragma once

#include <expected>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "check/key_path.hpp"

namespace tarnevo::cli {

// A pattern is written like a key path. In an unquoted segment "*" matches any run of
// characters within one segment; a segment that is "**" alone matches any number of segments,
// none included. Quoted segments match literally.
class KeyPattern {
 public:
  static std::expected<KeyPattern, std::string> parse(std::string_view written);
  // A file path glob (--exclude): segments split at "/", none quoted, so "*" and "**" work as
  // in key patterns and every other byte matches itself.
  static std::expected<KeyPattern, std::string> parse_path_glob(std::string_view written);
  bool matches(std::span<const std::string_view> path) const;

 private:
  std::vector<PathSegment> segments_;
};

class KeyFilter {
 public:
  KeyFilter() = default;
  explicit KeyFilter(std::vector<KeyPattern> patterns) : patterns_(std::move(patterns)) {}

  // True when a pattern matches the path itself. A walk that stops at an ignored object leaves
  // out everything below it, so that "legal" ignores legal.terms as well.
  bool ignores(std::span<const std::string_view> path) const;
  bool empty() const noexcept { return patterns_.empty(); }

 private:
  std::vector<KeyPattern> patterns_;
};

}  // namespace tarnevo::cli
