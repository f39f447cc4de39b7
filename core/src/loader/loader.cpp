#include "tarnevo/loader.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <new>
#include <shared_mutex>
#include <unordered_map>
#include <utility>

#include "loader/discovery.hpp"
#include "loader/fallback_chain.hpp"
#include "loader/locale_file.hpp"
#include "loader/root_key.hpp"
#include "loader/state_machine.hpp"
#include "tarnevo/merge.hpp"

namespace tarnevo {

using detail::loader::LocaleFile;
using detail::loader::LocaleIndex;
using detail::loader::transition_lenient;
using detail::loader::transition_strict;

struct LocaleLoader::GuardedState {
  mutable std::shared_mutex lock;
  LoaderState value = LoaderState::Uninitialized;
};

struct LocaleLoader::GuardedIndex {
  mutable std::shared_mutex lock;
  LocaleIndex value;
  // RootKey::Auto's decision for this index: -1 not made yet, else 0 or 1. Two loads may both
  // make it; they come to the same answer.
  mutable std::atomic<int> root_keyed{-1};
};

struct LocaleLoader::GuardedCache {
  struct Entry {
    SharedLocaleValue tree;
    // Whether the first hit has passed: `tree` is then a copy laid out in the order that hits
    // walk it (or stays as it was when there was no memory for the copy; see lay_out_cached).
    bool laid_out = false;
    std::shared_ptr<const LoadNotes> notes;
  };
  using Map = std::unordered_map<std::string, Entry, detail::loader::TextHash, std::equal_to<>>;

  mutable std::shared_mutex lock;
  Map value;
};

LocaleLoader::LocaleLoader(std::string dir_path, std::string default_locale, LoaderOptions options)
    : dir_path_(std::move(dir_path)),
      default_locale_(std::move(default_locale)),
      options_(options),
      state_(std::make_shared<GuardedState>()),
      files_(std::make_shared<GuardedIndex>()),
      cache_(std::make_shared<GuardedCache>()) {
  state_->value = LoaderState::Uninitialized;
}

LocaleLoader::~LocaleLoader() = default;

std::expected<LocaleLoader, LoaderError> LocaleLoader::create(std::string dir_path,
                                                              std::string default_locale,
                                                              LoaderOptions options) {
  // A path with a NUL inside names nothing the file system can look up; handing it to stat()
  // would quietly cut it at the NUL and open a different directory.
  struct stat info;
  if (dir_path.find('\0') != std::string::npos || ::stat(dir_path.c_str(), &info) != 0 ||
      !S_ISDIR(info.st_mode)) {
    return std::unexpected(LoaderError::directory_not_found(dir_path));
  }
  LocaleLoader loader(std::move(dir_path), std::move(default_locale), options);
  if (auto discovered = loader.discover(); !discovered) {
    return std::unexpected(std::move(discovered.error()));
  }
  return loader;
}

// The state lock is held through the whole walk, so discoveries never overlap; the index lock is
// taken inside it only for the swap, so readers keep the old index while the directory is
// walked. The old index is released after both locks.
std::expected<void, LoaderError> LocaleLoader::discover() {
  LocaleIndex fresh;
  {
    const std::unique_lock state_lock(state_->lock);
    fresh = detail::loader::scan_directory(dir_path_);
    {
      const std::unique_lock files_lock(files_->lock);
      files_->value.swap(fresh);
      files_->root_keyed.store(-1, std::memory_order_relaxed);
    }
    if (auto moved = transition_strict(state_->value, LoaderState::Discovered); !moved) {
      return moved;
    }
    transition_lenient(state_->value, LoaderState::Idle);
  }
  return {};
}

std::vector<std::string> LocaleLoader::languages() const {
  std::vector<std::string> names;
  {
    const std::shared_lock files_lock(files_->lock);
    names.reserve(files_->value.size());
    for (const auto& entry : files_->value) names.push_back(entry.first);
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool LocaleLoader::exists(std::string_view locale) const {
  const std::shared_lock files_lock(files_->lock);
  return files_->value.contains(locale);
}

LoaderState LocaleLoader::current_state() const {
  const std::shared_lock state_lock(state_->lock);
  return state_->value;
}

// The index stays locked for reading while the files are read, so the list being walked cannot
// be replaced underneath; a discovery waits only for its swap.
std::expected<LocaleValue, LoaderError> LocaleLoader::load_uncached(std::string_view locale,
                                                                    const LocaleValue* filling,
                                                                    bool root_keyed) const {
  std::vector<LocalePiece> pieces;
  {
    const std::shared_lock files_lock(files_->lock);
    const auto entry = files_->value.find(locale);
    if (entry == files_->value.end()) {
      return std::unexpected(LoaderError::locale_not_found(std::string(locale)));
    }
    pieces.reserve(entry->second.size());
    for (const LocaleFile& file : entry->second) {
      auto value = detail::loader::read_locale_file(
          file, filling, root_keyed ? std::optional(locale) : std::nullopt);
      if (!value) return std::unexpected(std::move(value.error()));
      pieces.push_back(LocalePiece{file.namespace_path, std::move(*value)});
    }
  }
  return assemble_pieces(std::move(pieces));
}

bool LocaleLoader::root_keyed() const {
  if (options_.root_key != RootKey::Auto) return options_.root_key == RootKey::On;
  const int decided = files_->root_keyed.load(std::memory_order_relaxed);
  if (decided >= 0) return decided == 1;
  // A default file that does not read is not rooted, so the directory is read as it is. The
  // decision is stored under the index lock, so a discovery's reset cannot come between the
  // reading and the storing.
  std::vector<LocaleValue> files;
  bool readable = true;
  const std::shared_lock files_lock(files_->lock);
  if (const auto entry = files_->value.find(default_locale_); entry != files_->value.end()) {
    for (const LocaleFile& file : entry->second) {
      auto value = detail::loader::read_locale_file(file);
      if (!value) {
        readable = false;
        break;
      }
      files.push_back(std::move(*value));
    }
  }
  std::vector<const LocaleValue*> views;
  views.reserve(files.size());
  for (const LocaleValue& file : files) views.push_back(&file);
  const bool keyed =
      readable && detail::loader::directory_root_keyed(RootKey::Auto, views, default_locale_);
  files_->root_keyed.store(keyed ? 1 : 0, std::memory_order_relaxed);
  return keyed;
}

std::expected<SharedLocaleValue, LoaderError> LocaleLoader::load_shared(std::string_view locale) {
  SharedLocaleValue scattered;
  {
    const std::shared_lock cache_lock(cache_->lock);
    if (const auto hit = cache_->value.find(locale); hit != cache_->value.end()) {
      if (hit->second.laid_out) return hit->second.tree;
      scattered = hit->second.tree;
    }
  }
  if (scattered) return lay_out_cached(locale, scattered);
  auto report = load_miss(locale);
  if (!report) return std::unexpected(std::move(report.error()));
  return std::move(report->tree);
}

std::expected<LoadReport, LoaderError> LocaleLoader::load_report(std::string_view locale) {
  SharedLocaleValue scattered;
  std::shared_ptr<const LoadNotes> notes;
  {
    const std::shared_lock cache_lock(cache_->lock);
    if (const auto hit = cache_->value.find(locale); hit != cache_->value.end()) {
      if (hit->second.laid_out) return LoadReport{hit->second.tree, true, hit->second.notes};
      scattered = hit->second.tree;
      notes = hit->second.notes;
    }
  }
  if (scattered) return LoadReport{lay_out_cached(locale, scattered), true, std::move(notes)};
  return load_miss(locale);
}

// The locale's own files first, then each locale of its chain that is in the directory, until
// one loads; the locales after it fill what it lacks, in order, so a nearer one wins. The
// requested locale is tried even when not discovered (its "not found" is noted); the default
// locale last, and its failure is the load's. Every other failure is noted and passed over.
std::expected<ReadReport, LoaderError> LocaleLoader::read_report(std::string_view locale) const {
  const bool keyed = root_keyed();
  const std::vector<std::string_view> chain =
      detail::loader::fallback_chain(locale, default_locale_, options_.fallback);
  auto notes = std::make_shared<LoadNotes>();
  std::optional<LocaleValue> tree;
  std::size_t served = 0;
  for (; served < chain.size(); ++served) {
    const bool last = served + 1 == chain.size();
    if (served > 0 && !last && !exists(chain[served])) continue;
    auto read = load_uncached(chain[served], nullptr, keyed);
    if (read) {
      tree.emplace(std::move(*read));
      break;
    }
    if (last) return std::unexpected(std::move(read.error()));
    notes->dropped.push_back(DroppedError{std::string(chain[served]), std::move(read.error())});
  }
  notes->served_by = chain[served];
  // Filling a tree from the locale it was read from would change nothing, so a locale is never
  // read a second time for it. Only what the tree lacks is built from the fillers' files; they
  // are checked whole, and one that fails only means nothing is filled in from it.
  for (std::size_t filler = served + 1; filler < chain.size(); ++filler) {
    if (!exists(chain[filler])) continue;
    if (auto more = load_uncached(chain[filler], &*tree, keyed)) {
      fill_from(*tree, std::move(*more));
    } else {
      notes->dropped.push_back(
          DroppedError{std::string(chain[filler]), std::move(more.error()), true});
    }
  }

  return ReadReport{std::move(*tree), std::move(notes)};
}

std::expected<LoadReport, LoaderError> LocaleLoader::load_miss(std::string_view locale) {
  auto read = read_report(locale);
  if (!read) return std::unexpected(std::move(read.error()));
  LoadReport report{std::make_shared<const LocaleValue>(std::move(read->tree)), false,
                    std::move(read->notes)};
  GuardedCache::Entry replaced;  // released after the lock, so no tree is destroyed under it
  {
    const GuardedCache::Entry entry{report.tree, false, report.notes};
    const std::unique_lock cache_lock(cache_->lock);
    if (const auto earlier = cache_->value.find(locale); earlier != cache_->value.end()) {
      replaced = std::exchange(earlier->second, entry);
    } else {
      cache_->value.emplace(std::string(locale), entry);
    }
  }
  return report;
}

// The assembled tree is scattered between the blocks that parsing and merging freed; a deep
// copy allocates its nodes one after another in the order that conversions and the JSON writer
// walk them, and every later hit reads it about a quarter faster (make bench, cache hit). The first
// hit makes that copy and puts it in the cache, so a locale that is loaded but never asked for
// again costs no copy. Should the entry have changed meanwhile (cleared, reloaded), the copy is
// only handed out. The copy is only an optimisation: without memory for it, the tree serves as it
// is, and no later hit tries again.
SharedLocaleValue LocaleLoader::lay_out_cached(std::string_view locale,
                                               const SharedLocaleValue& scattered) {
  SharedLocaleValue laid_out;
  try {
    laid_out = std::make_shared<const LocaleValue>(*scattered);
  } catch (const std::bad_alloc&) {
    laid_out = scattered;
  }
  SharedLocaleValue replaced;  // released after the lock, so no tree is destroyed under it
  {
    const std::unique_lock cache_lock(cache_->lock);
    if (const auto entry = cache_->value.find(locale);
        entry != cache_->value.end() && entry->second.tree == scattered) {
      replaced = std::exchange(entry->second.tree, laid_out);
      entry->second.laid_out = true;
    }
  }
  return laid_out;
}

std::expected<LocaleValue, LoaderError> LocaleLoader::load(std::string_view locale) {
  auto shared = load_shared(locale);
  if (!shared) return std::unexpected(std::move(shared.error()));
  return LocaleValue(**shared);
}

std::expected<void, LoaderError> LocaleLoader::reload(std::optional<std::string_view> locale) {
  {
    const std::unique_lock state_lock(state_->lock);
    transition_lenient(state_->value, LoaderState::Reloading);
  }
  clear_cache(locale);
  auto outcome = discover();
  {
    const std::unique_lock state_lock(state_->lock);
    transition_lenient(state_->value, outcome ? LoaderState::Idle : LoaderState::Error);
  }
  return outcome;
}

// Dropped trees are destroyed after the lock is released; a thread still holding one of them
// through load_shared keeps it alive.
void LocaleLoader::clear_cache(std::optional<std::string_view> locale) {
  GuardedCache::Map dropped_all;
  GuardedCache::Map::node_type dropped_one;
  const std::unique_lock cache_lock(cache_->lock);
  if (locale) {
    if (const auto entry = cache_->value.find(*locale); entry != cache_->value.end()) {
      dropped_one = cache_->value.extract(entry);
    }
  } else {
    cache_->value.swap(dropped_all);
  }
}

}  // namespace tarnevo
