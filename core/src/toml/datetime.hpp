// TOML dates and times: offset date-times, local date-times, local dates and local times, read
// from a value's text and checked against the calendar and the clock.
#pragma once

#include <expected>
#include <string>
#include <string_view>

#include "toml/datetime_text.hpp"

namespace tarnevo::detail::toml {

// Whether a value's text is meant as a date or time: it starts with four digits and "-", or with
// two digits and ":". Such text is read by parse_toml_datetime and never as a number.
bool looks_like_datetime(std::string_view token) noexcept;

// `token` is the whole text of a date or time value, the separator between date and time being
// "T", "t" or a space. Fails with the description of what is wrong: a malformed part, a month,
// day, hour, minute or second out of range (February 29 only in leap years, no leap second), an
// offset beyond 23:59.
std::expected<TomlDatetimeParts, std::string> parse_toml_datetime(std::string_view token);

}  // namespace tarnevo::detail::toml
