#include "check/key_filter.hpp"

#include <algorithm>

namespace tarnevo::cli {
namespace {

// Glob matching within one segment: "*" matches any run of bytes. Backtracks only to the last
// star, so it is linear in practice and quadratic at worst.
bool glob_matches(std::string_view pattern, std::string_view text) noexcept {
  std::size_t p = 0;
  std::size_t t = 0;
  std::size_t star = std::string_view::npos;
  std::size_t resume = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = t;
    } else if (p < pattern.size() && pattern[p] == text[t]) {
      ++p;
      ++t;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool segment_matches(const PathSegment& pattern, std::string_view segment) noexcept {
  if (pattern.quoted) return pattern.text == segment;
  return glob_matches(pattern.text, segment);
}

bool is_any_depth(const PathSegment& pattern) noexcept {
  return !pattern.quoted && pattern.text == "**";
}

// One pass over the pattern with the set of path positions reachable so far: a "**" reaches
// every later position, any other segment advances by one where it matches. Linear in the
// pattern's length times the path's, however many "**" the pattern has.
bool matches_path(std::span<const PathSegment> pattern, std::span<const std::string_view> path) {
  const bool any_depth = std::any_of(pattern.begin(), pattern.end(), is_any_depth);
  if (!any_depth) {
    if (pattern.size() != path.size()) return false;
    for (std::size_t i = 0; i < path.size(); ++i) {
      if (!segment_matches(pattern[i], path[i])) return false;
    }
    return true;
  }
  std::vector<char> reachable(path.size() + 1, 0);
  reachable[0] = 1;
  for (const PathSegment& segment : pattern) {
    if (is_any_depth(segment)) {
      for (std::size_t j = 1; j <= path.size(); ++j) reachable[j] |= reachable[j - 1];
      continue;
    }
    for (std::size_t j = path.size(); j > 0; --j) {
      reachable[j] = reachable[j - 1] && segment_matches(segment, path[j - 1]);
    }
    reachable[0] = 0;
  }
  return reachable[path.size()] != 0;
}

}  // namespace

std::expected<KeyPattern, std::string> KeyPattern::parse(std::string_view written) {
  if (written.empty()) return std::unexpected("the pattern is empty");
  auto segments = split_path(written);
  if (!segments) return std::unexpected(std::move(segments.error()));
  KeyPattern pattern;
  pattern.segments_ = std::move(*segments);
  return pattern;
}

std::expected<KeyPattern, std::string> KeyPattern::parse_path_glob(std::string_view written) {
  if (written.empty()) return std::unexpected("the pattern is empty");
  KeyPattern pattern;
  while (true) {
    const std::size_t slash = written.find('/');
    pattern.segments_.push_back(PathSegment{std::string(written.substr(0, slash)), false});
    if (slash == std::string_view::npos) return pattern;
    written.remove_prefix(slash + 1);
  }
}

bool KeyPattern::matches(std::span<const std::string_view> path) const {
  return matches_path(segments_, path);
}

bool KeyFilter::ignores(std::span<const std::string_view> path) const {
  return std::any_of(patterns_.begin(), patterns_.end(),
                     [&](const KeyPattern& pattern) { return pattern.matches(path); });
}

}  // namespace tarnevo::cli
