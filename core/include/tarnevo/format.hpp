// Locale file formats: choosing one by extension, and reading text in it into a tree.
#pragma once

#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

#include "tarnevo/value.hpp"

namespace tarnevo {

enum class FileFormat : std::uint8_t { Json = 0, Yaml = 1, Toml = 2 };

// Why a locale file could not be read as its format. Shown as a fixed prefix and the detail.
class FormatError {
 public:
  enum class Kind : std::uint8_t { UnsupportedExtension, Json, Yaml, Toml };

  FormatError(Kind kind, std::string detail) : kind_(kind), detail_(std::move(detail)) {}

  Kind kind() const noexcept { return kind_; }
  // The extension (lower-cased) or the reader's own message.
  const std::string& detail() const noexcept { return detail_; }
  // "Unsupported file extension: ", "Failed to parse JSON: ", "... YAML: " or "... TOML: " and
  // the detail.
  std::string message() const;

 private:
  Kind kind_;
  std::string detail_;
};

// The format that the path's extension selects: the text after the last full stop of the last
// component (none for a leading-dot-only name), lower-cased with full Unicode case rules; json,
// yaml, yml and toml are known, anything else fails with UnsupportedExtension.
std::expected<FileFormat, FormatError> format_from_path(std::string_view path);

// Reads a whole file's text (valid UTF-8) in `format` into a new tree.
std::expected<LocaleValue, FormatError> parse_locale_text(std::string_view text, FileFormat format);

}  // namespace tarnevo
