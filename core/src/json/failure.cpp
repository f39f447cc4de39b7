#include "json/failure.hpp"

#include <algorithm>
#include <cstddef>

namespace tarnevo::detail::json {
namespace {

std::string_view problem_text(JsonProblem problem) {
  switch (problem) {
    case JsonProblem::EofWhileValue:
      return "EOF while parsing a value";
    case JsonProblem::EofWhileString:
      return "EOF while parsing a string";
    case JsonProblem::EofWhileList:
      return "EOF while parsing a list";
    case JsonProblem::EofWhileObject:
      return "EOF while parsing an object";
    case JsonProblem::ExpectedValue:
      return "expected value";
    case JsonProblem::ExpectedColon:
      return "expected `:`";
    case JsonProblem::ExpectedCommaOrBracket:
      return "expected `,` or `]`";
    case JsonProblem::ExpectedCommaOrBrace:
      return "expected `,` or `}`";
    case JsonProblem::KeyMustBeString:
      return "key must be a string";
    case JsonProblem::TrailingComma:
      return "trailing comma";
    case JsonProblem::TrailingCharacters:
      return "trailing characters";
    case JsonProblem::InvalidNumber:
      return "invalid number";
    case JsonProblem::NumberOutOfRange:
      return "number out of range";
    case JsonProblem::InvalidEscape:
      return "invalid escape";
    case JsonProblem::LoneLeadingSurrogate:
      return "lone leading surrogate in hex escape";
    case JsonProblem::UnexpectedEndOfHexEscape:
      return "unexpected end of hex escape";
    case JsonProblem::ControlCharacter:
      return "control character (\\u0000-\\u001F) found while parsing a string";
    case JsonProblem::RecursionLimit:
      return "recursion limit exceeded";
  }
  return "invalid JSON";
}

}  // namespace

std::string describe_json_failure(std::string_view text, const JsonFailure& failure) {
  // Positions are only needed on failure, so they are counted here rather than while reading.
  const std::size_t offset =
      std::min(static_cast<std::size_t>(failure.at - text.data()), text.size());
  const bool at_end = offset == text.size();
  const std::string_view before = text.substr(0, offset);
  const std::size_t line =
      1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
  const std::size_t last_break = before.rfind('\n');
  const std::size_t line_start = last_break == std::string_view::npos ? 0 : last_break + 1;
  const std::size_t column = offset - line_start + (at_end ? 0 : 1);

  std::string message(problem_text(failure.problem));
  message.append(" at line ").append(std::to_string(line));
  message.append(" column ").append(std::to_string(column));
  return message;
}

}  // namespace tarnevo::detail::json
