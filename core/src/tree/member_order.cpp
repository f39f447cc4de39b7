#include "tree/member_order.hpp"

#include <algorithm>
#include <numeric>
#include <utility>

namespace tarnevo::detail::tree {

LocaleObject object_in_key_order(std::span<LocaleMember> given, std::vector<std::size_t>& order) {
  const std::size_t count = given.size();
  std::vector<LocaleMember> members;
  members.reserve(count);

  bool ordered = true;
  for (std::size_t i = 1; i < count && ordered; ++i)
    ordered = key_less(given[i - 1].key, given[i].key);
  if (ordered) {
    for (LocaleMember& member : given) members.push_back(std::move(member));
  } else {
    order.resize(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [given](std::size_t a, std::size_t b) {
      const int by_key = compare_keys(given[a].key, given[b].key);
      return by_key < 0 || (by_key == 0 && a < b);
    });
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t at = order[i];
      if (i + 1 < count && given[order[i + 1]].key == given[at].key) continue;
      members.push_back(std::move(given[at]));
    }
  }
  // from_members finds them in order and keeps them as they are.
  return LocaleObject::from_members(std::move(members));
}

}  // namespace tarnevo::detail::tree
