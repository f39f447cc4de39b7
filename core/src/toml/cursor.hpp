// The reader's position in a TOML document and the small steps every part of it takes: blanks,
// line breaks, comments, and failures placed in the text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

#include "toml/failure.hpp"

namespace tarnevo::detail::toml {

struct Cursor {
  const char* const begin;
  const char* const end;
  const char* at;

  explicit Cursor(std::string_view text) noexcept
      : begin(text.data()), end(text.data() + text.size()), at(text.data()) {}

  bool done() const noexcept { return at == end; }
  // Whether the next character is `c` (false at the end).
  bool sees(char c) const noexcept { return at != end && *at == c; }
  std::size_t offset(const char* p) const noexcept { return static_cast<std::size_t>(p - begin); }
  std::string_view text() const noexcept { return {begin, static_cast<std::size_t>(end - begin)}; }

  // Spaces and tabs, TOML's only whitespace within a line.
  void skip_blanks() noexcept {
    while (at != end && (*at == ' ' || *at == '\t')) ++at;
  }

  // A line feed, or a carriage return and a line feed: true and past it, or false.
  bool skip_line_break() noexcept {
    if (at != end && *at == '\n') {
      ++at;
      return true;
    }
    if (end - at >= 2 && at[0] == '\r' && at[1] == '\n') {
      at += 2;
      return true;
    }
    return false;
  }
};

using Failed = std::unexpected<TomlFailure>;

// A failure blamed on the bytes [from, to).
inline Failed fail(const Cursor& cursor, const char* from, const char* to,
                   std::string description) {
  return Failed(TomlFailure{cursor.offset(from), cursor.offset(to), std::move(description)});
}

// "Error while parsing {scope}: expected {expected}, saw {the character at p}", blamed on it.
Failed fail_expecting(const Cursor& cursor, const char* p, std::string_view scope,
                      std::string_view expected);

// A comment from its '#' to the end of its line (not the line break): control characters other
// than tab, and DEL, are not allowed in it.
std::expected<void, TomlFailure> skip_comment(Cursor& cursor);

// Bare keys are ASCII letters, digits, '-' and '_'.
inline constexpr std::array<bool, 256> kBareKeyBytes = [] {
  std::array<bool, 256> bytes{};
  for (int c = 'a'; c <= 'z'; ++c) bytes[static_cast<std::size_t>(c)] = true;
  for (int c = 'A'; c <= 'Z'; ++c) bytes[static_cast<std::size_t>(c)] = true;
  for (int c = '0'; c <= '9'; ++c) bytes[static_cast<std::size_t>(c)] = true;
  bytes['-'] = bytes['_'] = true;
  return bytes;
}();

inline bool is_bare_key_byte(char c) noexcept {
  return kBareKeyBytes[static_cast<unsigned char>(c)];
}

}  // namespace tarnevo::detail::toml
