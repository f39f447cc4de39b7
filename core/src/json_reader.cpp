// The strict JSON reader. It is iterative: open arrays and objects live on explicit stacks, so
// the depth limit, not the machine stack, bounds nesting. Finished children wait on two shared
// stacks (array elements, object members) and move into an exactly sized vector when their
// container closes, so building a tree costs no allocation beyond those vectors and the strings.
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "json_failure.hpp"
#include "json_number.hpp"
#include "json_string.hpp"
#include "readers.hpp"

namespace tarnevo::detail {
namespace {

// Arrays and objects together may nest this deep; one more level fails.
constexpr std::size_t kMaxDepth = 127;

std::unexpected<JsonFailure> fail(JsonProblem problem, const char* at) {
  return std::unexpected(JsonFailure{problem, at});
}

class JsonTreeReader {
 public:
  explicit JsonTreeReader(std::string_view text)
      : cursor_(text.data()), end_(text.data() + text.size()) {
    open_.reserve(kMaxDepth);
  }

  std::expected<LocaleValue, JsonFailure> read();

 private:
  struct OpenContainer {
    bool is_object;
    // Where this container's children start on `members_` or `elements_`.
    std::size_t first_child;
  };

  void skip_whitespace() noexcept {
    while (cursor_ != end_ &&
           (*cursor_ == ' ' || *cursor_ == '\n' || *cursor_ == '\r' || *cursor_ == '\t')) {
      ++cursor_;
    }
  }

  std::expected<LocaleValue, JsonFailure> read_scalar();
  std::expected<LocaleValue, JsonFailure> read_literal(std::string_view word, LocaleValue value);
  std::expected<void, JsonFailure> begin_member();
  LocaleValue close_array();
  LocaleValue close_object();

  const char* cursor_;
  const char* const end_;
  std::vector<OpenContainer> open_;
  std::vector<LocaleValue> elements_;
  std::vector<LocaleMember> members_;
  std::string scratch_;
};

// Reads one value. An opened array or object is pushed on `open_`, and the loop goes on with its
// first child; a finished value goes to the innermost open container, which may close in turn.
std::expected<LocaleValue, JsonFailure> JsonTreeReader::read() {
  LocaleValue value;
  for (;;) {
    skip_whitespace();
    if (cursor_ == end_) return fail(JsonProblem::EofWhileValue, end_);
    if (*cursor_ == '[' || *cursor_ == '{') {
      const bool is_object = *cursor_ == '{';
      if (open_.size() == kMaxDepth) return fail(JsonProblem::RecursionLimit, cursor_);
      ++cursor_;
      skip_whitespace();
      if (cursor_ == end_) {
        return fail(is_object ? JsonProblem::EofWhileObject : JsonProblem::EofWhileList, end_);
      }
      if (*cursor_ == (is_object ? '}' : ']')) {
        ++cursor_;
        value = is_object ? LocaleValue::empty_object() : LocaleValue::array({});
      } else {
        open_.push_back(OpenContainer{is_object, is_object ? members_.size() : elements_.size()});
        if (is_object) {
          if (auto started = begin_member(); !started) return std::unexpected(started.error());
        }
        continue;
      }
    } else {
      auto scalar = read_scalar();
      if (!scalar) return scalar;
      value = std::move(*scalar);
    }

    // Hand `value` to its container, closing containers until one expects another child.
    for (;;) {
      skip_whitespace();
      if (open_.empty()) {
        if (cursor_ != end_) return fail(JsonProblem::TrailingCharacters, cursor_);
        return value;
      }
      if (open_.back().is_object) {
        members_.back().value = std::move(value);
        if (cursor_ == end_) return fail(JsonProblem::EofWhileObject, end_);
        if (*cursor_ == ',') {
          ++cursor_;
          skip_whitespace();
          if (cursor_ != end_ && *cursor_ == '}') return fail(JsonProblem::TrailingComma, cursor_);
          if (auto started = begin_member(); !started) return std::unexpected(started.error());
          break;
        }
        if (*cursor_ != '}') return fail(JsonProblem::ExpectedCommaOrBrace, cursor_);
        ++cursor_;
        value = close_object();
      } else {
        elements_.push_back(std::move(value));
        if (cursor_ == end_) return fail(JsonProblem::EofWhileList, end_);
        if (*cursor_ == ',') {
          ++cursor_;
          skip_whitespace();
          if (cursor_ != end_ && *cursor_ == ']') return fail(JsonProblem::TrailingComma, cursor_);
          break;
        }
        if (*cursor_ != ']') return fail(JsonProblem::ExpectedCommaOrBracket, cursor_);
        ++cursor_;
        value = close_array();
      }
    }
  }
}

// Reads a member's key and its `:` (whitespace before the key is already skipped), and pushes
// the member with a null value that the member's value replaces once it is read.
std::expected<void, JsonFailure> JsonTreeReader::begin_member() {
  if (cursor_ == end_) return fail(JsonProblem::EofWhileObject, end_);
  if (*cursor_ != '"') return fail(JsonProblem::KeyMustBeString, cursor_);
  ++cursor_;
  auto key = read_json_string(cursor_, end_, scratch_);
  if (!key) return std::unexpected(key.error());
  skip_whitespace();
  if (cursor_ == end_) return fail(JsonProblem::EofWhileObject, end_);
  if (*cursor_ != ':') return fail(JsonProblem::ExpectedColon, cursor_);
  ++cursor_;
  members_.push_back(LocaleMember{std::move(*key), LocaleValue()});
  return {};
}

std::expected<LocaleValue, JsonFailure> JsonTreeReader::read_scalar() {
  switch (*cursor_) {
    case '"': {
      ++cursor_;
      auto text = read_json_string(cursor_, end_, scratch_);
      if (!text) return std::unexpected(text.error());
      return LocaleValue::string(std::move(*text));
    }
    case 't':
      return read_literal("true", LocaleValue::boolean(true));
    case 'f':
      return read_literal("false", LocaleValue::boolean(false));
    case 'n':
      return read_literal("null", LocaleValue::null());
    case '-':
    case '0':
    case '1':
    case '2':
    case '3':
    case '4':
    case '5':
    case '6':
    case '7':
    case '8':
    case '9':
      return read_json_number(cursor_, end_);
    default:
      return fail(JsonProblem::ExpectedValue, cursor_);
  }
}

// A misspelt literal is blamed on its first wrong byte; one cut short by the end of the text is
// an early end.
std::expected<LocaleValue, JsonFailure> JsonTreeReader::read_literal(std::string_view word,
                                                                     LocaleValue value) {
  for (const char expected : word) {
    if (cursor_ == end_) return fail(JsonProblem::EofWhileValue, end_);
    if (*cursor_ != expected) return fail(JsonProblem::ExpectedValue, cursor_);
    ++cursor_;
  }
  return value;
}

LocaleValue JsonTreeReader::close_array() {
  const auto first = elements_.begin() + static_cast<std::ptrdiff_t>(open_.back().first_child);
  LocaleArray items(std::make_move_iterator(first), std::make_move_iterator(elements_.end()));
  elements_.erase(first, elements_.end());
  open_.pop_back();
  return LocaleValue::array(std::move(items));
}

LocaleValue JsonTreeReader::close_object() {
  const auto first = members_.begin() + static_cast<std::ptrdiff_t>(open_.back().first_child);
  std::vector<LocaleMember> members(std::make_move_iterator(first),
                                    std::make_move_iterator(members_.end()));
  members_.erase(first, members_.end());
  open_.pop_back();
  // Members arrive in text order; the sort in from_members keeps the last of equal keys.
  return LocaleValue::object(LocaleObject::from_members(std::move(members)));
}

}  // namespace

std::expected<LocaleValue, FormatError> parse_json_text(std::string_view text) {
  JsonTreeReader reader(text);
  auto value = reader.read();
  if (!value) {
    return std::unexpected(
        FormatError(FormatError::Kind::Json, describe_json_failure(text, value.error())));
  }
  return std::move(*value);
}

}  // namespace tarnevo::detail
