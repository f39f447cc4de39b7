#include "loader/locale_file.hpp"

#include <string_view>
#include <utility>

#include "json/reader.hpp"
#include "loader/file_read.hpp"
#include "loader/locale_file_filling.hpp"
#include "tarnevo/format.hpp"
#include "text/utf8.hpp"

namespace tarnevo::detail::loader {
namespace {

// The part of `filling` at a file's namespace path, where the file's value will land: null when
// the path meets a null or a missing member (the value is wanted whole), a non-null leaf when
// one lies on the path or at its end (none of the value is wanted).
const LocaleValue* filled_at(const LocaleValue* filling,
                             const std::optional<std::string>& namespace_path) {
  if (filling == nullptr || !namespace_path) return filling;
  const LocaleValue* at = filling;
  std::string_view rest = *namespace_path;
  for (;;) {
    if (!at->is_object()) return at->is_null() ? nullptr : at;
    const std::size_t dot = rest.find('.');
    at = at->as_object().find(rest.substr(0, dot));
    if (at == nullptr || dot == std::string_view::npos) return at;
    rest.remove_prefix(dot + 1);
  }
}

}  // namespace

// Only JSON skips building: the other formats' own parsers are most of their cost.
std::expected<LocaleValue, LoaderError> read_locale_file(const LocaleFile& file,
                                                         const LocaleValue* filling) {
  auto bytes = read_whole_file(file.path);
  if (!bytes) return std::unexpected(std::move(bytes.error()));
  if (!text::is_valid_utf8(*bytes)) return std::unexpected(LoaderError::invalid_utf8());
  const auto format = format_from_path(file.path);
  if (!format) return std::unexpected(LoaderError::parse(format.error()));
  auto value = *format == FileFormat::Json && filling != nullptr
                   ? json::parse_json_text_to_fill(*bytes, filled_at(filling, file.namespace_path))
                   : parse_locale_text(*bytes, *format);
  if (!value) return std::unexpected(LoaderError::parse(std::move(value.error())));
  return std::move(*value);
}

std::expected<LocaleValue, LoaderError> read_locale_file(const LocaleFile& file) {
  return read_locale_file(file, nullptr);
}

}  // namespace tarnevo::detail::loader
