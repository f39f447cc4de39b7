// The normal text form of TOML dates and times, which a tree holds in place of a date-time
// value: date "T" time offset, with a "T" whatever separator the file used, a fraction only
// when it is non-zero (nanoseconds, trailing zeros removed) and "Z" or +HH:MM / -HH:MM.
#pragma once

#include <cstdint>
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

}  // namespace tarnevo::detail::toml
