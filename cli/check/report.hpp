// What `tarnevo check` finds in a locale directory, before it is written as text or JSON.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "check/findings.hpp"
#include "check/key_filter.hpp"
#include "check/rules/key_diff.hpp"
#include "check/rules/plural_category.hpp"
#include "loader/discovery.hpp"
#include "locale_reading.hpp"

namespace tarnevo::cli {

struct CheckOptions {
  std::string default_locale;
  bool strict = false;
  // The locales to check (--locale), each once; every locale when empty. The default locale is
  // read for the comparison whether it is among them or not.
  std::vector<std::string> locales;
  // --ignore: key paths left out of every finding.
  KeyFilter ignore;
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
  // Placeholders, shapes and blank strings come from the comparison; plural gaps and shadowed
  // keys are found for every locale.
  Findings findings;

  // Keys the default has that this locale lacks or holds in conflict.
  bool lacks_keys() const noexcept {
    return keys && (!keys->missing.empty() || !keys->conflicts.empty());
  }
};

struct CheckReport {
  std::string directory;
  std::string default_locale;
  bool default_found = false;
  // The default locale is there and every file of it reads, so other locales can fall back to it.
  bool default_loads = false;
  bool strict = false;
  // The checked locales, in ascending byte order of the names.
  std::vector<LocaleCheck> locales;
  // Locales named with --locale that the directory does not hold, in the order given.
  std::vector<std::string> not_found;

  std::size_t file_count() const noexcept;
  std::size_t failing_file_count() const noexcept;
  std::size_t locales_lacking_keys() const noexcept;
  std::size_t placeholder_mismatches() const noexcept;
  std::size_t icu_syntax_errors() const noexcept;
  std::size_t blank_strings() const noexcept;
  std::size_t plural_gaps() const noexcept;
  std::size_t shape_mismatches() const noexcept;
  std::size_t shadowed_keys() const noexcept;
  // Passes when no file fails, the default locale and every --locale is there, and no string's
  // placeholders differ from the default's nor fails to read as ICU MessageFormat where the
  // default's reads; with --strict, also when no locale lacks keys and
  // there are no blank strings, plural gaps, shape mismatches or shadowed keys.
  bool passed() const noexcept;
};

CheckReport build_check_report(std::string directory, const detail::loader::LocaleIndex& index,
                               const CheckOptions& options);

}  // namespace tarnevo::cli
