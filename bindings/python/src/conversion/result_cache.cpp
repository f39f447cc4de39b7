#include "conversion/result_cache.hpp"

#include <utility>

namespace tarnevo::python {

// Python code may run while a result is made (a finalizer called by the garbage collector), and
// it may clear this very cache: no reference into `entries_` is held across a conversion or a
// copy, the template in use is held by this call, and a template made while a drop ran is handed
// out once but not kept (its tree is no longer the core's).
PyRef ResultCache::answer(std::string_view locale, const SharedLocaleValue& tree) {
  std::shared_ptr<const ResultTemplate> result;
  if (auto entry = entries_.find(locale);
      entry != entries_.end() && entry->second.source.lock() == tree) {
    result = entry->second.result;
  }
  if (!result) {
    const std::uint64_t drops = drops_;
    result = ResultTemplate::make(*tree, keys_);
    if (!result) return {};
    if (drops == drops_) entries_.insert_or_assign(std::string(locale), Entry{tree, result});
  }
  return result->copy();
}

void ResultCache::drop(std::optional<std::string_view> locale) {
  ++drops_;
  if (!locale) {
    entries_.clear();
  } else if (auto entry = entries_.find(*locale); entry != entries_.end()) {
    entries_.erase(entry);
  }
}

}  // namespace tarnevo::python
