// The three readers behind parse_locale_text. Each takes a whole file's text, which the loader
// has already checked to be valid UTF-8, and returns a new tree or the reader's FormatError.
#pragma once

#include <expected>
#include <string_view>

#include "tarnevo/format.hpp"
#include "tarnevo/value.hpp"

namespace tarnevo::detail {

std::expected<LocaleValue, FormatError> parse_json_text(std::string_view text);
std::expected<LocaleValue, FormatError> parse_yaml_text(std::string_view text);
std::expected<LocaleValue, FormatError> parse_toml_text(std::string_view text);

}  // namespace tarnevo::detail
