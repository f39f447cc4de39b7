#include "locale_reading.hpp"

#include <algorithm>
#include <utility>

#include "loader/locale_file.hpp"
#include "loader/root_key.hpp"

namespace tarnevo::cli {
namespace {

std::string_view what_value_is(const LocaleValue& value) noexcept {
  switch (value.kind()) {
    case LocaleValue::Kind::Null:
      return "null";
    case LocaleValue::Kind::Bool:
      return "a boolean";
    case LocaleValue::Kind::Number:
      return "a number";
    case LocaleValue::Kind::String:
      return "a string";
    case LocaleValue::Kind::Array:
      return "a list";
    case LocaleValue::Kind::Object:
      break;
  }
  return "an object";
}

std::vector<std::string> namespace_segments(const std::optional<std::string>& name) {
  std::vector<std::string> segments;
  if (!name) return segments;
  std::string_view rest = *name;
  while (true) {
    const std::size_t dot = rest.find('.');
    segments.emplace_back(rest.substr(0, dot));
    if (dot == std::string_view::npos) return segments;
    rest.remove_prefix(dot + 1);
  }
}

}  // namespace

LocalePieces read_pieces(const std::vector<detail::loader::LocaleFile>& files,
                         bool with_positions) {
  LocalePieces read;
  read.pieces.reserve(files.size());
  read.paths.reserve(files.size());
  for (const detail::loader::LocaleFile& file : files) {
    if (with_positions) {
      auto placed = detail::loader::read_locale_file_with_positions(file);
      if (placed) {
        read.pieces.push_back(LocalePiece{file.namespace_path, std::move(placed->value)});
        read.paths.push_back(file.path);
        read.placed.push_back(PlacedFile{
            file.path, namespace_segments(file.namespace_path), {}, std::move(placed->positions)});
      } else {
        read.failures.push_back(FileFailure{file.path, placed.error().message()});
      }
      continue;
    }
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

void read_beneath_root_keys(LocalePieces& pieces, std::string_view locale,
                            const std::function<bool(std::string_view)>& names_locale) {
  for (std::size_t i = 0; i < pieces.pieces.size(); ++i) {
    LocaleValue& value = pieces.pieces[i].value;
    const std::string* key = detail::loader::sole_key(value);
    if (key == nullptr) continue;
    if (i < pieces.placed.size() &&
        (detail::loader::same_locale_name(*key, locale) || names_locale(*key))) {
      pieces.placed[i].root_key = *key;
    }
    if (detail::loader::same_locale_name(*key, locale)) {
      value = detail::loader::beneath_root_key(std::move(value), locale);
    } else if (names_locale(*key)) {
      pieces.foreign_root_keys.push_back(ForeignRootKey{pieces.paths[i], *key});
      const std::string name = *key;
      value = detail::loader::beneath_root_key(std::move(value), name);
    }
  }
}

void note_files_without_keys(LocalePieces& pieces) {
  for (std::size_t i = 0; i < pieces.pieces.size(); ++i) {
    const LocalePiece& piece = pieces.pieces[i];
    if (piece.namespace_path || piece.value.is_object()) continue;
    pieces.without_keys.push_back(
        FileWithoutKeys{pieces.paths[i], std::string(what_value_is(piece.value))});
  }
}

LocaleReading join_pieces(std::string name, std::size_t file_count, LocalePieces pieces) {
  LocaleReading reading;
  reading.name = std::move(name);
  reading.file_count = file_count;
  reading.failures = std::move(pieces.failures);
  reading.without_keys = std::move(pieces.without_keys);
  reading.foreign_root_keys = std::move(pieces.foreign_root_keys);
  reading.placed = std::move(pieces.placed);
  reading.tree = assemble_pieces(std::move(pieces.pieces));
  return reading;
}

LocaleReading read_locale(std::string name, const std::vector<detail::loader::LocaleFile>& files) {
  return join_pieces(std::move(name), files.size(), read_pieces(files));
}

}  // namespace tarnevo::cli
