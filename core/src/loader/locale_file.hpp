// Reading one discovered locale file into a tree: the step that the loader repeats for every
// file of a locale, also used by the command to read and report files one at a time.
#pragma once

#include <expected>
#include <optional>
#include <string_view>

#include "format/key_positions.hpp"
#include "loader/discovery.hpp"
#include "tarnevo/error.hpp"
#include "tarnevo/value.hpp"

namespace tarnevo::detail::loader {

// Reads the whole file, checks that it is UTF-8, chooses the format from its extension and parses
// it. Fails with Io (the operating system's error, or "stream did not contain valid UTF-8") or
// Parse (the reader's message), carrying the file's path. The namespace is not applied: that is
// assemble_pieces' job.
//
// `filling`, when not null, is the tree that this file's content will only complete (the
// default locale's files, read to fill a locale): what filling could not use is checked (the
// same failures) but, for JSON and TOML, not built.
//
// `root_locale`, when given, is the locale whose name a root-keyed file nests its content under:
// a file rooted in it is read beneath that key (root_key.hpp).
std::expected<LocaleValue, LoaderError> read_locale_file(
    const LocaleFile& file, const LocaleValue* filling = nullptr,
    std::optional<std::string_view> root_locale = std::nullopt);

// A file's tree, and where each of its keys is written (key paths in the file's own tree, before
// any namespace).
struct PlacedLocaleFile {
  LocaleValue value;
  format::KeyPositions positions;
};

// Reads like read_locale_file, with the same failures, and records where keys are written: for
// the command, which places its findings; the loader never asks.
std::expected<PlacedLocaleFile, LoaderError> read_locale_file_with_positions(
    const LocaleFile& file);

}  // namespace tarnevo::detail::loader
