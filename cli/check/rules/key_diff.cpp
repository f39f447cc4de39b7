#include "check/rules/key_diff.hpp"

#include "check/key_path.hpp"
#include "check/rules/leaf_shape.hpp"
#include "check/rules/plural_gaps.hpp"

namespace tarnevo::cli {
namespace {

class Comparison {
 public:
  Comparison(const CompareScope& scope, KeyDiff& diff, Findings& findings)
      : scope_(scope), diff_(diff), findings_(findings) {}

  // `locale` is null when the locale has nothing at this path. Null values count as absent on
  // both sides. `in_group`: the path is a category of a plural group.
  void compare(const LocaleValue* locale, const LocaleValue& fallback, bool in_group) {
    if (locale != nullptr && locale->is_null()) locale = nullptr;
    const bool top = path_.at_top();
    if (fallback.is_null()) {
      if (locale != nullptr) collect_keys(*locale, diff_.extra, false);
      return;
    }
    if (is_leaf(fallback)) {
      if (top) return;
      ++diff_.default_keys;
      if (locale == nullptr) {
        diff_.missing.push_back(path_.text());
      } else if (!is_leaf(*locale)) {
        diff_.conflicts.push_back({path_.text(), false});
      } else if (compare_leaves(*locale, fallback, in_group, true)) {
        ++diff_.provided;
      }
      return;
    }
    if (locale == nullptr) {
      const std::size_t before = diff_.missing.size();
      collect_keys(fallback, diff_.missing, true);
      diff_.default_keys += diff_.missing.size() - before;
      return;
    }
    if (is_leaf(*locale)) {
      // The default's keys below here cannot be filled: the locale's value stays.
      std::vector<std::string> unfilled;
      collect_keys(fallback, unfilled, false);
      diff_.default_keys += unfilled.size();
      if (!unfilled.empty() && !top) diff_.conflicts.push_back({path_.text(), true});
      return;
    }
    compare_objects(locale->as_object(), fallback.as_object());
  }

 private:
  // Runs `body` with `key` pushed onto the path, unless the filter ignores the path.
  template <typename Body>
  void below(std::string_view key, Body&& body) {
    path_.push(key);
    if (scope_.filter.empty() || !scope_.filter.ignores(path_.segments())) body();
    path_.pop();
  }

  // A category of a plural group (the object at the current path) that the locale's language
  // does not use.
  bool unused_category(bool group, std::string_view key) const noexcept {
    if (!group || !scope_.categories) return false;
    const PluralSet category = plural_category(key);
    return category != 0 && (category & *scope_.categories) == 0;
  }

  // The keys at or below the current path, appended to `keys`. `missing`: they are the
  // default's keys that the locale lacks, where plural categories that the locale's language
  // does not use are left out. A leaf at the top has no path and is not a key (a locale's tree
  // is always an object).
  void collect_keys(const LocaleValue& value, std::vector<std::string>& keys, bool missing) {
    if (value.is_null()) return;
    if (is_leaf(value)) {
      if (!path_.at_top()) keys.push_back(path_.text());
      return;
    }
    const bool group = missing && is_plural_group(value.as_object());
    for (const LocaleMember& member : value.as_object()) {
      if (unused_category(group, member.key)) continue;
      below(member.key, [&] { collect_keys(member.value, keys, missing); });
    }
  }

  // Both objects: one merge pass over the two sorted member lists.
  void compare_objects(const LocaleObject& ours, const LocaleObject& theirs) {
    const bool group = !path_.at_top() && (is_plural_group(theirs) || is_plural_group(ours));
    if (group && scope_.categories) {
      auto missing = missing_categories(ours, *scope_.categories, path_, scope_.filter);
      if (!missing.empty()) findings_.plurals.push_back({path_.text(), std::move(missing)});
    }
    const auto& a = ours.members();
    const auto& b = theirs.members();
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() || j < b.size()) {
      const bool take_ours = j == b.size() || (i < a.size() && key_less(a[i].key, b[j].key));
      const bool take_theirs = i == a.size() || (j < b.size() && key_less(b[j].key, a[i].key));
      if (take_ours) {
        const LocaleMember& member = a[i++];
        if (group && scope_.categories && (plural_category(member.key) & *scope_.categories)) {
          below(member.key, [&] { compare_with_other(member.value, theirs); });
        } else {
          below(member.key, [&] { collect_keys(member.value, diff_.extra, false); });
        }
      } else if (take_theirs) {
        const LocaleMember& member = b[j++];
        if (unused_category(group, member.key)) continue;
        below(member.key, [&] { compare(nullptr, member.value, group); });
      } else {
        const LocaleMember& member = b[j];
        below(member.key, [&] { compare(&a[i].value, member.value, group); });
        ++i;
        ++j;
      }
    }
  }

  // A category that the locale's language uses and the default's group lacks (Polish "few"
  // beside English "one" and "other"): its string is held against the default's "other".
  void compare_with_other(const LocaleValue& value, const LocaleObject& fallback_group) {
    const LocaleValue* other = fallback_group.find("other");
    if (other == nullptr || value.is_null() || !is_leaf(value) || !is_leaf(*other)) return;
    compare_leaves(value, *other, true, false);
  }

  // Blank strings, shapes and placeholders of two non-null leaves. `same_path`: `fallback` is
  // the default's value at this path (not its "other" category). Returns whether the locale's
  // value counts as provided.
  bool compare_leaves(const LocaleValue& value, const LocaleValue& fallback, bool in_group,
                      bool same_path) {
    if (value.is_string() && is_blank(value.as_string()) &&
        !(fallback.is_string() && is_blank(fallback.as_string()))) {
      findings_.blank.push_back(path_.text());
      return false;
    }
    if (same_path && !same_shape(value, fallback)) {
      findings_.shapes.push_back({path_.text(), shape_of(value), shape_of(fallback)});
    }
    if (value.is_string() && fallback.is_string()) {
      PlaceholderDiff placeholders =
          placeholders_.compare(value.as_string(), fallback.as_string(), in_group);
      if (!placeholders.empty()) {
        findings_.placeholders.push_back({path_.text(), std::move(placeholders)});
      }
    }
    return true;
  }

  const CompareScope& scope_;
  KeyDiff& diff_;
  Findings& findings_;
  KeyPath path_;
  PlaceholderComparison placeholders_;
};

}  // namespace

std::size_t KeyDiff::completeness_tenths() const noexcept {
  if (default_keys == 0) return 1000;
  return provided * 1000 / default_keys;
}

KeyDiff compare_keys(const LocaleValue& locale_tree, const LocaleValue& default_tree,
                     const CompareScope& scope, Findings& findings) {
  KeyDiff diff;
  Comparison(scope, diff, findings).compare(&locale_tree, default_tree, false);
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
