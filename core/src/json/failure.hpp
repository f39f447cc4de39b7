// What the JSON reader reports when a text is not one strict JSON value, and where.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnevo::detail::json {

enum class JsonProblem : std::uint8_t {
  EofWhileValue,
  EofWhileString,
  EofWhileList,
  EofWhileObject,
  ExpectedValue,
  ExpectedColon,
  ExpectedCommaOrBracket,
  ExpectedCommaOrBrace,
  KeyMustBeString,
  TrailingComma,
  TrailingCharacters,
  InvalidNumber,
  NumberOutOfRange,
  InvalidEscape,
  LoneLeadingSurrogate,
  UnexpectedEndOfHexEscape,
  ControlCharacter,
  RecursionLimit,
};

// A failure and the byte it is blamed on: the byte the reader was looking at when it saw the
// problem, so that the position points at the fault itself.
// - Peeked, not yet consumed: the byte that cannot continue the grammar ("expected value",
//   "expected `:`", "expected `,` or ...", "key must be a string", "trailing comma" at the closing
//   bracket, "trailing characters", "invalid number", "unexpected end of hex escape", and
//   "recursion limit exceeded" at the opening bracket).
// - Consumed: the last byte of what was just read ("number out of range" at the number's last
//   byte, "invalid escape" at the escape letter or bad hex digit, the surrogate errors at the
//   last hex digit of the offending escape, a raw control character at itself).
// - The end of the text (`at` equal to its end): every "EOF while ..." failure, and a number cut
//   short by the end ("-", "1.", "1e").
struct JsonFailure {
  JsonProblem problem;
  const char* at;
};

// "{message} at line {l} column {c}". Lines and columns count from 1 and columns count bytes. A
// blamed byte reports its own line and column; the end of the text reports the last line and the
// number of bytes on it, so an empty text is at line 1 column 0.
std::string describe_json_failure(std::string_view text, const JsonFailure& failure);

}  // namespace tarnevo::detail::json
