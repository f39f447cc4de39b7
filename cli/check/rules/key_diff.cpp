#include "check/rules/key_diff.hpp"

#include "check/key_path.hpp"
#include "check/rules/icu_message.hpp"
#include "check/rules/leaf_shape.hpp"
#include "check/rules/plural_gaps.hpp"
#include "check/rules/suffix_groups.hpp"

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

  // How a key of the object being compared stands towards the plural groups in it: the category
  // it names (0 when it is no category of a group), the categories the locale's language needs
  // there, and for a suffix group its index.
  struct Membership {
    PluralSet category = 0;
    PluralSet needed = 0;
    std::size_t group = SuffixGroups::kNone;

    bool in_group() const noexcept { return category != 0; }
    // A category the language does not use, which a locale need not give.
    bool unused() const noexcept { return category != 0 && (category & needed) == 0; }
    // ... and which it should not give: `zero` is allowed everywhere.
    bool unexpected() const noexcept { return unused() && category != kZero; }
  };

  // The plural groups of one object of the default's, judged for the locale's language: the
  // object itself (nested), or sibling keys with a category suffix.
  struct Groups {
    // The object is a nested group: for any language, its categories may say the count in
    // words; for a known one, they are judged by it.
    bool nested_shape = false;
    bool nested = false;
    std::optional<SuffixGroups> suffix;
  };

  Groups groups_of(const LocaleObject& fallback) const {
    Groups groups;
    groups.nested_shape = !path_.at_top() && is_plural_group(fallback);
    if (!scope_.categories) return groups;
    groups.nested = groups.nested_shape;
    if (!groups.nested) {
      groups.suffix.emplace(fallback);
      if (groups.suffix->empty()) groups.suffix.reset();
    }
    return groups;
  }

  Membership membership(const Groups& groups, std::string_view key) const noexcept {
    if (groups.nested) return {plural_category(key), *scope_.categories};
    if (!groups.suffix) return {};
    const SuffixKey suffix = read_suffix_key(key);
    const std::size_t group = groups.suffix->find(suffix);
    if (group == SuffixGroups::kNone) return {};
    const PluralSet needed =
        suffix.ordinal ? scope_.ordinal_categories.value_or(kOther) : *scope_.categories;
    return {suffix.category, needed, group};
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
    const Groups groups = missing ? groups_of(value.as_object()) : Groups{};
    for (const LocaleMember& member : value.as_object()) {
      if (membership(groups, member.key).unused()) continue;
      below(member.key, [&] { collect_keys(member.value, keys, missing); });
    }
  }

  // Both objects: one merge pass over the two sorted member lists. In a plural group, the
  // categories the language does not use are neither missing nor counted, the locale's are
  // reported as unexpected, and those it uses are never extra.
  void compare_objects(const LocaleObject& ours, const LocaleObject& theirs) {
    const Groups groups = groups_of(theirs);
    PluralSet nested_given = 0;
    std::vector<PluralSet> suffix_given(groups.suffix ? groups.suffix->groups().size() : 0, 0);
    const auto note_given = [&](const Membership& m, const LocaleValue& value) {
      if (!m.in_group() || value.is_null()) return;
      if (groups.nested) {
        nested_given |= m.category;
      } else {
        suffix_given[m.group] |= m.category;
      }
    };
    const auto& a = ours.members();
    const auto& b = theirs.members();
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() || j < b.size()) {
      const bool take_ours = j == b.size() || (i < a.size() && key_less(a[i].key, b[j].key));
      const bool take_theirs = i == a.size() || (j < b.size() && key_less(b[j].key, a[i].key));
      if (take_ours) {
        const LocaleMember& member = a[i++];
        const Membership m = membership(groups, member.key);
        below(member.key, [&] {
          note_given(m, member.value);
          if (!m.in_group()) {
            collect_keys(member.value, diff_.extra, false);
          } else if (!m.unexpected()) {
            compare_with_other(member.value, theirs, groups, m);
          }
        });
      } else if (take_theirs) {
        const LocaleMember& member = b[j++];
        const Membership m = membership(groups, member.key);
        if (m.unused()) continue;
        below(member.key,
              [&] { compare(nullptr, member.value, m.in_group() || groups.nested_shape); });
      } else {
        const LocaleMember& member = b[j];
        const LocaleValue& value = a[i].value;
        const Membership m = membership(groups, member.key);
        below(member.key, [&] {
          note_given(m, value);
          if (!m.unexpected()) compare(&value, member.value, m.in_group() || groups.nested_shape);
        });
        ++i;
        ++j;
      }
    }
    if (groups.nested) nested_gap(ours, nested_given);
    if (groups.suffix) suffix_gaps(*groups.suffix, suffix_given);
  }

  void nested_gap(const LocaleObject& ours, PluralSet given) {
    const PluralSet needed = *scope_.categories;
    auto missing = missing_categories(ours, needed, path_, scope_.filter);
    auto unexpected = category_names(unexpected_in_group(given, needed));
    if (missing.empty() && unexpected.empty()) return;
    findings_.plurals.push_back({path_.text(), std::move(missing), std::move(unexpected)});
  }

  void suffix_gaps(const SuffixGroups& groups, const std::vector<PluralSet>& given) {
    for (std::size_t g = 0; g < given.size(); ++g) {
      const SuffixGroups::Group& group = groups.groups()[g];
      const PluralSet needed =
          group.ordinal ? scope_.ordinal_categories.value_or(kOther) : *scope_.categories;
      std::vector<std::string> missing;
      for (const std::string& name : category_names(static_cast<PluralSet>(needed & ~given[g]))) {
        const std::string key = std::string(group.name) + "_" + name;
        below(key, [&] { missing.push_back(name); });
      }
      auto unexpected = category_names(unexpected_in_group(given[g], needed));
      if (missing.empty() && unexpected.empty()) continue;
      path_.push(group.name);
      findings_.plurals.push_back(
          {path_.text(), std::move(missing), std::move(unexpected), PluralStyle::Suffix});
      path_.pop();
    }
  }

  // A category that the locale's language uses and the default's group lacks (Polish "few"
  // beside English "one" and "other"): its string is held against the default's "other".
  void compare_with_other(const LocaleValue& value, const LocaleObject& fallback_group,
                          const Groups& groups, const Membership& m) {
    const LocaleValue* other = nullptr;
    if (groups.nested) {
      other = fallback_group.find("other");
    } else {
      other = fallback_group.find(std::string(groups.suffix->groups()[m.group].name) + "_other");
    }
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
      compare_strings(value.as_string(), fallback.as_string(), in_group);
    }
    return true;
  }

  // Where the default's string reads as ICU MessageFormat and uses what only MessageFormat has
  // (a plural, select or typed argument, or quotes), the locale's must read too (or that is all
  // that is said of it), its plural arguments must give its language's categories, apostrophes
  // quote, and an argument that the default's uses only to choose a form may be left out. Then the
  // placeholders of both.
  void compare_strings(std::string_view text, std::string_view fallback, bool in_group) {
    const bool icu = may_be_message_format(fallback) &&
                     read_icu_message(fallback, fallback_message_) &&
                     fallback_message_.is_message_format();
    if (icu) {
      if (auto read = read_icu_message(text, message_); !read) {
        // The reason says more than the placeholders a broken argument seems to lack.
        findings_.icu_syntax.push_back({path_.text(), read.error().describe(text)});
        return;
      }
      if (scope_.categories && message_.has_choices) {
        const LanguagePlurals language{*scope_.categories,
                                       scope_.ordinal_categories.value_or(kOther)};
        if (auto gap = icu_plural_gap(path_.text(), message_, language)) {
          findings_.plurals.push_back(std::move(*gap));
        }
      }
    }
    PlaceholderDiff placeholders = placeholders_.compare(text, fallback, in_group, icu);
    if (icu && !placeholders.missing.empty() && !fallback_message_.selector_only.empty()) {
      move_dropped_selectors(placeholders);
    }
    if (!placeholders.empty()) {
      findings_.placeholders.push_back({path_.text(), std::move(placeholders)});
    }
  }

  // The default's arguments that only choose a form, among the placeholders the locale's string
  // lacks, are reported apart.
  void move_dropped_selectors(PlaceholderDiff& placeholders) {
    DroppedSelector dropped{path_.text(), {}};
    std::erase_if(placeholders.missing, [&](const std::string& written) {
      for (std::string_view name : fallback_message_.selector_only) {
        if (written.size() == name.size() + 2 && written.front() == '{' &&
            written.compare(1, name.size(), name) == 0 && written.back() == '}') {
          dropped.arguments.push_back(written);
          return true;
        }
      }
      return false;
    });
    if (!dropped.arguments.empty()) findings_.dropped_selectors.push_back(std::move(dropped));
  }

  const CompareScope& scope_;
  KeyDiff& diff_;
  Findings& findings_;
  KeyPath path_;
  PlaceholderComparison placeholders_;
  // The two strings' readings as ICU MessageFormat, kept from one string to the next.
  IcuMessage message_;
  IcuMessage fallback_message_;
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
