// Reading a locale's files one at a time, so that every failing file is seen, not only the
// first one that stops the loader.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "loader/discovery.hpp"
#include "tarnevo/merge.hpp"
#include "tarnevo/value.hpp"

namespace tarnevo::cli {

struct FileFailure {
  std::string path;
  // The loader's display text: "IO Error: ..." or "Parse Error: ...".
  std::string message;
};

// A locale's files read one by one, before they are joined.
struct LocalePieces {
  // The files that read, in discovery order, which is the order the loader joins them in.
  std::vector<LocalePiece> pieces;
  // paths[i] is the file that pieces[i] came from.
  std::vector<std::string> paths;
  // In ascending byte order of the paths.
  std::vector<FileFailure> failures;
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

LocalePieces read_pieces(const std::vector<detail::loader::LocaleFile>& files);

// Joins the pieces as the loader does.
LocaleReading join_pieces(std::string name, std::size_t file_count, LocalePieces pieces);

LocaleReading read_locale(std::string name, const std::vector<detail::loader::LocaleFile>& files);

}  // namespace tarnevo::cli
