#include "tarnevo/loader.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <mutex>
#include <new>
#include <shared_mutex>
#include <unordered_map>
#include <utility>

#include "loader/discovery.hpp"
#include "loader/locale_file.hpp"
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
};

struct LocaleLoader::GuardedCache {
  struct Entry {
    SharedLocaleValue tree;
    // Whether the first hit has passed: `tree` is then a copy laid out in the order that hits
    // walk it (or stays as it was when there was no memory for the copy; see lay_out_cached).
    bool laid_out = false;
  };
  using Map = std::unordered_map<std::string, Entry, detail::loader::TextHash, std::equal_to<>>;

  mutable std::shared_mutex lock;
  Map value;
};

LocaleLoader::LocaleLoader(std::string dir_path, std::string default_locale)
    : dir_path_(std::move(dir_path)),
      default_locale_(std::move(default_locale)),
      state_(std::make_shared<GuardedState>()),
      files_(std::make_shared<GuardedIndex>()),
      cache_(std::make_shared<GuardedCache>()) {
  state_->value = LoaderState::Uninitialized;
}

LocaleLoader::~LocaleLoader() = default;

std::expected<LocaleLoader, LoaderError> LocaleLoader::create(std::string dir_path,
                                                              std::string default_locale) {
  // A path with a NUL inside names nothing the file system can look up; handing it to stat()
  // would quietly cut it at the NUL and open a different directory.
  struct stat info;
  if (dir_path.find('\0') != std::string::npos || ::stat(dir_path.c_str(), &info) != 0 ||
      !S_ISDIR(info.st_mode)) {
    return std::unexpected(LoaderError::directory_not_found(dir_path));
  }
  LocaleLoader loader(std::move(dir_path), std::move(default_locale));
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
std::expected<LocaleValue, LoaderError> LocaleLoader::load_uncached(
    std::string_view locale, const LocaleValue* filling) const {
  std::vector<LocalePiece> pieces;
  {
    const std::shared_lock files_lock(files_->lock);
    const auto entry = files_->value.find(locale);
    if (entry == files_->value.end()) {
      return std::unexpected(LoaderError::locale_not_found(std::string(locale)));
    }
    pieces.reserve(entry->second.size());
    for (const LocaleFile& file : entry->second) {
      auto value = detail::loader::read_locale_file(file, filling);
      if (!value) return std::unexpected(std::move(value.error()));
      pieces.push_back(LocalePiece{file.namespace_path, std::move(*value)});
    }
  }
  return assemble_pieces(std::move(pieces));
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

  auto tree = load_uncached(locale);
  bool fell_back = false;
  if (!tree) {
    if (locale == default_locale_) return std::unexpected(std::move(tree.error()));
    // The requested locale's error is dropped: what the caller learns is why the default failed.
    tree = load_uncached(default_locale_);
    if (!tree) return std::unexpected(std::move(tree.error()));
    fell_back = true;
  }
  // After a fallback the tree is the default's own, and filling a tree from itself changes
  // nothing, so the default's files are not read and parsed a second time for it.
  if (!fell_back && locale != default_locale_ && exists(default_locale_)) {
    // A default that fails here only means nothing is filled in.
    // Only what the tree lacks is built from the default's files; they are checked whole.
    if (auto defaults = load_uncached(default_locale_, &*tree)) {
      fill_from(*tree, std::move(*defaults));
    }
  }

  auto shared = std::make_shared<const LocaleValue>(std::move(*tree));
  GuardedCache::Entry replaced;  // released after the lock, so no tree is destroyed under it
  {
    const std::unique_lock cache_lock(cache_->lock);
    if (const auto earlier = cache_->value.find(locale); earlier != cache_->value.end()) {
      replaced = std::exchange(earlier->second, GuardedCache::Entry{shared, false});
    } else {
      cache_->value.emplace(std::string(locale), GuardedCache::Entry{shared, false});
    }
  }
  return shared;
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
