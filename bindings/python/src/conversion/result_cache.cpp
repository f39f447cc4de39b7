#include "conversion/result_cache.hpp"

#include <utility>

namespace tarnevo::python {

std::optional<PyRef> ResultCache::hit(std::string_view locale) const {
  const auto entry = entries_.find(locale);
  if (entry == entries_.end()) return std::nullopt;
  const Template kept = entry->second;  // held while Python code may drop it
  return kept->copy();
}

PyRef ResultCache::keep(std::string_view locale, LocaleValue tree, std::uint64_t generation) {
  const Template made = ResultTemplate::make(std::move(tree), keys_);
  if (!made) return {};
  if (generation == generation_) entries_.insert_or_assign(std::string(locale), made);
  return made->copy();
}

void ResultCache::drop(std::optional<std::string_view> locale) {
  ++generation_;
  if (!locale) {
    entries_.clear();
  } else if (auto entry = entries_.find(*locale); entry != entries_.end()) {
    entries_.erase(entry);
  }
}

}  // namespace tarnevo::python
