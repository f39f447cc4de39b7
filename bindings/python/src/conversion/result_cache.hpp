// The templates of one loader's cached locales. A template belongs to one cached tree: it is
// made the second time the same tree is handed out (the first hit after a locale's tree settled
// in the core's cache; a cold load converts directly and keeps nothing), it answers every later
// hit on that tree, and it goes when the core's entry goes (clear_cache, reload) or when the
// core hands out another tree for the locale. The loader's instance owns it, so it never
// outlives the loader.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "conversion/result_template.hpp"
#include "loader/discovery.hpp"
#include "tarnevo/loader.hpp"

namespace tarnevo::python {

class ResultCache {
 public:
  // The result for `tree`, the core's cached tree for `locale` (kept alive by the caller): a
  // conversion the first time this cache sees the tree, a copy of its template afterwards (the
  // template made on the way). Empty with an exception pending on failure.
  PyRef answer(std::string_view locale, const SharedLocaleValue& tree);

  // Forgets the template of `locale`, or of every locale.
  void drop(std::optional<std::string_view> locale);

 private:
  struct Entry {
    // Compared through the weak reference, so a tree that is gone never matches a new one that
    // happens to lie at its address, and the template does not keep the core's tree alive.
    std::weak_ptr<const LocaleValue> source;
    std::shared_ptr<const ResultTemplate> result;
  };

  std::unordered_map<std::string, Entry, detail::loader::TextHash, std::equal_to<>> entries_;
};

}  // namespace tarnevo::python
