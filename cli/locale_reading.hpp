// Reading a locale's files one at a time, so that every failing file is seen, not only the
// first one that stops the loader.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "loader/discovery.hpp"
#include "tarnevo/value.hpp"

namespace tarnevo::cli {

struct FileFailure {
  std::string path;
  // The loader's display text: "IO Error: ..." or "Parse Error: ...".
  std::string message;
};

struct LocaleReading {
  std::string name;
  std::size_t file_count = 0;
  // In ascending byte order of the paths.
  std::vector<FileFailure> failures;
  // The files that read, joined in discovery order as the loader joins them. When a file
  // failed, the loader itself would not use this tree: the locale falls back to the default.
  LocaleValue tree;

  bool loads() const noexcept { return failures.empty(); }
};

LocaleReading read_locale(std::string name, const std::vector<detail::loader::LocaleFile>& files);

// Every locale of the index, read, in ascending byte order of the names.
std::vector<LocaleReading> read_all_locales(const detail::loader::LocaleIndex& index);

}  // namespace tarnevo::cli
