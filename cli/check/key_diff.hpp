// How a locale's keys compare with the default locale's, leaf by leaf.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tarnevo/value.hpp"

namespace tarnevo::cli {

// A key is the dotted path of a leaf: a value that is not an object (strings, numbers, booleans,
// and arrays, which are kept whole). Null leaves hold no text: they count as absent, since loading
// fills them from the default locale. Objects only give the path; an empty one has no keys. A
// TOML date or time, which the reader turns into an object with the single member
// "$__toml_private_datetime", is one leaf: its path is the TOML key's.
struct KeyConflict {
  std::string key;
  // True when the default locale has keys below `key` and the locale a value at it; false for
  // the reverse. Either way filling changes nothing there.
  bool default_has_object;
};

struct KeyDiff {
  // The default's keys that the locale lacks or holds as null: loading fills these.
  std::vector<std::string> missing;
  // The locale's keys that the default lacks (or holds as null).
  std::vector<std::string> extra;
  // Paths where one side has a value and the other has keys below it.
  std::vector<KeyConflict> conflicts;
  // How many keys the default has, and how many of them the locale provides itself.
  std::size_t default_keys = 0;
  std::size_t provided = 0;

  // The share of the default's keys that the locale provides, in tenths of a percent, rounded
  // down so that 1000 means complete (1000 as well when the default has no keys).
  std::size_t completeness_tenths() const noexcept;
};

// Compares the locale's own tree (before filling) with the default locale's tree. Lists follow
// the trees' key order.
KeyDiff compare_keys(const LocaleValue& locale_tree, const LocaleValue& default_tree);

// The number of keys (non-null leaves) in a tree.
std::size_t count_keys(const LocaleValue& tree) noexcept;

}  // namespace tarnevo::cli
