#include "loader/locale_file.hpp"

#include <string_view>
#include <utility>

#include "format/key_positions.hpp"
#include "json/reader.hpp"
#include "loader/file_read.hpp"
#include "tarnevo/format.hpp"
#include "text/utf8.hpp"
#include "toml/reader.hpp"
#include "tree/fill_place.hpp"
#include "yaml/reader.hpp"

namespace tarnevo::detail::loader {

// JSON and TOML skip building what filling drops; YAML's event parser is most of its cost. For
// JSON the skip saves 13% of a cold load of the 20k bench corpus (bench/compare_builds.py, cold,
// with and without it).
std::expected<LocaleValue, LoaderError> read_locale_file(const LocaleFile& file,
                                                         const LocaleValue* filling) {
  auto bytes = read_whole_file(file.path);
  if (!bytes) return std::unexpected(std::move(bytes.error()));
  if (!text::is_valid_utf8(*bytes)) return std::unexpected(LoaderError::invalid_utf8());
  const auto format = format_from_path(file.path);
  if (!format) return std::unexpected(LoaderError::parse(format.error()));
  std::expected<LocaleValue, FormatError> value;
  if (filling != nullptr && *format == FileFormat::Json) {
    value =
        json::parse_json_text_to_fill(*bytes, tree::FillPlace::in(*filling, file.namespace_path));
  } else if (filling != nullptr && *format == FileFormat::Toml) {
    value =
        toml::parse_toml_text_to_fill(*bytes, tree::FillPlace::in(*filling, file.namespace_path));
  } else {
    value = parse_locale_text(*bytes, *format);
  }
  if (!value) return std::unexpected(LoaderError::parse(value.error()));
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
