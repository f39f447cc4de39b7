#include "check/rules/plural_gaps.hpp"

#include <algorithm>

#include "check/rules/suffix_groups.hpp"

namespace tarnevo::cli {
namespace {

class GapSearch {
 public:
  GapSearch(LanguagePlurals language, const KeyFilter& filter, std::vector<PluralGap>& gaps)
      : language_(language), filter_(filter), gaps_(gaps) {}

  void walk(const LocaleObject& object) {
    if (!path_.at_top() && is_plural_group(object)) nested(object);
    suffixes(object);
    for (const LocaleMember& member : object) {
      path_.push(member.key);
      if (!filter_.ignores(path_.segments())) {
        if (member.value.is_string()) {
          icu(member.value.as_string());
        } else if (!is_leaf(member.value)) {
          walk(member.value.as_object());
        }
      }
      path_.pop();
    }
  }

 private:
  void nested(const LocaleObject& group) {
    PluralSet given = 0;
    for (const LocaleMember& member : group) {
      if (!member.value.is_null()) given |= plural_category(member.key);
    }
    auto missing = missing_categories(group, language_.cardinal, path_, filter_);
    auto unexpected = category_names(unexpected_in_group(given, language_.cardinal));
    if (!missing.empty() || !unexpected.empty()) {
      gaps_.push_back({path_.text(), std::move(missing), std::move(unexpected)});
    }
  }

  void suffixes(const LocaleObject& object) {
    const SuffixGroups groups(object);
    if (groups.empty()) return;
    std::vector<PluralSet> given(groups.groups().size(), 0);
    for (const LocaleMember& member : object) {
      const SuffixKey key = read_suffix_key(member.key);
      const std::size_t group = groups.find(key);
      if (group != SuffixGroups::kNone && !member.value.is_null()) given[group] |= key.category;
    }
    for (std::size_t i = 0; i < given.size(); ++i) {
      const SuffixGroups::Group& group = groups.groups()[i];
      const PluralSet needed = group.ordinal ? language_.ordinal : language_.cardinal;
      const auto missing = static_cast<PluralSet>(needed & ~given[i]);
      const PluralSet unexpected = unexpected_in_group(given[i], needed);
      if (missing == 0 && unexpected == 0) continue;
      path_.push(group.name);
      gaps_.push_back(
          {path_.text(), category_names(missing), category_names(unexpected), PluralStyle::Suffix});
      path_.pop();
    }
  }

  void icu(const std::string& text) {
    if (!may_be_message_format(text)) return;
    if (!read_icu_message(text, message_) || !message_.has_choices) return;
    if (auto gap = icu_plural_gap(path_.text(), message_, language_)) {
      gaps_.push_back(std::move(*gap));
    }
  }

  LanguagePlurals language_;
  const KeyFilter& filter_;
  std::vector<PluralGap>& gaps_;
  KeyPath path_;
  IcuMessage message_;
};

}  // namespace

PluralSet unexpected_in_group(PluralSet given, PluralSet needed) noexcept {
  return static_cast<PluralSet>(given & ~needed & ~kZero);
}

std::vector<std::string> category_names(PluralSet set) {
  std::vector<std::string> names;
  for (PluralSet category = kZero; category <= kOther;
       category = static_cast<PluralSet>(category << 1)) {
    if ((set & category) != 0) names.emplace_back(plural_category_name(category));
  }
  return names;
}

std::vector<std::string> missing_categories(const LocaleObject& group, PluralSet needed,
                                            KeyPath& path, const KeyFilter& filter) {
  std::vector<std::string> missing;
  for (PluralSet category = kZero; category <= kOther;
       category = static_cast<PluralSet>(category << 1)) {
    if ((needed & category) == 0) continue;
    const std::string_view name = plural_category_name(category);
    const LocaleValue* value = group.find(name);
    if (value != nullptr && !value->is_null()) continue;
    path.push(name);
    if (!filter.ignores(path.segments())) missing.emplace_back(name);
    path.pop();
  }
  return missing;
}

std::optional<PluralGap> icu_plural_gap(const std::string& key, const IcuMessage& message,
                                        LanguagePlurals language) {
  PluralSet missing = 0;
  PluralSet unexpected = 0;
  std::vector<std::string> unknown;
  for (const IcuChoice& choice : message.choices) {
    const PluralSet needed = choice.ordinal ? language.ordinal : language.cardinal;
    missing |= static_cast<PluralSet>(needed & ~choice.categories);
    unexpected |= static_cast<PluralSet>(choice.categories & ~needed);
    for (std::string_view name : choice.unknown) {
      if (std::find(unknown.begin(), unknown.end(), name) == unknown.end()) {
        unknown.emplace_back(name);
      }
    }
  }
  if (missing == 0 && unexpected == 0 && unknown.empty()) return std::nullopt;
  PluralGap gap{key, category_names(missing), category_names(unexpected), PluralStyle::Icu};
  gap.unexpected.insert(gap.unexpected.end(), unknown.begin(), unknown.end());
  return gap;
}

std::vector<PluralGap> find_plural_gaps(const LocaleValue& tree, LanguagePlurals language,
                                        const KeyFilter& filter) {
  std::vector<PluralGap> gaps;
  if (!tree.is_object()) return gaps;
  GapSearch(language, filter, gaps).walk(tree.as_object());
  return gaps;
}

}  // namespace tarnevo::cli
