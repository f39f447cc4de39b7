// The strict JSON reader. It is iterative: open arrays and objects live on an explicit stack, so
// the depth limit, not the machine stack, bounds nesting. Finished children wait on two shared
// stacks (array elements, object members) and move once into an exactly sized vector when their
// container closes, so building a tree costs no allocation beyond those vectors and the strings.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <numeric>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "byte_scan.hpp"
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
    // An object's key whose value is being read.
    std::string key;
  };

  // Most tokens follow each other directly or after one line break and its indentation.
  void skip_whitespace() noexcept {
    if (cursor_ != end_ && static_cast<unsigned char>(*cursor_) > ' ') return;
    cursor_ = skip_json_whitespace(cursor_, end_);
  }

  std::expected<void, JsonFailure> read_scalar();
  std::expected<void, JsonFailure> read_literal(std::string_view word, LocaleValue value);
  std::expected<void, JsonFailure> read_key();
  void add_value(LocaleValue&& value);
  LocaleValue close_array();
  LocaleValue close_object();

  const char* cursor_;
  const char* const end_;
  std::vector<OpenContainer> open_;
  std::vector<LocaleValue> elements_;
  std::vector<LocaleMember> members_;
  LocaleValue result_;
  std::string scratch_;
  std::vector<std::size_t> key_order_;
};

// Reads one value. An opened array or object is pushed on `open_`, and the loop goes on with its
// first child; a finished value goes to the innermost open container, which may close in turn.
std::expected<LocaleValue, JsonFailure> JsonTreeReader::read() {
  for (;;) {
    skip_whitespace();
    if (cursor_ == end_) return fail(JsonProblem::EofWhileValue, end_);
    if (*cursor_ == '[' || *cursor_ == '{') {
      const bool is_object = *cursor_ == '{';
      if (open_.size() == kMaxDepth) return fail(JsonProblem::RecursionLimit, cursor_);
      ++cursor_;
      skip_whitespace();
      if (cursor_ == end_)
        return fail(is_object ? JsonProblem::EofWhileObject : JsonProblem::EofWhileList, end_);
      if (*cursor_ == (is_object ? '}' : ']')) {
        ++cursor_;
        add_value(is_object ? LocaleValue::empty_object() : LocaleValue::array({}));
      } else {
        open_.push_back(
            OpenContainer{is_object, is_object ? members_.size() : elements_.size(), {}});
        if (is_object) {
          if (auto key = read_key(); !key) return std::unexpected(key.error());
        }
        continue;
      }
    } else if (auto scalar = read_scalar(); !scalar) {
      return std::unexpected(scalar.error());
    }

    // After a value: a separator and the next child, or the end of containers.
    for (;;) {
      skip_whitespace();
      if (open_.empty()) {
        if (cursor_ != end_) return fail(JsonProblem::TrailingCharacters, cursor_);
        return std::move(result_);
      }
      const bool is_object = open_.back().is_object;
      if (cursor_ == end_)
        return fail(is_object ? JsonProblem::EofWhileObject : JsonProblem::EofWhileList, end_);
      if (*cursor_ == ',') {
        ++cursor_;
        skip_whitespace();
        if (cursor_ != end_ && *cursor_ == (is_object ? '}' : ']')) {
          return fail(JsonProblem::TrailingComma, cursor_);
        }
        if (is_object) {
          if (auto key = read_key(); !key) return std::unexpected(key.error());
        }
        break;
      }
      if (*cursor_ != (is_object ? '}' : ']')) {
        return fail(
            is_object ? JsonProblem::ExpectedCommaOrBrace : JsonProblem::ExpectedCommaOrBracket,
            cursor_);
      }
      ++cursor_;
      add_value(is_object ? close_object() : close_array());
    }
  }
}

// Reads a member's key and its `:`; whitespace before the key is already skipped.
std::expected<void, JsonFailure> JsonTreeReader::read_key() {
  if (cursor_ == end_) return fail(JsonProblem::EofWhileObject, end_);
  if (*cursor_ != '"') return fail(JsonProblem::KeyMustBeString, cursor_);
  ++cursor_;
  auto key = read_json_string(cursor_, end_, scratch_);
  if (!key) return std::unexpected(key.error());
  skip_whitespace();
  if (cursor_ == end_) return fail(JsonProblem::EofWhileObject, end_);
  if (*cursor_ != ':') return fail(JsonProblem::ExpectedColon, cursor_);
  ++cursor_;
  open_.back().key = std::move(*key);
  return {};
}

void JsonTreeReader::add_value(LocaleValue&& value) {
  if (open_.empty()) {
    result_ = std::move(value);
  } else if (open_.back().is_object) {
    members_.push_back(LocaleMember{std::move(open_.back().key), std::move(value)});
  } else {
    elements_.push_back(std::move(value));
  }
}

std::expected<void, JsonFailure> JsonTreeReader::read_scalar() {
  switch (*cursor_) {
    case '"': {
      ++cursor_;
      auto text = read_json_string(cursor_, end_, scratch_);
      if (!text) return std::unexpected(text.error());
      add_value(LocaleValue::string(std::move(*text)));
      return {};
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
    case '9': {
      auto number = read_json_number(cursor_, end_);
      if (!number) return std::unexpected(number.error());
      add_value(std::move(*number));
      return {};
    }
    default:
      return fail(JsonProblem::ExpectedValue, cursor_);
  }
}

// A misspelt literal is blamed on its first wrong byte; one cut short by the end of the text is
// an early end.
std::expected<void, JsonFailure> JsonTreeReader::read_literal(std::string_view word,
                                                              LocaleValue value) {
  for (const char expected : word) {
    if (cursor_ == end_) return fail(JsonProblem::EofWhileValue, end_);
    if (*cursor_ != expected) return fail(JsonProblem::ExpectedValue, cursor_);
    ++cursor_;
  }
  add_value(std::move(value));
  return {};
}

LocaleValue JsonTreeReader::close_array() {
  const auto first = elements_.begin() + static_cast<std::ptrdiff_t>(open_.back().first_child);
  LocaleArray items(std::make_move_iterator(first), std::make_move_iterator(elements_.end()));
  elements_.erase(first, elements_.end());
  open_.pop_back();
  return LocaleValue::array(std::move(items));
}

// Members arrive in text order; the object wants them sorted by key bytes, and of equal keys the
// one given last. Sorting indices and moving each kept member once is much cheaper than sorting
// the members themselves.
LocaleValue JsonTreeReader::close_object() {
  const std::size_t first = open_.back().first_child;
  LocaleMember* const given = members_.data() + first;
  const std::size_t count = members_.size() - first;
  std::vector<LocaleMember> members;
  members.reserve(count);

  bool ordered = true;
  for (std::size_t i = 1; i < count && ordered; ++i) ordered = given[i - 1].key < given[i].key;
  if (ordered) {
    for (std::size_t i = 0; i < count; ++i) members.push_back(std::move(given[i]));
  } else {
    key_order_.resize(count);
    std::iota(key_order_.begin(), key_order_.end(), std::size_t{0});
    std::sort(key_order_.begin(), key_order_.end(), [given](std::size_t a, std::size_t b) {
      const int order = given[a].key.compare(given[b].key);
      return order < 0 || (order == 0 && a < b);
    });
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t at = key_order_[i];
      if (i + 1 < count && given[key_order_[i + 1]].key == given[at].key) continue;
      members.push_back(std::move(given[at]));
    }
  }
  members_.erase(members_.begin() + static_cast<std::ptrdiff_t>(first), members_.end());
  open_.pop_back();
  // from_members finds them in order and keeps them as they are.
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
