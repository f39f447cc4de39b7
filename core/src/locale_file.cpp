#include "tarnevo/locale_file.hpp"

#include <utility>

#include "file_read.hpp"
#include "tarnevo/format.hpp"
#include "tarnevo/utf8.hpp"

namespace tarnevo {

std::expected<LocaleValue, LoaderError> read_locale_file(const LocaleFile& file) {
  auto bytes = detail::read_whole_file(file.path);
  if (!bytes) return std::unexpected(std::move(bytes.error()));
  if (!is_valid_utf8(*bytes)) return std::unexpected(LoaderError::invalid_utf8());
  const auto format = format_from_path(file.path);
  if (!format) return std::unexpected(LoaderError::parse(format.error()));
  auto value = parse_locale_text(*bytes, *format);
  if (!value) return std::unexpected(LoaderError::parse(std::move(value.error())));
  return std::move(*value);
}

}  // namespace tarnevo
