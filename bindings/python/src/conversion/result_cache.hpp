// The templates of one loader's cached locales. A template belongs to one cached tree: the
// conversion the cold load makes anyway becomes it (the caller gets a copy, which costs the
// containers only), so every hit after the first load, the first one included, is a copy (make
// bench, first and second hit after a cold load). It goes when the core's entry goes
// (clear_cache, reload) or when the core hands out another tree for the locale. The loader's
// instance owns it, so it never outlives the loader; nor does the table of key strs the
// templates share.
#pragma once

#include <cstdint>
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
  // The result for `tree`, the core's cached tree for `locale` (kept alive by the caller, and
  // asked for with HitLayout::AsLoaded: a template is keyed on its tree, and a copy laid out
  // anew would be another tree): a copy of its template, made from the tree the first time this
  // cache sees it. Empty with an exception pending on failure.
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

  // The str of every key the loader's conversions made (bounded), shared by all its templates.
  // Kept through drop: it holds no tree, only strs.
  KeyStrings keys_;
  std::unordered_map<std::string, Entry, detail::loader::TextHash, std::equal_to<>> entries_;
  std::uint64_t drops_ = 0;  // calls of drop, to notice one made while a template was made
};

}  // namespace tarnevo::python
