// TOML dates and times: offset date-times, local date-times, local dates and local times, read
// from a value's text and checked against the calendar and the clock (datetime.cpp), and the
// normal text form that a tree holds in their place (datetime_text.cpp): date "T" time offset,
// with a "T" whatever separator the file used, a fraction only when it is non-zero
// (nanoseconds, trailing zeros removed) and "Z" or +HH:MM / -HH:MM.
#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

namespace tarnevo::detail::toml {

// The member name under which a tree keeps a date or time as text.
inline constexpr std::string_view kTomlDatetimeMember = "$__toml_private_datetime";

struct TomlDate {
  std::uint16_t year = 0;
  std::uint8_t month = 0;
  std::uint8_t day = 0;
};

struct TomlTime {
  std::uint8_t hour = 0;
  std::uint8_t minute = 0;
  std::uint8_t second = 0;
  std::uint32_t nanosecond = 0;
};

// A zero offset is written "Z" when the file wrote Z or z, and "+00:00" when it wrote digits.
struct TomlOffset {
  bool utc_designator = false;
  std::int16_t minutes = 0;
};

// Any of the four TOML kinds: offset date-time, local date-time, local date, local time.
struct TomlDatetimeParts {
  std::optional<TomlDate> date;
  std::optional<TomlTime> time;
  std::optional<TomlOffset> offset;
};

std::string format_toml_datetime(const TomlDatetimeParts& parts);

// Whether a value's text is meant as a date or time: it starts with four digits and "-", or with
// two digits and ":". Such text is read by parse_toml_datetime and never as a number.
bool looks_like_datetime(std::string_view token) noexcept;

// `token` is the whole text of a date or time value, the separator between date and time being
// "T", "t" or a space. Fails with the description of what is wrong: a malformed part, a month,
// day, hour, minute or second out of range (February 29 only in leap years, no leap second), an
// offset beyond 23:59.
std::expected<TomlDatetimeParts, std::string> parse_toml_datetime(std::string_view token);

}  // namespace tarnevo::detail::toml
