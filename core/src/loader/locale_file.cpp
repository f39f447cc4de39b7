#include "loader/locale_file.hpp"

#include <string_view>
#include <utility>

#include "json/reader.hpp"
#include "loader/file_read.hpp"
#include "tarnevo/format.hpp"
#include "text/utf8.hpp"
#include "tree/fill_place.hpp"

namespace tarnevo::detail::loader {

// Only JSON skips building: the other formats' own parsers are most of their cost. For JSON the
// skip saves 13% of a cold load of the 20k bench corpus (bench/compare_builds.py, cold, with and
// without it).
std::expected<LocaleValue, LoaderError> read_locale_file(const LocaleFile& file,
                                                         const LocaleValue* filling) {
  auto bytes = read_whole_file(file.path);
  if (!bytes) return std::unexpected(std::move(bytes.error()));
  if (!text::is_valid_utf8(*bytes)) return std::unexpected(LoaderError::invalid_utf8());
  const auto format = format_from_path(file.path);
  if (!format) return std::unexpected(LoaderError::parse(format.error()));
  auto value = *format == FileFormat::Json && filling != nullptr
                   ? json::parse_json_text_to_fill(
                         *bytes, tree::FillPlace::in(*filling, file.namespace_path))
                   : parse_locale_text(*bytes, *format);
  if (!value) return std::unexpected(LoaderError::parse(value.error()));
  return std::move(*value);
}

}  // namespace tarnevo::detail::loader
