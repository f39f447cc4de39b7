#include "check/report.hpp"

#include <algorithm>
#include <map>
#include <memory>
#include <utility>

#include "check/key_path.hpp"
#include "check/rules/plural_gaps.hpp"
#include "check/rules/shadowed_keys.hpp"
#include "loader/fallback_chain.hpp"
#include "loader/root_key.hpp"

namespace tarnevo::cli {
namespace {

using detail::loader::LocaleFile;
using detail::loader::LocaleIndex;

// Whether a file's one key reads as a locale name: one of the directory's locales, or a tag
// of letters, `-` and `_` whose language CLDR knows.
bool names_a_locale(std::string_view key, const LocaleIndex& index) {
  for (const auto& entry : index) {
    if (detail::loader::same_locale_name(key, entry.first)) return true;
  }
  if (key.empty() || key.size() > 16) return false;
  const bool tag_like = std::all_of(key.begin(), key.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '_';
  });
  return tag_like && plural_categories_of(key).has_value();
}

struct Reading {
  const LocaleIndex& index;
  const CheckOptions& options;
  bool root_keyed = false;
};

// The files' pieces beneath their root keys when the directory has them, and the files that
// add nothing noted.
LocalePieces prepared(const std::string& name, LocalePieces pieces, const Reading& reading) {
  if (reading.root_keyed) {
    read_beneath_root_keys(
        pieces, name, [&](std::string_view key) { return names_a_locale(key, reading.index); });
  }
  note_files_without_keys(pieces);
  return pieces;
}

// Checks one locale from its files' pieces: shadowed keys before they are joined, then the
// comparison with `reference` (the default locale's tree) or, without one, its plural groups
// judged alone.
LocaleCheck check_pieces(const std::string& name, std::size_t file_count, LocalePieces pieces,
                         const CheckOptions& options, const LocaleValue* reference) {
  LocaleCheck check;
  check.plural_categories = plural_categories_of(name);
  check.findings.shadowed = find_shadowed_keys(pieces.pieces, pieces.paths, options.ignore);
  check.reading = join_pieces(name, file_count, std::move(pieces));
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

// Each file of a default locale that gives no keys, and what it holds instead.
std::vector<DefaultFileNote> empty_default_notes(const LocaleCheck& fallback,
                                                 const std::vector<LocaleFile>& files) {
  std::vector<DefaultFileNote> notes;
  for (const LocaleFile& file : files) {
    std::string holds = "no keys";
    for (const FileFailure& failure : fallback.reading.failures) {
      if (failure.path == file.path) holds = "a file that fails to read";
    }
    for (const FileWithoutKeys& without : fallback.reading.without_keys) {
      if (without.path == file.path) holds = without.holds;
    }
    notes.push_back(DefaultFileNote{file.path, std::move(holds)});
  }
  return notes;
}

// Whether `tree` holds a value (not null) at the written key path.
bool holds_key(const LocaleValue& tree, const std::string& key) {
  const auto segments = split_path(key);
  if (!segments) return false;
  const LocaleValue* at = &tree;
  for (const PathSegment& segment : *segments) {
    if (!at->is_object()) return false;
    at = at->as_object().find(segment.text);
    if (at == nullptr) return false;
  }
  return !at->is_null();
}

// The regional parents' trees (fr for fr_CA), each read once and only when asked for.
class RegionalParents {
 public:
  RegionalParents(const LocaleIndex& index, const Reading& reading)
      : index_(index), reading_(reading) {}

  // Moves the missing keys that a parent gives into `check.inherited`.
  void inherit(LocaleCheck& check, const std::string& default_locale) {
    if (!check.keys || check.keys->missing.empty()) return;
    const auto chain =
        detail::loader::fallback_chain(check.reading.name, default_locale, Fallback::Regional);
    for (std::size_t i = 1; i + 1 < chain.size(); ++i) {
      const LocaleValue* tree = parent(std::string(chain[i]));
      if (tree == nullptr) continue;
      std::vector<std::string>& missing = check.keys->missing;
      const std::size_t before = check.inherited.size();
      std::erase_if(missing, [&](const std::string& key) {
        if (!holds_key(*tree, key)) return false;
        check.inherited.push_back(key);
        return true;
      });
      if (check.inherited.size() != before) check.inherited_from.emplace_back(chain[i]);
    }
  }

 private:
  const LocaleValue* parent(const std::string& name) {
    if (const auto known = trees_.find(name); known != trees_.end()) return known->second.get();
    std::unique_ptr<LocaleValue> tree;
    if (const auto entry = index_.find(name); entry != index_.end()) {
      tree = std::make_unique<LocaleValue>(
          join_pieces(name, entry->second.size(),
                      prepared(name, read_pieces(entry->second), reading_))
              .tree);
    }
    return trees_.emplace(name, std::move(tree)).first->second.get();
  }

  const LocaleIndex& index_;
  const Reading& reading_;
  std::map<std::string, std::unique_ptr<LocaleValue>> trees_;
};

}  // namespace

std::size_t CheckReport::file_count() const noexcept {
  std::size_t count = 0;
  for (const LocaleCheck& locale : locales) count += locale.reading.file_count;
  return count;
}

std::size_t CheckReport::locales_lacking_keys() const noexcept {
  return static_cast<std::size_t>(
      std::count_if(locales.begin(), locales.end(),
                    [](const LocaleCheck& locale) { return locale.lacks_keys(); }));
}

CheckReport build_check_report(std::string directory, const LocaleIndex& index,
                               const CheckOptions& options) {
  CheckReport report;
  report.directory = std::move(directory);
  report.default_locale = options.default_locale;
  report.strict = options.strict;
  report.only = options.only;
  report.severities = options.severities;
  report.root_key = options.root_key;

  const auto selected = [&](const std::string& name) {
    return options.locales.empty() ||
           std::find(options.locales.begin(), options.locales.end(), name) != options.locales.end();
  };
  for (const std::string& name : options.locales) {
    if (!index.contains(name)) report.not_found.push_back(name);
  }

  // The default locale first: its files decide whether the directory is root-keyed, and every
  // other locale is compared with its tree.
  Reading reading{index, options};
  std::optional<LocaleCheck> fallback;
  if (const auto entry = index.find(report.default_locale); entry != index.end()) {
    LocalePieces pieces = read_pieces(entry->second, options.positions);
    std::vector<const LocaleValue*> values;
    values.reserve(pieces.pieces.size());
    for (const LocalePiece& piece : pieces.pieces) values.push_back(&piece.value);
    // A default locale whose files do not all read cannot show the layout by itself.
    reading.root_keyed =
        (pieces.failures.empty() || options.root_key != RootKey::Auto) &&
        detail::loader::directory_root_keyed(options.root_key, values, report.default_locale);
    report.root_keyed = reading.root_keyed;
    fallback = check_pieces(entry->first, entry->second.size(),
                            prepared(entry->first, std::move(pieces), reading), options, nullptr);
    fallback->is_default = true;
    report.default_placed = std::move(fallback->reading.placed);
    report.default_found = true;
    report.default_loads = fallback->reading.loads();
    if (fallback->own_keys == 0)
      report.empty_default = empty_default_notes(*fallback, entry->second);
  }
  std::vector<const LocaleIndex::value_type*> entries;
  for (const auto& entry : index) {
    if (entry.first != report.default_locale && selected(entry.first)) entries.push_back(&entry);
  }
  std::sort(entries.begin(), entries.end(),
            [](const auto* a, const auto* b) { return a->first < b->first; });
  report.locales.reserve(entries.size() + 1);
  const LocaleValue* reference = fallback ? &fallback->reading.tree : nullptr;
  RegionalParents parents(index, reading);
  for (const auto* entry : entries) {
    report.locales.push_back(
        check_pieces(entry->first, entry->second.size(),
                     prepared(entry->first, read_pieces(entry->second, options.positions), reading),
                     options, reference));
    if (options.fallback == Fallback::Regional) {
      parents.inherit(report.locales.back(), report.default_locale);
    }
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
