#include "check/report.hpp"

#include <algorithm>
#include <utility>

namespace tarnevo::cli {

std::size_t CheckReport::file_count() const noexcept {
  std::size_t count = 0;
  for (const LocaleCheck& locale : locales) count += locale.reading.file_count;
  return count;
}

std::size_t CheckReport::failing_file_count() const noexcept {
  std::size_t count = 0;
  for (const LocaleCheck& locale : locales) count += locale.reading.failures.size();
  return count;
}

std::size_t CheckReport::locales_lacking_keys() const noexcept {
  return static_cast<std::size_t>(
      std::count_if(locales.begin(), locales.end(),
                    [](const LocaleCheck& locale) { return locale.lacks_keys(); }));
}

bool CheckReport::default_loads() const noexcept {
  return std::any_of(locales.begin(), locales.end(), [](const LocaleCheck& locale) {
    return locale.is_default && locale.reading.loads();
  });
}

bool CheckReport::passed() const noexcept {
  return default_found && failing_file_count() == 0 && !(strict && locales_lacking_keys() != 0);
}

CheckReport build_check_report(std::string directory, const detail::loader::LocaleIndex& index,
                               std::string default_locale, bool strict) {
  CheckReport report;
  report.directory = std::move(directory);
  report.default_locale = std::move(default_locale);
  report.strict = strict;
  for (LocaleReading& reading : read_all_locales(index)) {
    LocaleCheck check;
    check.own_keys = count_keys(reading.tree);
    check.reading = std::move(reading);
    report.locales.push_back(std::move(check));
  }
  const auto fallback = std::find_if(
      report.locales.begin(), report.locales.end(),
      [&](const LocaleCheck& locale) { return locale.reading.name == report.default_locale; });
  report.default_found = fallback != report.locales.end();
  if (!report.default_found) return report;
  fallback->is_default = true;
  for (LocaleCheck& locale : report.locales) {
    if (locale.is_default) continue;
    locale.keys = compare_keys(locale.reading.tree, fallback->reading.tree);
  }
  return report;
}

}  // namespace tarnevo::cli
