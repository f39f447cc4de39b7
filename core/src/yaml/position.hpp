// Where in a YAML text something happened, and how a message shows it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnevo::detail::yaml {

// A position as libyaml reports it: counted from 0, `index` in characters after a leading
// byte-order mark.
struct Mark {
  std::size_t index = 0;
  std::size_t line = 0;
  std::size_t column = 0;
};

// The byte offset in `text` of libyaml's character index: marks count characters after a leading
// byte-order mark, while messages give offsets in bytes from the start of the file.
std::size_t byte_offset_of(std::string_view text, std::size_t char_index) noexcept;

// Appends " at line L column C" (both from 1). The very first position carries no information
// there, so it is left out, or written " at position N" when the byte offset N is not 0.
void append_position(std::string& out, std::size_t line, std::size_t column,
                     std::size_t byte_offset);

// `message`, then the position of `mark` in the form above.
std::string message_at(std::string_view message, const Mark& mark, std::string_view text);

}  // namespace tarnevo::detail::yaml
