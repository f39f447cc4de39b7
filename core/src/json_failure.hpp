// What the JSON reader reports when a text is not one strict JSON value, and where.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnevo::detail {

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
  InvalidCodePoint,
  LoneLeadingSurrogate,
  UnexpectedEndOfHexEscape,
  ControlCharacter,
  RecursionLimit,
};

// A failure and the byte it is blamed on. The blamed byte is the one the reader was looking at
// when it saw the problem: the byte that cannot continue the grammar (a missing `:`, a digit after
// a leading zero), or the last byte of what it had just read (the end of an out-of-range number,
// an invalid escape letter, a raw control character). `at` equal to the end of the text means
// the text ended too early.
struct JsonFailure {
  JsonProblem problem;
  const char* at;
};

// "{message} at line {l} column {c}". Lines and columns count from 1 and columns count bytes. A
// blamed byte reports its own line and column; the end of the text reports the last line and the
// number of bytes on it, so an empty text is at line 1 column 0.
std::string describe_json_failure(std::string_view text, const JsonFailure& failure);

}  // namespace tarnevo::detail
