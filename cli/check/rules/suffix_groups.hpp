// Plural groups written as sibling keys with a category suffix, as i18next's JSON v4 has them:
// `photo_one`, `photo_other`, and for ordinal numbers `place_ordinal_one`, `place_ordinal_two`.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "check/rules/plural_category.hpp"
#include "tarnevo/value.hpp"

namespace tarnevo::cli {

// A key read as a group's name and a category: "photo_few" is {"photo", false, kFew};
// "place_ordinal_two" is {"place_ordinal", true, kTwo}. `category` is 0 for any other key.
struct SuffixKey {
  // The key without its category suffix, as reports name the group; a view into the key.
  std::string_view group;
  bool ordinal = false;
  PluralSet category = 0;
};
SuffixKey read_suffix_key(std::string_view key) noexcept;

// The suffix groups of one object: names with two or more category keys, "other" among them
// (so that `step_one` beside `step_two` is no group). Found in the default locale's object, they
// say which keys of a locale's object at the same path are categories.
class SuffixGroups {
 public:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  struct Group {
    std::string_view name;
    bool ordinal = false;
    // The categories that the object it was found in gives (null values too).
    PluralSet categories = 0;
  };

  explicit SuffixGroups(const LocaleObject& object);

  bool empty() const noexcept { return groups_.empty(); }
  const std::vector<Group>& groups() const noexcept { return groups_; }
  // The index of the group that `key` is a category of, or kNone.
  std::size_t find(const SuffixKey& key) const noexcept;

 private:
  // Sorted by name.
  std::vector<Group> groups_;
};

}  // namespace tarnevo::cli
