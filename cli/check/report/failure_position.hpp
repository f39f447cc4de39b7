// Where in its file a failure's message says the fault is.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace tarnevo::cli {

struct FailurePosition {
  std::size_t line;
  std::size_t column;
};

// The position in a reader's message, from its first line: "... at line 3 column 5" (JSON,
// YAML) or "TOML parse error at line 3, column 5". The first position named is the fault's (a
// YAML message may go on to the position of what it was reading, "while parsing a block mapping
// at line 1 column 1"). Nothing for messages without one, such as IO errors and YAML reader
// errors ("at position 12", a byte offset).
std::optional<FailurePosition> failure_position(std::string_view message) noexcept;

}  // namespace tarnevo::cli
