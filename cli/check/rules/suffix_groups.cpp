#include "check/rules/suffix_groups.hpp"

#include <algorithm>

namespace tarnevo::cli {
namespace {

constexpr std::string_view kOrdinal = "_ordinal";

}  // namespace

SuffixKey read_suffix_key(std::string_view key) noexcept {
  const std::size_t cut = key.rfind('_');
  if (cut == std::string_view::npos || cut == 0) return {};
  const PluralSet category = plural_category(key.substr(cut + 1));
  if (category == 0) return {};
  const std::string_view group = key.substr(0, cut);
  const bool ordinal = group.size() > kOrdinal.size() && group.ends_with(kOrdinal);
  return SuffixKey{group, ordinal, category};
}

SuffixGroups::SuffixGroups(const LocaleObject& object) {
  for (const LocaleMember& member : object) {
    const SuffixKey key = read_suffix_key(member.key);
    if (key.category == 0) continue;
    groups_.push_back(Group{key.group, key.ordinal, key.category});
  }
  if (groups_.empty()) return;
  std::sort(groups_.begin(), groups_.end(),
            [](const Group& a, const Group& b) { return a.name < b.name; });
  // Join each name's categories, then keep the names that form a group.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < groups_.size();) {
    Group joined = groups_[i];
    for (++i; i < groups_.size() && groups_[i].name == joined.name; ++i) {
      joined.categories |= groups_[i].categories;
    }
    if ((joined.categories & kOther) != 0 && category_count(joined.categories) >= 2) {
      groups_[kept++] = joined;
    }
  }
  groups_.resize(kept);
}

std::size_t SuffixGroups::find(const SuffixKey& key) const noexcept {
  if (key.category == 0 || groups_.empty()) return kNone;
  const auto at =
      std::lower_bound(groups_.begin(), groups_.end(), key.group,
                       [](const Group& g, std::string_view name) { return g.name < name; });
  if (at == groups_.end() || at->name != key.group) return kNone;
  return static_cast<std::size_t>(at - groups_.begin());
}

}  // namespace tarnevo::cli
