#include "check/excluded_files.hpp"

#include <string>
#include <vector>

namespace tarnevo::cli {

std::size_t exclude_files(detail::loader::LocaleIndex& index, std::string_view directory,
                          const KeyFilter& exclude) {
  if (exclude.empty()) return 0;
  // Discovery joins the directory and the relative path with one "/" unless the directory
  // already ends in one.
  const std::size_t prefix = directory.size() + (directory.ends_with('/') ? 0 : 1);
  std::size_t removed = 0;
  std::vector<std::string_view> segments;
  for (auto entry = index.begin(); entry != index.end();) {
    std::erase_if(entry->second, [&](const detail::loader::LocaleFile& file) {
      std::string_view relative = std::string_view(file.path).substr(prefix);
      segments.clear();
      while (true) {
        const std::size_t slash = relative.find('/');
        segments.push_back(relative.substr(0, slash));
        if (slash == std::string_view::npos) break;
        relative.remove_prefix(slash + 1);
      }
      const bool excluded = exclude.ignores(segments);
      removed += excluded;
      return excluded;
    });
    entry = entry->second.empty() ? index.erase(entry) : std::next(entry);
  }
  return removed;
}

}  // namespace tarnevo::cli
