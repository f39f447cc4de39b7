// Whether a TOML reader failure message has the multi-line form, and whether that form's facts
// agree with the text it was read from: the line it quotes is that line of the text, the column
// lies on it (or just past its end) and the carets stay within it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "text/utf8.hpp"

namespace tarnevo::testing {

inline std::size_t count_characters(std::string_view bytes) {
  return static_cast<std::size_t>(std::count_if(bytes.begin(), bytes.end(), [](char b) {
    return (static_cast<unsigned char>(b) & 0xC0) != 0x80;
  }));
}

// Line `number` (from 1) of `text` without its line break; the text a message positions in is
// the document after a leading byte-order mark.
inline std::string_view line_of(std::string_view text, std::size_t number) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  for (std::size_t line = 1; line < number; ++line) {
    const std::size_t feed = text.find('\n');
    if (feed == std::string_view::npos) return "<no such line>";
    text.remove_prefix(feed + 1);
  }
  text = text.substr(0, text.find('\n'));
  if (text.ends_with('\r')) text.remove_suffix(1);
  return text;
}

inline ::testing::AssertionResult is_positioned_toml_message(std::string_view text,
                                                             std::string_view message) {
  const auto bad = [&](const char* why) {
    return ::testing::AssertionFailure() << why << " in:\n" << message;
  };
  if (!detail::text::is_valid_utf8(message)) return bad("not UTF-8");
  constexpr std::string_view kLead = "TOML parse error at line ";
  if (!message.starts_with(kLead)) return bad("no position");
  std::size_t at = kLead.size();
  std::size_t line = 0;
  while (at < message.size() && message[at] >= '0' && message[at] <= '9')
    line = line * 10 + static_cast<std::size_t>(message[at++] - '0');
  const std::string digits = std::to_string(line);
  if (line == 0 || message.substr(at, 9) != ", column ") return bad("malformed line number");
  at += 9;
  std::size_t column = 0;
  while (at < message.size() && message[at] >= '0' && message[at] <= '9')
    column = column * 10 + static_cast<std::size_t>(message[at++] - '0');
  const std::string gutter(digits.size() + 1, ' ');
  // Text that is not UTF-8 (which the loader never hands over) is quoted with replacements.
  const std::string quoted = detail::text::is_valid_utf8(text)
                                 ? std::string(line_of(text, line))
                                 : detail::text::to_utf8_lossy(line_of(text, line));
  const std::string expected_head = "\n" + gutter + "|\n" + digits + " | " + quoted + "\n" +
                                    gutter + "|" + std::string(column, ' ');
  if (message.substr(at, expected_head.size()) != expected_head)
    return bad("gutter or quoted line wrong");
  at += expected_head.size();
  std::size_t carets = 0;
  while (at < message.size() && message[at] == '^') ++carets, ++at;
  const std::size_t line_length = count_characters(quoted);
  if (column == 0 || column > line_length + 1) return bad("column off the line");
  if (carets == 0 || (carets > 1 && column + carets - 1 > line_length))
    return bad("carets off the line");
  if (at >= message.size() || message[at] != '\n') return bad("caret line not ended");
  const std::string_view description = message.substr(at + 1);
  if (description.size() < 2 || !description.ends_with('\n') ||
      description.substr(0, description.size() - 1).find('\n') != std::string_view::npos)
    return bad("description missing or not one line");
  return ::testing::AssertionSuccess();
}

}  // namespace tarnevo::testing
