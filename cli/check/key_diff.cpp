#include "check/key_diff.hpp"

namespace tarnevo::cli {
namespace {

// A TOML date or time as the reader represents it: a value, not a table of keys.
bool is_leaf(const LocaleValue& value) noexcept {
  if (!value.is_object()) return true;
  const LocaleObject& members = value.as_object();
  return members.size() == 1 && members.begin()->key == "$__toml_private_datetime";
}

std::string join_key(const std::string& prefix, const std::string& key) {
  if (prefix.empty()) return key;
  std::string joined;
  joined.reserve(prefix.size() + 1 + key.size());
  joined.append(prefix).append(1, '.').append(key);
  return joined;
}

// Every key at or below `value` whose path starts with `prefix`, appended to `keys`. At the
// top the prefix is empty and `value` is the whole tree; a leaf there has no path and is not
// a key (a locale's tree is always an object).
void collect_keys(const LocaleValue& value, const std::string& prefix, bool top,
                  std::vector<std::string>& keys) {
  if (value.is_null()) return;
  if (is_leaf(value)) {
    if (!top) keys.push_back(prefix);
    return;
  }
  for (const LocaleMember& member : value.as_object()) {
    collect_keys(member.value, top ? member.key : join_key(prefix, member.key), false, keys);
  }
}

struct Comparison {
  KeyDiff& diff;

  // `locale` is null when the locale has nothing at this path. Null values count as absent on
  // both sides.
  void compare(const LocaleValue* locale, const LocaleValue& fallback, const std::string& path,
               bool top) {
    if (locale != nullptr && locale->is_null()) locale = nullptr;
    if (fallback.is_null()) {
      if (locale != nullptr) collect_keys(*locale, path, top, diff.extra);
      return;
    }
    if (is_leaf(fallback)) {
      if (top) return;
      ++diff.default_keys;
      if (locale == nullptr) {
        diff.missing.push_back(path);
      } else if (!is_leaf(*locale)) {
        diff.conflicts.push_back({path, false});
      } else {
        ++diff.provided;
      }
      return;
    }
    if (locale == nullptr) {
      const std::size_t before = diff.missing.size();
      collect_keys(fallback, path, top, diff.missing);
      diff.default_keys += diff.missing.size() - before;
      return;
    }
    if (is_leaf(*locale)) {
      // The default's keys below here cannot be filled: the locale's value stays.
      const std::size_t below = count_keys(fallback);
      diff.default_keys += below;
      if (below != 0 && !top) diff.conflicts.push_back({path, true});
      return;
    }
    // Both objects: one merge pass over the two sorted member lists.
    const auto& ours = locale->as_object().members();
    const auto& theirs = fallback.as_object().members();
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < ours.size() || j < theirs.size()) {
      const bool take_ours = j == theirs.size() || (i < ours.size() && ours[i].key < theirs[j].key);
      const bool take_theirs =
          i == ours.size() || (j < theirs.size() && theirs[j].key < ours[i].key);
      if (take_ours) {
        collect_keys(ours[i].value, top ? ours[i].key : join_key(path, ours[i].key), false,
                     diff.extra);
        ++i;
      } else if (take_theirs) {
        compare(nullptr, theirs[j].value, top ? theirs[j].key : join_key(path, theirs[j].key),
                false);
        ++j;
      } else {
        compare(&ours[i].value, theirs[j].value,
                top ? theirs[j].key : join_key(path, theirs[j].key), false);
        ++i;
        ++j;
      }
    }
  }
};

}  // namespace

std::size_t KeyDiff::completeness_tenths() const noexcept {
  if (default_keys == 0) return 1000;
  return provided * 1000 / default_keys;
}

KeyDiff compare_keys(const LocaleValue& locale_tree, const LocaleValue& default_tree) {
  KeyDiff diff;
  Comparison{diff}.compare(&locale_tree, default_tree, std::string(), true);
  return diff;
}

std::size_t count_keys(const LocaleValue& tree) noexcept {
  if (tree.is_null()) return 0;
  if (is_leaf(tree)) return 1;
  std::size_t count = 0;
  for (const LocaleMember& member : tree.as_object()) count += count_keys(member.value);
  return count;
}

}  // namespace tarnevo::cli
