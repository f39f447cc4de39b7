#include "toml/datetime.hpp"

#include <cstdlib>

namespace tarnevo::detail::toml {
namespace {

// Appends `value` in exactly `width` decimal digits (values here never need more).
void append_digits(std::string& out, std::uint32_t value, int width) {
  char digits[10];
  for (int i = width - 1; i >= 0; --i) {
    digits[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  out.append(digits, static_cast<std::size_t>(width));
}

void append_date(std::string& out, const TomlDate& date) {
  append_digits(out, date.year, 4);
  out.push_back('-');
  append_digits(out, date.month, 2);
  out.push_back('-');
  append_digits(out, date.day, 2);
}

void append_time(std::string& out, const TomlTime& time) {
  append_digits(out, time.hour, 2);
  out.push_back(':');
  append_digits(out, time.minute, 2);
  out.push_back(':');
  append_digits(out, time.second, 2);
  // Nanoseconds as nine digits, then without the zeros that only pad them: .500 -> .5.
  std::uint32_t fraction = time.nanosecond % 1'000'000'000u;
  if (fraction == 0) return;
  int width = 9;
  while (fraction % 10 == 0) {
    fraction /= 10;
    --width;
  }
  out.push_back('.');
  append_digits(out, fraction, width);
}

void append_offset(std::string& out, const TomlOffset& offset) {
  if (offset.minutes == 0 && offset.utc_designator) {
    out.push_back('Z');
    return;
  }
  const int minutes = offset.minutes;
  out.push_back(minutes < 0 ? '-' : '+');
  const auto magnitude = static_cast<std::uint32_t>(std::abs(minutes));
  append_digits(out, magnitude / 60 % 100, 2);
  out.push_back(':');
  append_digits(out, magnitude % 60, 2);
}

}  // namespace

std::string format_toml_datetime(const TomlDatetimeParts& parts) {
  std::string out;
  out.reserve(35);
  if (parts.date) append_date(out, *parts.date);
  if (parts.date && parts.time) out.push_back('T');
  if (parts.time) append_time(out, *parts.time);
  if (parts.time && parts.offset) append_offset(out, *parts.offset);
  return out;
}

}  // namespace tarnevo::detail::toml
