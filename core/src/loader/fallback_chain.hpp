// The locales that answer for a locale, in order: itself, then (regional fallback) its tag cut
// back one subtag at a time, then the default locale.
#pragma once

#include <string_view>
#include <vector>

#include "tarnevo/options.hpp"

namespace tarnevo::detail::loader {

// `locale` first and `default_locale` last, each name once. With Fallback::Regional the tag's
// shorter forms come between: the text before each `-` or `_`, longest first (`zh-Hant-TW`:
// `zh-Hant`, `zh`); empty ones are left out. The views point into the two arguments.
std::vector<std::string_view> fallback_chain(std::string_view locale,
                                             std::string_view default_locale, Fallback fallback);

}  // namespace tarnevo::detail::loader
