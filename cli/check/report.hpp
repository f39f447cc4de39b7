// What `tarnevo check` finds in a locale directory, before it is written as text or JSON.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "check/finding_kinds.hpp"
#include "check/findings.hpp"
#include "check/key_filter.hpp"
#include "check/rules/key_diff.hpp"
#include "check/rules/plural_category.hpp"
#include "loader/discovery.hpp"
#include "locale_reading.hpp"
#include "tarnevo/options.hpp"

namespace tarnevo::cli {

struct CheckOptions {
  std::string default_locale;
  bool strict = false;
  // The locales to check (--locale), each once; every locale when empty. The default locale is
  // read for the comparison whether it is among them or not.
  std::vector<std::string> locales;
  // --ignore: key paths left out of every finding.
  KeyFilter ignore;
  // --root-key: whether each file is read beneath a key naming its locale.
  RootKey root_key = RootKey::Auto;
  // --only: the kinds reported, and the only ones that can fail the run.
  KindSet only = KindSet::all();
  KindSeverities severities = {};
  // --fallback regional: a key the locale's regional parent gives (fr for fr_CA) is inherited,
  // not missing, since loading fills it from there first.
  Fallback fallback = Fallback::Default;
  // Record where each file writes its keys, so that findings can be placed (place_findings).
  bool positions = false;
};

struct LocaleCheck {
  LocaleReading reading;
  bool is_default = false;
  // Keys (non-null leaves) in the locale's own tree.
  std::size_t own_keys = 0;
  // The plural categories of the locale's language, when CLDR knows it.
  std::optional<PluralSet> plural_categories;
  // The comparison with the default locale: absent for the default locale itself and when the
  // default locale is not in the directory.
  std::optional<KeyDiff> keys;
  // Keys of the default's that the locale lacks and a regional parent gives (--fallback
  // regional), taken out of keys->missing; and the parents that gave them, nearest first.
  std::vector<std::string> inherited;
  std::vector<std::string> inherited_from;
  // Placeholders, shapes and blank strings come from the comparison; plural gaps and shadowed
  // keys are found for every locale.
  Findings findings;

  // Keys the default has that this locale lacks or holds in conflict.
  bool lacks_keys() const noexcept {
    return keys && (!keys->missing.empty() || !keys->conflicts.empty());
  }
  // Whether CLDR knows the locale's language: a name it does not know is often a file in the
  // directory that is no locale at all (a table of completion percentages).
  bool known_to_cldr() const noexcept { return plural_categories.has_value(); }
};

// One file of the default locale, and why it gives no keys: "a list", "no keys", ...
struct DefaultFileNote {
  std::string path;
  std::string holds;
};

struct CheckReport {
  std::string directory;
  std::string default_locale;
  bool default_found = false;
  // The default locale is there and every file of it reads, so other locales can fall back to it.
  bool default_loads = false;
  bool strict = false;
  KindSet only = KindSet::all();
  KindSeverities severities = {};
  RootKey root_key = RootKey::Auto;
  // Each locale was read beneath its root key.
  bool root_keyed = false;
  // When the default locale is there but gives no keys, each of its files and what it holds
  // instead: nothing can be compared, so the check fails.
  std::vector<DefaultFileNote> empty_default;
  // The checked locales, in ascending byte order of the names.
  std::vector<LocaleCheck> locales;
  // Where the default locale's files write their keys (when read with positions): missing keys
  // are placed there, whether the default locale is among the checked ones or not.
  std::vector<PlacedFile> default_placed;
  // Locales named with --locale that the directory does not hold, in the order given.
  std::vector<std::string> not_found;

  std::size_t file_count() const noexcept;
  std::size_t locales_lacking_keys() const noexcept;
  // What fails the run whatever the findings: the default locale or a --locale is not there,
  // or the default locale gives no keys.
  bool setup_fails() const noexcept {
    return !default_found || !not_found.empty() || !empty_default.empty();
  }
};

CheckReport build_check_report(std::string directory, const detail::loader::LocaleIndex& index,
                               const CheckOptions& options);

}  // namespace tarnevo::cli
