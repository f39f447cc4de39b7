// The YAML reader behind parse_locale_text.
#pragma once

#include <expected>
#include <string_view>

#include "tarnevo/format.hpp"
#include "tarnevo/value.hpp"

namespace tarnevo::detail::yaml {

// Reads a whole file's text, already checked to be valid UTF-8, into a new tree.
std::expected<LocaleValue, FormatError> parse_yaml_text(std::string_view text);

}  // namespace tarnevo::detail::yaml
