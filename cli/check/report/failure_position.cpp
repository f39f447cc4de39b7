#include "check/report/failure_position.hpp"

#include <charconv>

namespace tarnevo::cli {
namespace {

// Reads the digits at the start of `text` and removes them.
std::optional<std::size_t> take_number(std::string_view& text) noexcept {
  std::size_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end == text.data()) return std::nullopt;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return value;
}

bool take(std::string_view& text, std::string_view prefix) noexcept {
  if (!text.starts_with(prefix)) return false;
  text.remove_prefix(prefix.size());
  return true;
}

}  // namespace

std::optional<FailurePosition> failure_position(std::string_view message) noexcept {
  const std::string_view first_line = message.substr(0, message.find('\n'));
  // Only a first position that is a line and a column counts.
  std::size_t from = first_line.find(" at ");
  while (from != std::string_view::npos) {
    std::string_view rest = first_line.substr(from + 4);
    if (rest.starts_with("position ")) return std::nullopt;
    if (take(rest, "line ")) {
      const auto line = take_number(rest);
      if (!line || !(take(rest, ", column ") || take(rest, " column "))) return std::nullopt;
      const auto column = take_number(rest);
      if (!column) return std::nullopt;
      return FailurePosition{*line, *column};
    }
    from = first_line.find(" at ", from + 1);
  }
  return std::nullopt;
}

}  // namespace tarnevo::cli
