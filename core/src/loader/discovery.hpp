// Which locales a directory holds, and which files make up each one.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarnevo::detail::loader {

struct LocaleFile {
  // The loader's directory path as given, followed by the file's path below it.
  std::string path;
  // Absent for a file at the top of the directory; for a file in a locale's sub-directory, the
  // intermediate directory names and the file stem joined with full stops (possibly empty).
  std::optional<std::string> namespace_path;

  friend bool operator==(const LocaleFile&, const LocaleFile&) = default;
};

// Hashes std::string and std::string_view alike, so lookups need no temporary string.
struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const noexcept {
    return std::hash<std::string_view>{}(text);
  }
};

// Locale name (compared byte for byte) to its files in discovery order; every list is non-empty.
using LocaleIndex =
    std::unordered_map<std::string, std::vector<LocaleFile>, TextHash, std::equal_to<>>;

// Walks `dir_path` depth-first in the operating system's listing order, without entering
// symbolic links to directories, and indexes every JSON, YAML or TOML file. Never fails:
// whatever cannot be read is left out. Each path is `dir_path` as given, "/" (left out when
// `dir_path` already ends in one) and the file's path below it.
LocaleIndex scan_directory(const std::string& dir_path);

}  // namespace tarnevo::detail::loader
