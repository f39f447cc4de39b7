// What `tarnevo check` finds in a locale directory, before it is written as text or JSON.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "check/key_diff.hpp"
#include "loader/discovery.hpp"
#include "locale_reading.hpp"

namespace tarnevo::cli {

struct LocaleCheck {
  LocaleReading reading;
  bool is_default = false;
  // Keys (non-null leaves) in the locale's own tree.
  std::size_t own_keys = 0;
  // The comparison with the default locale: absent for the default locale itself and when the
  // default locale is not in the directory.
  std::optional<KeyDiff> keys;

  bool lacks_keys() const noexcept {
    return keys && (!keys->missing.empty() || !keys->conflicts.empty());
  }
};

struct CheckReport {
  std::string directory;
  std::string default_locale;
  bool default_found = false;
  bool strict = false;
  // Ascending byte order of the names.
  std::vector<LocaleCheck> locales;

  std::size_t file_count() const noexcept;
  std::size_t failing_file_count() const noexcept;
  std::size_t locales_lacking_keys() const noexcept;
  // The default locale is there and every file of it reads, so other locales can fall back to it.
  bool default_loads() const noexcept;
  // No file fails, the default locale is there, and with --strict no locale lacks keys.
  bool passed() const noexcept;
};

CheckReport build_check_report(std::string directory, const detail::loader::LocaleIndex& index,
                               std::string default_locale, bool strict);

}  // namespace tarnevo::cli
