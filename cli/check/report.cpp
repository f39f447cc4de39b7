#include "check/report.hpp"

#include <algorithm>
#include <utility>

#include "check/rules/plural_gaps.hpp"
#include "check/rules/shadowed_keys.hpp"

namespace tarnevo::cli {
namespace {

template <typename List>
std::size_t total(const std::vector<LocaleCheck>& locales, List Findings::*list) noexcept {
  std::size_t count = 0;
  for (const LocaleCheck& locale : locales) count += (locale.findings.*list).size();
  return count;
}

// Reads one locale and checks it: shadowed keys from its files before they are joined, then the
// comparison with `reference` (the default locale's tree) or, without one, its plural groups
// judged alone.
LocaleCheck read_and_check(const std::string& name,
                           const std::vector<detail::loader::LocaleFile>& files,
                           const CheckOptions& options, const LocaleValue* reference) {
  LocaleCheck check;
  check.plural_categories = plural_categories_of(name);
  LocalePieces pieces = read_pieces(files);
  check.findings.shadowed = find_shadowed_keys(pieces.pieces, pieces.paths, options.ignore);
  check.reading = join_pieces(name, files.size(), std::move(pieces));
  check.own_keys = count_keys(check.reading.tree);
  if (reference != nullptr) {
    check.keys = compare_keys(
        check.reading.tree, *reference,
        CompareScope{options.ignore, check.plural_categories, ordinal_categories_of(name)},
        check.findings);
  } else if (check.plural_categories) {
    const LanguagePlurals language{*check.plural_categories,
                                   ordinal_categories_of(name).value_or(kOther)};
    check.findings.plurals = find_plural_gaps(check.reading.tree, language, options.ignore);
  }
  return check;
}

}  // namespace

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

std::size_t CheckReport::placeholder_mismatches() const noexcept {
  return total(locales, &Findings::placeholders);
}

std::size_t CheckReport::blank_strings() const noexcept {
  return total(locales, &Findings::blank);
}

std::size_t CheckReport::plural_gaps() const noexcept {
  return total(locales, &Findings::plurals);
}

std::size_t CheckReport::shape_mismatches() const noexcept {
  return total(locales, &Findings::shapes);
}

std::size_t CheckReport::shadowed_keys() const noexcept {
  return total(locales, &Findings::shadowed);
}

std::size_t CheckReport::icu_syntax_errors() const noexcept {
  return total(locales, &Findings::icu_syntax);
}

bool CheckReport::passed() const noexcept {
  if (!default_found || !not_found.empty() || failing_file_count() != 0) return false;
  if (placeholder_mismatches() != 0 || icu_syntax_errors() != 0) return false;
  if (!strict) return true;
  return locales_lacking_keys() == 0 && blank_strings() == 0 && plural_gaps() == 0 &&
         shape_mismatches() == 0 && shadowed_keys() == 0;
}

CheckReport build_check_report(std::string directory, const detail::loader::LocaleIndex& index,
                               const CheckOptions& options) {
  CheckReport report;
  report.directory = std::move(directory);
  report.default_locale = options.default_locale;
  report.strict = options.strict;

  const auto selected = [&](const std::string& name) {
    return options.locales.empty() ||
           std::find(options.locales.begin(), options.locales.end(), name) != options.locales.end();
  };
  for (const std::string& name : options.locales) {
    if (!index.contains(name)) report.not_found.push_back(name);
  }

  // The default locale first: every other locale is compared with its tree.
  std::optional<LocaleCheck> fallback;
  if (const auto entry = index.find(report.default_locale); entry != index.end()) {
    fallback = read_and_check(entry->first, entry->second, options, nullptr);
    fallback->is_default = true;
    report.default_found = true;
    report.default_loads = fallback->reading.loads();
  }
  std::vector<const detail::loader::LocaleIndex::value_type*> entries;
  for (const auto& entry : index) {
    if (entry.first != report.default_locale && selected(entry.first)) entries.push_back(&entry);
  }
  std::sort(entries.begin(), entries.end(),
            [](const auto* a, const auto* b) { return a->first < b->first; });
  report.locales.reserve(entries.size() + 1);
  const LocaleValue* reference = fallback ? &fallback->reading.tree : nullptr;
  for (const auto* entry : entries) {
    report.locales.push_back(read_and_check(entry->first, entry->second, options, reference));
  }
  if (fallback && selected(report.default_locale)) {
    const auto at =
        std::lower_bound(report.locales.begin(), report.locales.end(), report.default_locale,
                         [](const LocaleCheck& locale, const std::string& name) {
                           return locale.reading.name < name;
                         });
    report.locales.insert(at, std::move(*fallback));
  }
  return report;
}

}  // namespace tarnevo::cli
