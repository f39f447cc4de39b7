#include "check/rules/plural_gaps.hpp"

namespace tarnevo::cli {
namespace {

void walk(const LocaleObject& object, PluralSet needed, KeyPath& path, const KeyFilter& filter,
          std::vector<PluralGap>& gaps) {
  if (!path.at_top() && is_plural_group(object)) {
    auto missing = missing_categories(object, needed, path, filter);
    if (!missing.empty()) gaps.push_back(PluralGap{path.text(), std::move(missing)});
  }
  for (const LocaleMember& member : object) {
    if (is_leaf(member.value)) continue;
    path.push(member.key);
    if (!filter.ignores(path.segments()))
      walk(member.value.as_object(), needed, path, filter, gaps);
    path.pop();
  }
}

}  // namespace

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

std::vector<PluralGap> find_plural_gaps(const LocaleValue& tree, PluralSet needed,
                                        const KeyFilter& filter) {
  std::vector<PluralGap> gaps;
  if (!tree.is_object()) return gaps;
  KeyPath path;
  walk(tree.as_object(), needed, path, filter, gaps);
  return gaps;
}

}  // namespace tarnevo::cli
