#include "locale_reading.hpp"

#include <algorithm>
#include <utility>

#include "loader/locale_file.hpp"

namespace tarnevo::cli {

LocalePieces read_pieces(const std::vector<detail::loader::LocaleFile>& files) {
  LocalePieces read;
  read.pieces.reserve(files.size());
  read.paths.reserve(files.size());
  for (const detail::loader::LocaleFile& file : files) {
    auto value = detail::loader::read_locale_file(file);
    if (value) {
      read.pieces.push_back(LocalePiece{file.namespace_path, std::move(*value)});
      read.paths.push_back(file.path);
    } else {
      read.failures.push_back(FileFailure{file.path, value.error().message()});
    }
  }
  // Discovery order is the file system's; reports are easier to compare in path order.
  std::sort(read.failures.begin(), read.failures.end(),
            [](const FileFailure& a, const FileFailure& b) { return a.path < b.path; });
  return read;
}

LocaleReading join_pieces(std::string name, std::size_t file_count, LocalePieces pieces) {
  LocaleReading reading;
  reading.name = std::move(name);
  reading.file_count = file_count;
  reading.failures = std::move(pieces.failures);
  reading.tree = assemble_pieces(std::move(pieces.pieces));
  return reading;
}

LocaleReading read_locale(std::string name, const std::vector<detail::loader::LocaleFile>& files) {
  return join_pieces(std::move(name), files.size(), read_pieces(files));
}

}  // namespace tarnevo::cli
