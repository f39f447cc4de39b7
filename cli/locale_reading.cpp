#include "locale_reading.hpp"

#include <algorithm>
#include <utility>

#include "loader/locale_file.hpp"
#include "tarnevo/merge.hpp"

namespace tarnevo::cli {

LocaleReading read_locale(std::string name, const std::vector<detail::loader::LocaleFile>& files) {
  LocaleReading reading;
  reading.name = std::move(name);
  reading.file_count = files.size();
  std::vector<LocalePiece> pieces;
  pieces.reserve(files.size());
  for (const detail::loader::LocaleFile& file : files) {
    auto value = detail::loader::read_locale_file(file);
    if (value) {
      pieces.push_back(LocalePiece{file.namespace_path, std::move(*value)});
    } else {
      reading.failures.push_back(FileFailure{file.path, value.error().message()});
    }
  }
  // Discovery order is the file system's; reports are easier to compare in path order.
  std::sort(reading.failures.begin(), reading.failures.end(),
            [](const FileFailure& a, const FileFailure& b) { return a.path < b.path; });
  reading.tree = assemble_pieces(std::move(pieces));
  return reading;
}

std::vector<LocaleReading> read_all_locales(const detail::loader::LocaleIndex& index) {
  std::vector<const detail::loader::LocaleIndex::value_type*> entries;
  entries.reserve(index.size());
  for (const auto& entry : index) entries.push_back(&entry);
  std::sort(entries.begin(), entries.end(),
            [](const auto* a, const auto* b) { return a->first < b->first; });
  std::vector<LocaleReading> readings;
  readings.reserve(entries.size());
  for (const auto* entry : entries) readings.push_back(read_locale(entry->first, entry->second));
  return readings;
}

}  // namespace tarnevo::cli
