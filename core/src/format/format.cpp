#include "tarnevo/format.hpp"

#include "json/reader.hpp"
#include "toml/reader.hpp"
#include "yaml/reader.hpp"

namespace tarnevo {

std::string FormatError::message() const {
  std::string_view prefix;
  switch (kind_) {
    case Kind::UnsupportedExtension:
      prefix = "Unsupported file extension: ";
      break;
    case Kind::Json:
      prefix = "Failed to parse JSON: ";
      break;
    case Kind::Yaml:
      prefix = "Failed to parse YAML: ";
      break;
    case Kind::Toml:
      prefix = "Failed to parse TOML: ";
      break;
  }
  std::string text;
  text.reserve(prefix.size() + detail_.size());
  text.append(prefix).append(detail_);
  return text;
}

std::expected<LocaleValue, FormatError> parse_locale_text(std::string_view text,
                                                          FileFormat format) {
  switch (format) {
    case FileFormat::Json:
      return detail::json::parse_json_text(text);
    case FileFormat::Yaml:
      return detail::yaml::parse_yaml_text(text);
    case FileFormat::Toml:
      return detail::toml::parse_toml_text(text);
  }
  return detail::json::parse_json_text(text);
}

}  // namespace tarnevo
