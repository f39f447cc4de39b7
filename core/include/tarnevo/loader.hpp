// The locale loader: discovery, loading with fallback and filling, and the cache.
#pragma once

#include <expected>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tarnevo/error.hpp"
#include "tarnevo/state.hpp"
#include "tarnevo/value.hpp"

namespace tarnevo {

// A cached locale tree. Cached trees are never changed, so they are shared, not copied.
using SharedLocaleValue = std::shared_ptr<const LocaleValue>;

class LocaleLoader {
 public:
  // Checks that `dir_path` names a directory (links followed), then discovers its locales.
  // Fails only with DirectoryNotFound.
  static std::expected<LocaleLoader, LoaderError> create(std::string dir_path,
                                                         std::string default_locale);

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

  // Drops one cached locale (or all without a name) and rediscovers the directory.
  std::expected<void, LoaderError> reload(std::optional<std::string_view> locale);
  // Drops one cached locale, or all of them without a name.
  void clear_cache(std::optional<std::string_view> locale);

  const std::string& dir_path() const noexcept { return dir_path_; }
  const std::string& default_locale() const noexcept { return default_locale_; }
  // The state machine's current state; not part of what the façades show.
  LoaderState current_state() const;

 private:
  // The three shared objects, each behind its own reader-writer lock (defined with the loader's
  // code). Held by pointer so that a loader can be moved.
  struct GuardedState;
  struct GuardedIndex;
  struct GuardedCache;

  LocaleLoader(std::string dir_path, std::string default_locale);

  std::expected<void, LoaderError> discover();
  SharedLocaleValue lay_out_cached(std::string_view locale, const SharedLocaleValue& scattered);
  // The locale's files assembled into one tree. With `filling`, the tree is read only to fill
  // `filling`: parts that `filling` already has as non-null leaves may be left out.
  std::expected<LocaleValue, LoaderError> load_uncached(std::string_view locale,
                                                        const LocaleValue* filling = nullptr) const;

  std::string dir_path_;
  std::string default_locale_;
  std::shared_ptr<GuardedState> state_;
  std::shared_ptr<GuardedIndex> files_;
  std::shared_ptr<GuardedCache> cache_;
};

}  // namespace tarnevo
