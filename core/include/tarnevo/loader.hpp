// The locale loader: discovery, loading with fallback and filling, and the cache.
#pragma once

#include <expected>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tarnevo/error.hpp"
#include "tarnevo/options.hpp"
#include "tarnevo/state.hpp"
#include "tarnevo/value.hpp"

namespace tarnevo {

// A cached locale tree. Cached trees are never changed, so they are shared, not copied.
using SharedLocaleValue = std::shared_ptr<const LocaleValue>;

// An error that a load got past, and the locale whose files gave it. The error's path() names
// the failing file (empty when the locale is not in the directory).
struct DroppedError {
  std::string locale;
  LoaderError error;
  // Whether the locale's files were read to fill the tree, not to serve it.
  bool filling = false;
};

// What the load that read a locale's files found, beside its tree.
struct LoadNotes {
  // The locale whose files the tree was read from: the requested one, or one it fell back to.
  std::string served_by;
  // In the order met: each locale of the fallback chain that was tried and failed (the first
  // failure of its files, or that it is not in the directory), then each locale whose files
  // failed while they were read to fill the tree.
  std::vector<DroppedError> dropped;
};

// The outcome of load_report: the tree load_shared gives, and how it was made.
struct LoadReport {
  SharedLocaleValue tree;
  // Whether the tree came from the cache: this call read nothing, and `notes` are those of the
  // load that filled the cache.
  bool cached = false;
  std::shared_ptr<const LoadNotes> notes;  // never null
};

// The outcome of read_report: a tree of the caller's own, and how it was made.
struct ReadReport {
  LocaleValue tree;
  std::shared_ptr<const LoadNotes> notes;  // never null
};

class LocaleLoader {
 public:
  // Checks that `dir_path` names a directory (links followed), then discovers its locales.
  // Fails only with DirectoryNotFound.
  static std::expected<LocaleLoader, LoaderError> create(std::string dir_path,
                                                         std::string default_locale,
                                                         LoaderOptions options = {});

  LocaleLoader(LocaleLoader&&) noexcept = default;
  LocaleLoader& operator=(LocaleLoader&&) noexcept = default;
  LocaleLoader(const LocaleLoader&) = delete;
  LocaleLoader& operator=(const LocaleLoader&) = delete;
  ~LocaleLoader();

  // The discovered locale names in ascending byte order.
  std::vector<std::string> languages() const;
  // Whether discovery found `locale` (byte-exact); the file system is not consulted.
  bool exists(std::string_view locale) const;

  // The locale's tree, from the cache or read from its files, completed from the default locale
  // and falling back to it; the result is the caller's own copy.
  std::expected<LocaleValue, LoaderError> load(std::string_view locale);
  // The same outcome as `load`, handing out the cached tree itself instead of a copy.
  std::expected<SharedLocaleValue, LoaderError> load_shared(std::string_view locale);
  // The same outcome as `load_shared`, with what the load got past: which locale served the
  // tree, and every error that fallback and filling dropped.
  std::expected<LoadReport, LoaderError> load_report(std::string_view locale);
  // What a load that misses the cache makes, whatever the cache holds, and not kept in it: for
  // a caller that keeps its own form of the result (the Python module keeps its conversion, so
  // a tree kept here as well would double the memory of every loaded locale).
  std::expected<ReadReport, LoaderError> read_report(std::string_view locale) const;

  // Drops one cached locale (or all without a name) and rediscovers the directory.
  std::expected<void, LoaderError> reload(std::optional<std::string_view> locale);
  // Drops one cached locale, or all of them without a name.
  void clear_cache(std::optional<std::string_view> locale);

  const std::string& dir_path() const noexcept { return dir_path_; }
  const std::string& default_locale() const noexcept { return default_locale_; }
  const LoaderOptions& options() const noexcept { return options_; }
  // The state machine's current state; not part of what the façades show.
  LoaderState current_state() const;

 private:
  // The three shared objects, each behind its own reader-writer lock (defined with the loader's
  // code). Held by pointer so that a loader can be moved.
  struct GuardedState;
  struct GuardedIndex;
  struct GuardedCache;

  LocaleLoader(std::string dir_path, std::string default_locale, LoaderOptions options);

  std::expected<void, LoaderError> discover();
  // Reads the locale's files along its fallback chain, fills it, and caches the tree.
  std::expected<LoadReport, LoaderError> load_miss(std::string_view locale);
  // Whether files are read beneath a root key naming their locale; RootKey::Auto is decided on
  // the default locale's files once per discovery.
  bool root_keyed() const;
  SharedLocaleValue lay_out_cached(std::string_view locale, const SharedLocaleValue& scattered);
  // The locale's files assembled into one tree. With `filling`, the tree is read only to fill
  // `filling`: parts that `filling` already has as non-null leaves may be left out.
  std::expected<LocaleValue, LoaderError> load_uncached(std::string_view locale,
                                                        const LocaleValue* filling,
                                                        bool root_keyed) const;

  std::string dir_path_;
  std::string default_locale_;
  LoaderOptions options_;
  std::shared_ptr<GuardedState> state_;
  std::shared_ptr<GuardedIndex> files_;
  std::shared_ptr<GuardedCache> cache_;
};

}  // namespace tarnevo
