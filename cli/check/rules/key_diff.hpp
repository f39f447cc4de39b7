// How a locale's keys and values compare with the default locale's, leaf by leaf.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "check/findings.hpp"
#include "check/key_filter.hpp"
#include "check/rules/plural_category.hpp"
#include "tarnevo/value.hpp"

namespace tarnevo::cli {

// Keys are paths of leaves (see key_path.hpp). Null leaves hold no text: they count as absent,
// since loading fills them from the default locale. Objects only give the path; an empty one has
// no keys.
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
  // How many keys the default has, and how many of them the locale provides itself (a blank
  // string does not count as provided).
  std::size_t default_keys = 0;
  std::size_t provided = 0;

  // The share of the default's keys that the locale provides, in tenths of a percent, rounded
  // down so that 1000 means complete (1000 as well when the default has no keys).
  std::size_t completeness_tenths() const noexcept;
};

struct CompareScope {
  const KeyFilter& filter;
  // The plural categories of the locale's language, cardinal and ordinal; unknown languages get
  // no plural judgement.
  std::optional<PluralSet> categories;
  std::optional<PluralSet> ordinal_categories = std::nullopt;
};

// Compares the locale's own tree (before filling) with the default locale's tree, in one walk:
// the keys, and for leaves both hold, blank strings, shapes, placeholders and ICU MessageFormat;
// plural groups are judged by the locale's language. Plural groups are those of the default's
// tree: objects of categories (nested) and sibling keys with a category suffix (`photo_one`,
// `place_ordinal_two`). In them, categories the language does not use are neither missing nor
// counted, and are unexpected where the locale gives them (`zero` excepted); categories it uses
// are never extra, and one the default lacks is compared with the default's "other". Plural
// arguments inside ICU strings are judged too. Paths that the filter ignores are left out, and
// not counted. Lists follow the trees' key order.
KeyDiff compare_keys(const LocaleValue& locale_tree, const LocaleValue& default_tree,
                     const CompareScope& scope, Findings& findings);

// The number of keys (non-null leaves) in a tree.
std::size_t count_keys(const LocaleValue& tree) noexcept;

}  // namespace tarnevo::cli
