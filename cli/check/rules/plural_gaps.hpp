// Plural groups that lack categories their locale's language uses.
#pragma once

#include <string>
#include <vector>

#include "check/findings.hpp"
#include "check/key_filter.hpp"
#include "check/key_path.hpp"
#include "check/rules/plural_category.hpp"
#include "tarnevo/value.hpp"

namespace tarnevo::cli {

// The categories of `needed` that `group` (at `path`) lacks or holds as null, by name in CLDR
// order, leaving out those whose own path (the group's path and the category) is ignored.
std::vector<std::string> missing_categories(const LocaleObject& group, PluralSet needed,
                                            KeyPath& path, const KeyFilter& filter);

// Every plural group in `tree` that lacks categories of `needed`: for a locale judged on its own,
// such as the default locale.
std::vector<PluralGap> find_plural_gaps(const LocaleValue& tree, PluralSet needed,
                                        const KeyFilter& filter);

}  // namespace tarnevo::cli
