#include "toml/datetime.hpp"

#include <cstdint>

namespace tarnevo::detail::toml {
namespace {

bool is_digit(char c) noexcept {
  return static_cast<unsigned char>(c - '0') < 10;
}

// Whether `text` from `at` matches `shape`, where '9' stands for any digit.
bool matches(std::string_view text, std::size_t at, std::string_view shape) noexcept {
  if (at > text.size() || text.size() - at < shape.size()) return false;
  for (std::size_t i = 0; i < shape.size(); ++i) {
    const char c = text[at + i];
    if (shape[i] == '9' ? !is_digit(c) : c != shape[i]) return false;
  }
  return true;
}

unsigned number_at(std::string_view text, std::size_t at, std::size_t digits) noexcept {
  unsigned value = 0;
  for (std::size_t i = 0; i < digits; ++i)
    value = value * 10 + static_cast<unsigned>(text[at + i] - '0');
  return value;
}

std::unexpected<std::string> out_of_range(std::string_view scope, std::string_view field,
                                          unsigned low, unsigned high, unsigned seen) {
  std::string description = "Error while parsing ";
  description.append(scope).append(": expected ").append(field).append(" between ");
  description.append(std::to_string(low)).append(" and ").append(std::to_string(high));
  description.append(" (inclusive), saw ").append(std::to_string(seen));
  return std::unexpected(std::move(description));
}

unsigned days_in_month(unsigned year, unsigned month) noexcept {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

std::expected<TomlDate, std::string> read_date(std::string_view token) {
  if (!matches(token, 0, "9999-99-99")) {
    return std::unexpected("Error while parsing date: expected a date of the form YYYY-MM-DD");
  }
  const unsigned year = number_at(token, 0, 4);
  const unsigned month = number_at(token, 5, 2);
  const unsigned day = number_at(token, 8, 2);
  if (month < 1 || month > 12) return out_of_range("date", "month", 1, 12, month);
  const unsigned last_day = days_in_month(year, month);
  if (day < 1 || day > last_day) return out_of_range("date", "day", 1, last_day, day);
  return TomlDate{static_cast<std::uint16_t>(year), static_cast<std::uint8_t>(month),
                  static_cast<std::uint8_t>(day)};
}

// HH:MM:SS and an optional fraction from `at`; leaves `at` after them.
std::expected<TomlTime, std::string> read_time(std::string_view token, std::size_t& at) {
  if (!matches(token, at, "99:99:99")) {
    return std::unexpected("Error while parsing time: expected a time of the form HH:MM:SS");
  }
  TomlTime time;
  const unsigned hour = number_at(token, at, 2);
  const unsigned minute = number_at(token, at + 3, 2);
  const unsigned second = number_at(token, at + 6, 2);
  if (hour > 23) return out_of_range("time", "hour", 0, 23, hour);
  if (minute > 59) return out_of_range("time", "minute", 0, 59, minute);
  if (second > 59) return out_of_range("time", "second", 0, 59, second);
  time.hour = static_cast<std::uint8_t>(hour);
  time.minute = static_cast<std::uint8_t>(minute);
  time.second = static_cast<std::uint8_t>(second);
  at += 8;
  if (at < token.size() && token[at] == '.') {
    ++at;
    if (at == token.size() || !is_digit(token[at])) {
      return std::unexpected("Error while parsing time: expected digits after the decimal point");
    }
    // Nanoseconds: the first nine digits, padded; later ones are dropped.
    std::uint32_t scale = 100'000'000;
    for (; at < token.size() && is_digit(token[at]); ++at) {
      time.nanosecond += static_cast<std::uint32_t>(token[at] - '0') * scale;
      scale /= 10;
    }
  }
  return time;
}

std::expected<TomlOffset, std::string> read_offset(std::string_view token, std::size_t at) {
  const std::string_view rest = token.substr(at);
  if (rest == "Z" || rest == "z") return TomlOffset{true, 0};
  if (rest.size() != 6 || !matches(rest, 1, "99:99") || (rest[0] != '+' && rest[0] != '-')) {
    return std::unexpected(
        "Error while parsing date-time: expected the offset Z, +HH:MM or -HH:MM after the time");
  }
  const unsigned hours = number_at(rest, 1, 2);
  const unsigned minutes = number_at(rest, 4, 2);
  if (hours > 23) return out_of_range("date-time", "offset hour", 0, 23, hours);
  if (minutes > 59) return out_of_range("date-time", "offset minute", 0, 59, minutes);
  const int total = static_cast<int>(hours * 60 + minutes);
  return TomlOffset{false, static_cast<std::int16_t>(rest[0] == '-' ? -total : total)};
}

}  // namespace

bool looks_like_datetime(std::string_view token) noexcept {
  return matches(token, 0, "9999-") || matches(token, 0, "99:");
}

std::expected<TomlDatetimeParts, std::string> parse_toml_datetime(std::string_view token) {
  TomlDatetimeParts parts;
  std::size_t at = 0;
  if (!matches(token, 0, "99:")) {
    auto date = read_date(token);
    if (!date) return std::unexpected(std::move(date.error()));
    parts.date = *date;
    if (token.size() == 10) return parts;
    const char separator = token[10];
    if (separator != 'T' && separator != 't' && separator != ' ') {
      return std::unexpected(
          "Error while parsing date-time: expected 'T' or a space between the date and the time");
    }
    at = 11;
  }
  auto time = read_time(token, at);
  if (!time) return std::unexpected(std::move(time.error()));
  parts.time = *time;
  if (at == token.size()) return parts;
  if (!parts.date) {
    return std::unexpected("Error while parsing time: a local time cannot have an offset");
  }
  auto offset = read_offset(token, at);
  if (!offset) return std::unexpected(std::move(offset.error()));
  parts.offset = *offset;
  return parts;
}

}  // namespace tarnevo::detail::toml
