// The kept results of one loader's locales. A locale's first load converts the tree that its
// files gave into a template (the core keeps no tree for this module: the template is the
// cached result) and hands out a copy; every later load of the locale is a copy of the template
// (new lists and dicts, leaves shared), so even the first hit after a cold load costs a copy,
// not a conversion (make bench, first hit). The key strs of every conversion come from one table
// (KeyStrings), so loading a second locale makes no new str for a key the first one had.
// clear_cache and reload drop the templates; the loader's instance owns them and the key table,
// so nothing outlives the loader.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "conversion/key_strings.hpp"
#include "conversion/result_template.hpp"
#include "loader/discovery.hpp"
#include "tarnevo/loader.hpp"

namespace tarnevo::python {

class ResultCache {
 public:
  // Changes whenever templates are dropped; taken before a load reads its files, so that a
  // template made from what was read before a drop is not kept after it.
  std::uint64_t generation() const noexcept { return generation_; }

  // A copy of the template kept for `locale`; nullopt when none is kept, an empty PyRef with an
  // exception pending when the copy failed.
  std::optional<PyRef> hit(std::string_view locale) const;

  // The result for `tree`, just read for `locale`: its template is made from it (using it up)
  // and kept (unless templates were dropped since `generation`), and a copy handed out. Empty
  // with an exception pending on failure.
  PyRef keep(std::string_view locale, LocaleValue tree, std::uint64_t generation);

  // Forgets the template of `locale`, or of every locale.
  void drop(std::optional<std::string_view> locale);

 private:
  using Template = std::shared_ptr<const ResultTemplate>;

  // Python code may run while a result is made (a finalizer called by the garbage collector),
  // and it may drop templates or load another locale: copies hold the template they copy, and
  // the key table holds no reference into itself while it makes a str.
  std::unordered_map<std::string, Template, detail::loader::TextHash, std::equal_to<>> entries_;
  KeyStrings keys_;
  std::uint64_t generation_ = 0;
};

}  // namespace tarnevo::python
