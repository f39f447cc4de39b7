#include <string>

#include "format/file_name.hpp"
#include "tarnevo/format.hpp"
#include "text/unicode_case.hpp"
#include "text/utf8.hpp"

namespace tarnevo {
namespace detail::format {
namespace {

// The path's last named component: empty components and "." are skipped, as the path
// "dir/en.json/." still names en.json; nothing when there is none or it is "..".
std::optional<std::string_view> last_component(std::string_view path) noexcept {
  while (!path.empty()) {
    const std::size_t slash = path.rfind('/');
    const std::string_view component =
        slash == std::string_view::npos ? path : path.substr(slash + 1);
    path = slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
    if (component.empty() || component == ".") continue;
    if (component == "..") return std::nullopt;
    return component;
  }
  return std::nullopt;
}

bool is_ascii(std::string_view text) noexcept {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string_view> file_extension(std::string_view file_name) noexcept {
  const std::size_t dot = file_name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return std::nullopt;
  return file_name.substr(dot + 1);
}

std::string_view file_stem(std::string_view file_name) noexcept {
  const std::size_t dot = file_name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return file_name;
  return file_name.substr(0, dot);
}

std::expected<FileFormat, FormatError> format_from_file_name(std::string_view file_name) {
  const auto extension = file_extension(file_name);
  std::string lowered;
  if (extension && is_ascii(*extension)) {
    // Full lower-casing maps ASCII letters as ASCII does; discovery asks this of every file.
    lowered.resize(extension->size());
    for (std::size_t i = 0; i < extension->size(); ++i) {
      const char c = (*extension)[i];
      lowered[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
  } else if (extension && detail::text::is_valid_utf8(*extension)) {
    lowered = detail::text::to_lower_full(*extension);
  }
  if (lowered == "json") return FileFormat::Json;
  if (lowered == "yaml" || lowered == "yml") return FileFormat::Yaml;
  if (lowered == "toml") return FileFormat::Toml;
  return std::unexpected(FormatError(FormatError::Kind::UnsupportedExtension, std::move(lowered)));
}

}  // namespace detail::format

std::expected<FileFormat, FormatError> format_from_path(std::string_view path) {
  const auto name = detail::format::last_component(path);
  if (!name) return std::unexpected(FormatError(FormatError::Kind::UnsupportedExtension, ""));
  return detail::format::format_from_file_name(*name);
}

}  // namespace tarnevo
