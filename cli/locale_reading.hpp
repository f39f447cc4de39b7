// Reading a locale's files one at a time, so that every failing file is seen, not only the
// first one that stops the loader.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "format/key_positions.hpp"
#include "loader/discovery.hpp"
#include "tarnevo/merge.hpp"
#include "tarnevo/value.hpp"

namespace tarnevo::cli {

struct FileFailure {
  std::string path;
  // The loader's display text: "IO Error: ..." or "Parse Error: ...".
  std::string message;
};

// A file at the top of the directory whose content is not an object (a list, a single value):
// it adds nothing to its locale. `holds` says what it is: "a list", "a string", ...
struct FileWithoutKeys {
  std::string path;
  std::string holds;
};

// A file of a root-keyed directory whose one key names another locale than its own.
struct ForeignRootKey {
  std::string path;
  std::string key;
};

// Where a file that read writes its keys, for placing findings: the key paths of its own tree,
// which sits beneath `namespace_path` in the locale's and, when `root_key` is not empty, holds
// the locale's keys beneath that key.
struct PlacedFile {
  std::string path;
  // The namespace split as assemble_pieces splits it ("a.b" is two segments; none at the top).
  std::vector<std::string> namespace_segments;
  std::string root_key;
  detail::format::KeyPositions positions;
};

// A locale's files read one by one, before they are joined.
struct LocalePieces {
  // The files that read, in discovery order, which is the order the loader joins them in.
  std::vector<LocalePiece> pieces;
  // paths[i] is the file that pieces[i] came from.
  std::vector<std::string> paths;
  // In ascending byte order of the paths.
  std::vector<FileFailure> failures;
  // In discovery order.
  std::vector<FileWithoutKeys> without_keys;
  std::vector<ForeignRootKey> foreign_root_keys;
  // When read with positions: placed[i] for pieces[i].
  std::vector<PlacedFile> placed;
};

struct LocaleReading {
  std::string name;
  std::size_t file_count = 0;
  // In ascending byte order of the paths.
  std::vector<FileFailure> failures;
  // The files that read, joined in discovery order as the loader joins them. When a file
  // failed, the loader itself would not use this tree: the locale falls back to the default.
  LocaleValue tree;
  std::vector<FileWithoutKeys> without_keys;
  std::vector<ForeignRootKey> foreign_root_keys;
  // The files that read, in discovery order, when read with positions.
  std::vector<PlacedFile> placed;

  bool loads() const noexcept { return failures.empty(); }
};

// `with_positions` records where each file writes its keys (in `placed`), for a report that
// places its findings.
LocalePieces read_pieces(const std::vector<detail::loader::LocaleFile>& files,
                         bool with_positions = false);

// Each piece of a root-keyed directory read beneath its root key: the locale's own name, or
// (noted as a foreign root key) another name for which `names_locale` holds, which is read
// beneath it as well so that its keys are still compared. Other pieces stay as they are.
void read_beneath_root_keys(LocalePieces& pieces, std::string_view locale,
                            const std::function<bool(std::string_view)>& names_locale);

// Notes the files at the top of the directory whose content is not an object; joining leaves
// them out. Call after read_beneath_root_keys, which may uncover a list under a root key.
void note_files_without_keys(LocalePieces& pieces);

// Joins the pieces as the loader does.
LocaleReading join_pieces(std::string name, std::size_t file_count, LocalePieces pieces);

LocaleReading read_locale(std::string name, const std::vector<detail::loader::LocaleFile>& files);

}  // namespace tarnevo::cli
