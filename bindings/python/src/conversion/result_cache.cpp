#include "conversion/result_cache.hpp"

#include <utility>

namespace tarnevo::python {

// Python code may run while a result is made (a finalizer called by the garbage collector), and
// it may clear this very cache: no reference into `entries_` is held across a conversion or a
// copy, and the template in use is held by this call.
PyRef ResultCache::answer(std::string_view locale, const SharedLocaleValue& tree) {
  std::shared_ptr<const ResultTemplate> result;
  if (auto entry = entries_.find(locale); entry == entries_.end()) {
    entries_.emplace(std::string(locale), Entry{tree, nullptr});
    return to_python(*tree);
  } else if (entry->second.source.lock() != tree) {
    entry->second = Entry{tree, nullptr};
    return to_python(*tree);
  } else {
    result = entry->second.result;
  }
  if (!result) {
    result = ResultTemplate::make(*tree);
    if (!result) return {};
    if (auto entry = entries_.find(locale);
        entry != entries_.end() && entry->second.source.lock() == tree) {
      entry->second.result = result;
    }
  }
  return result->copy();
}

void ResultCache::drop(std::optional<std::string_view> locale) {
  if (!locale) {
    entries_.clear();
  } else if (auto entry = entries_.find(*locale); entry != entries_.end()) {
    entries_.erase(entry);
  }
}

}  // namespace tarnevo::python
