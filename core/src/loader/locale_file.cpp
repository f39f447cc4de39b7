#include "loader/locale_file.hpp"

#include <string_view>
#include <utility>

#include "format/key_positions.hpp"
#include "json/reader.hpp"
#include "loader/file_read.hpp"
#include "loader/root_key.hpp"
#include "tarnevo/format.hpp"
#include "text/utf8.hpp"
#include "toml/reader.hpp"
#include "tree/fill_place.hpp"
#include "yaml/reader.hpp"

namespace tarnevo::detail::loader {

namespace {

bool names_locale(std::string_view key, std::string_view locale) noexcept {
  return same_locale_name(key, locale);
}

// Every reader skips building what filling drops. The skip saves 13% of a cold load of the 20k
// bench corpus for JSON, about 5% for YAML, whose event parser is most of its cost
// (bench/compare_builds.py, cold, with and without it).
std::expected<LocaleValue, FormatError> parse_to_fill(std::string_view text, FileFormat format,
                                                      tree::FillPlace place) {
  switch (format) {
    case FileFormat::Json:
      return json::parse_json_text_to_fill(text, place);
    case FileFormat::Toml:
      return toml::parse_toml_text_to_fill(text, place);
    case FileFormat::Yaml:
      return yaml::parse_yaml_text_to_fill(text, place);
  }
  return parse_locale_text(text, format);
}

}  // namespace

std::expected<LocaleValue, LoaderError> read_locale_file(
    const LocaleFile& file, const LocaleValue* filling,
    std::optional<std::string_view> root_locale) {
  auto bytes = read_whole_file(file.path);
  if (!bytes) return std::unexpected(std::move(bytes.error()).with_path(file.path));
  if (!text::is_valid_utf8(*bytes)) {
    return std::unexpected(LoaderError::invalid_utf8().with_path(file.path));
  }
  const auto format = format_from_path(file.path);
  if (!format) return std::unexpected(LoaderError::parse(format.error()).with_path(file.path));
  std::expected<LocaleValue, FormatError> value;
  if (filling == nullptr) {
    value = parse_locale_text(*bytes, *format);
  } else if (!root_locale) {
    value = parse_to_fill(*bytes, *format, tree::FillPlace::in(*filling, file.namespace_path));
  } else {
    // The file's content lies beneath its root key, so its one member is placed where the file
    // would be. A file that turns out to hold more than that member was read at the wrong place
    // and is read again for itself (rare: such a file breaks the directory's convention).
    const tree::RootKeyPlace root{*root_locale, tree::FillPlace::in(*filling, file.namespace_path),
                                  &names_locale};
    value = parse_to_fill(*bytes, *format, tree::FillPlace::under_root_key(root));
    if (value && !rooted_in(*value, *root_locale)) value = parse_locale_text(*bytes, *format);
  }
  if (!value) return std::unexpected(LoaderError::parse(value.error()).with_path(file.path));
  if (root_locale) return beneath_root_key(std::move(*value), *root_locale);
  return std::move(*value);
}

std::expected<PlacedLocaleFile, LoaderError> read_locale_file_with_positions(
    const LocaleFile& file) {
  auto bytes = read_whole_file(file.path);
  if (!bytes) return std::unexpected(std::move(bytes.error()));
  if (!text::is_valid_utf8(*bytes)) return std::unexpected(LoaderError::invalid_utf8());
  const auto format = format_from_path(file.path);
  if (!format) return std::unexpected(LoaderError::parse(format.error()));
  PlacedLocaleFile placed;
  std::expected<LocaleValue, FormatError> value;
  switch (*format) {
    case FileFormat::Json:
      value = json::parse_json_text_with_positions(*bytes, placed.positions);
      break;
    case FileFormat::Yaml:
      value = yaml::parse_yaml_text_with_positions(*bytes, placed.positions);
      break;
    case FileFormat::Toml:
      value = toml::parse_toml_text_with_positions(*bytes, placed.positions);
      break;
  }
  if (!value) return std::unexpected(LoaderError::parse(value.error()));
  placed.value = std::move(*value);
  return placed;
}

}  // namespace tarnevo::detail::loader
