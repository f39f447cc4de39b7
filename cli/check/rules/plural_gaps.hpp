// Plural groups whose categories differ from the ones their locale's language uses.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "check/findings.hpp"
#include "check/key_filter.hpp"
#include "check/key_path.hpp"
#include "check/rules/icu_message.hpp"
#include "check/rules/plural_category.hpp"
#include "tarnevo/value.hpp"

namespace tarnevo::cli {

// The categories a language uses, for cardinal and for ordinal numbers.
struct LanguagePlurals {
  PluralSet cardinal;
  PluralSet ordinal;
};

// The names of the categories in `set`, in CLDR order.
std::vector<std::string> category_names(PluralSet set);

// The categories of `given` that a nested or suffix group should not give: those the language
// does not use, but `zero`, which the libraries that read such groups use for a count of 0 in
// every language.
PluralSet unexpected_in_group(PluralSet given, PluralSet needed) noexcept;

// The categories of `needed` that `group` (at `path`) lacks or holds as null, by name in CLDR
// order, leaving out those whose own path (the group's path and the category) is ignored.
std::vector<std::string> missing_categories(const LocaleObject& group, PluralSet needed,
                                            KeyPath& path, const KeyFilter& filter);

// The plural and selectordinal arguments of one ICU string held against the language: the
// categories they lack, and those the language does not have (with selectors that are no
// category at all, as written); nothing when every argument fits.
std::optional<PluralGap> icu_plural_gap(const std::string& key, const IcuMessage& message,
                                        LanguagePlurals language);

// Every plural group in `tree` (nested, suffix or ICU) whose categories differ from `language`:
// for a locale judged on its own, such as the default locale.
std::vector<PluralGap> find_plural_gaps(const LocaleValue& tree, LanguagePlurals language,
                                        const KeyFilter& filter);

}  // namespace tarnevo::cli
