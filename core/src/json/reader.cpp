// The strict JSON reader. It is iterative: open arrays and objects live on an explicit stack, so
// the depth limit, not the machine stack, bounds nesting. Finished children wait on two shared
// stacks (array elements, object members) and move once into an exactly sized vector when their
// container closes, so building a tree costs no allocation beyond those vectors and the strings.
// A waiting member's key is only a place in the text (or, when it has escapes, in one buffer of
// decoded keys): its string is made once, where the tree keeps it. The stacks pass from one
// file to the thread's next, as a locale is many small files read one after another.
//
// When the text is read only to fill another tree, values that filling could not use (see
// tree::FillPlace) are only checked, not built.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "format/key_positions.hpp"
#include "json/failure.hpp"
#include "json/number.hpp"
#include "json/reader.hpp"
#include "json/string.hpp"
#include "text/byte_scan.hpp"
#include "tree/fill_place.hpp"
#include "tree/member_order.hpp"

namespace tarnevo::detail::json {
namespace {

// Arrays and objects together may nest this deep; one more level fails.
constexpr std::size_t kMaxDepth = 127;

std::unexpected<JsonFailure> fail(JsonProblem problem, const char* at) {
  return std::unexpected(JsonFailure{problem, at});
}

using format::KeyPositions;
using tree::FillPlace;

// A member's key until the member is placed: `size` bytes at `at` in the text or, for a key with
// escapes, in the buffer of decoded keys.
struct KeyText {
  std::size_t at = 0;
  std::size_t size = 0;
  bool decoded = false;
};

// A member made right where its object keeps it, by the conversion (not made first and then
// moved there: a short key's move is a copy).
struct PlacedMember {
  std::string_view key;
  LocaleValue& value;
  operator LocaleMember() const { return LocaleMember{std::string(key), std::move(value)}; }
};

// A member read but not yet placed in its object. Its value is made where it lies.
struct WaitingMember {
  template <typename Make>
  WaitingMember(KeyText key_text, Make& make) : key(key_text), value(make()) {}

  KeyText key;
  LocaleValue value;
};

// An array or object being read.
struct OpenContainer {
  bool is_object;
  // Where the container lies in the tree being filled; nothing in it is built when it is not
  // wanted.
  FillPlace place;
  // Where this container's children start on the elements or the members.
  std::size_t first_child;
  // An object's key whose value is being read.
  KeyText key;
  // With positions: the container's key path, and that of its member being read.
  KeyPositions::Node node = KeyPositions::kNoPath;
  KeyPositions::Node member_node = KeyPositions::kNoPath;
};

// The reader's working stacks, all empty between files.
struct Stacks {
  std::vector<OpenContainer> open;
  std::vector<LocaleValue> elements;
  std::vector<WaitingMember> members;
  std::vector<tree::KeyPrefix> key_order;
  std::string decoded_keys;
  std::string scratch;
};

// The stacks the thread's last reader left. They are kept only while none holds room for more
// than kKeptEntries entries or kKeptBytes bytes (about 200 KB in all); a large file's stacks go
// with its reader.
constexpr std::size_t kKeptEntries = 1024;
constexpr std::size_t kKeptBytes = std::size_t{32} * 1024;

Stacks& kept_stacks() {
  static thread_local Stacks stacks;
  return stacks;
}

class JsonTreeReader {
 public:
  // `filling`: where the text's value goes in the tree it will fill, if that is what it is read
  // for.
  JsonTreeReader(std::string_view text, std::optional<FillPlace> filling, KeyPositions* positions)
      : cursor_(text.data()),
        begin_(text.data()),
        end_(text.data() + text.size()),
        top_(filling.value_or(FillPlace())),
        filling_(filling.has_value()),
        positions_(positions) {
    std::swap(stacks_, kept_stacks());
    stacks_.open.reserve(kMaxDepth);
  }

  // Leaves the stacks, emptied, to the thread's next reader (what a failed read left on them is
  // dropped here).
  ~JsonTreeReader() {
    if (std::max({stacks_.elements.capacity(), stacks_.members.capacity(),
                  stacks_.key_order.capacity()}) > kKeptEntries ||
        std::max(stacks_.decoded_keys.capacity(), stacks_.scratch.capacity()) > kKeptBytes) {
      return;
    }
    stacks_.open.clear();
    stacks_.elements.clear();
    stacks_.members.clear();
    stacks_.decoded_keys.clear();
    std::swap(stacks_, kept_stacks());
  }

  JsonTreeReader(const JsonTreeReader&) = delete;
  JsonTreeReader& operator=(const JsonTreeReader&) = delete;

  std::expected<LocaleValue, JsonFailure> read();

 private:
  std::string_view key_view(const KeyText& key) const noexcept {
    return {(key.decoded ? stacks_.decoded_keys.data() : begin_) + key.at, key.size};
  }

  // Where the value about to be read goes.
  FillPlace next_place() const noexcept {
    if (stacks_.open.empty()) return top_;
    const OpenContainer& container = stacks_.open.back();
    return container.is_object ? member_ : container.place.element();
  }

  // Most tokens follow each other directly or after one line break and its indentation.
  void skip_whitespace() noexcept {
    if (cursor_ != end_ && static_cast<unsigned char>(*cursor_) > ' ') return;
    cursor_ = text::skip_json_whitespace(cursor_, end_);
  }

  std::expected<void, JsonFailure> read_scalar(bool skip);
  std::expected<void, JsonFailure> read_literal(std::string_view word, LocaleValue value,
                                                bool skip);
  std::expected<void, JsonFailure> read_key();
  template <typename Make>
  void add_value(Make&& make);
  void close_container();
  LocaleValue close_array();
  LocaleValue close_object();
  KeyPositions::Node node_of_new_container(bool is_object) const noexcept;

  const char* cursor_;
  const char* const begin_;
  const char* const end_;
  const FillPlace top_;
  // Whether anything may go unbuilt; a text read for itself never asks its places.
  const bool filling_;
  // Where keys are written, when the caller asks (the command); null for the loader.
  KeyPositions* const positions_;
  // The place of the member whose key was read last.
  FillPlace member_;
  Stacks stacks_;
  LocaleValue result_;
};

// Reads one value. An opened array or object is pushed on the open stack, and the loop goes on with
// its first child; a finished value goes to the innermost open container, which may close in turn.
std::expected<LocaleValue, JsonFailure> JsonTreeReader::read() {
  for (;;) {
    skip_whitespace();
    if (cursor_ == end_) return fail(JsonProblem::EofWhileValue, end_);
    if (*cursor_ == '[' || *cursor_ == '{') {
      const bool is_object = *cursor_ == '{';
      if (stacks_.open.size() == kMaxDepth) return fail(JsonProblem::RecursionLimit, cursor_);
      ++cursor_;
      skip_whitespace();
      if (cursor_ == end_)
        return fail(is_object ? JsonProblem::EofWhileObject : JsonProblem::EofWhileList, end_);
      const FillPlace place = next_place();
      if (*cursor_ == (is_object ? '}' : ']')) {
        ++cursor_;
        if (place.wanted()) {
          add_value([is_object] {
            return is_object ? LocaleValue::empty_object() : LocaleValue::array({});
          });
        }
      } else {
        stacks_.open.push_back(OpenContainer{
            is_object, place, is_object ? stacks_.members.size() : stacks_.elements.size(), {}});
        if (positions_ != nullptr) stacks_.open.back().node = node_of_new_container(is_object);
        if (is_object) {
          if (auto key = read_key(); !key) return std::unexpected(key.error());
        }
        continue;
      }
    } else if (auto scalar = read_scalar(!next_place().wanted()); !scalar) {
      return std::unexpected(scalar.error());
    }

    // After a value: a separator and the next child, or the end of containers.
    for (;;) {
      skip_whitespace();
      if (stacks_.open.empty()) {
        if (cursor_ != end_) return fail(JsonProblem::TrailingCharacters, cursor_);
        return std::move(result_);
      }
      const bool is_object = stacks_.open.back().is_object;
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
      close_container();
    }
  }
}

// The key path of a container just pushed on the open stack: the top-level object's, or that of the
// member it is the value of. Arrays, and what they hold, have none.
KeyPositions::Node JsonTreeReader::node_of_new_container(bool is_object) const noexcept {
  if (!is_object) return KeyPositions::kNoPath;
  if (stacks_.open.size() == 1) return KeyPositions::kRoot;
  const OpenContainer& parent = stacks_.open[stacks_.open.size() - 2];
  return parent.is_object ? parent.member_node : KeyPositions::kNoPath;
}

// Reads a member's key and its `:`; whitespace before the key is already skipped.
std::expected<void, JsonFailure> JsonTreeReader::read_key() {
  if (cursor_ == end_) return fail(JsonProblem::EofWhileObject, end_);
  if (*cursor_ != '"') return fail(JsonProblem::KeyMustBeString, cursor_);
  const char* const key_begin = cursor_;
  ++cursor_;
  OpenContainer& container = stacks_.open.back();
  if (!container.place.wanted()) {
    if (auto key = skip_json_string(cursor_, end_, stacks_.scratch); !key) {
      return std::unexpected(key.error());
    }
  } else {
    const auto key = view_json_string(cursor_, end_, stacks_.scratch);
    if (!key) return std::unexpected(key.error());
    if (filling_) member_ = container.place.member(*key);
    if (positions_ != nullptr) {
      container.member_node = positions_->add_at_offset(
          container.node, *key, static_cast<std::size_t>(key_begin - begin_),
          KeyPositions::Repeat::KeepLast);
    }
    // A plain key is viewed in the text, right after its quotation mark; a decoded one is kept
    // until its object closes. A skipped member's key is never kept.
    if (member_.wanted()) {
      if (key->data() == key_begin + 1) {
        container.key = KeyText{static_cast<std::size_t>(key->data() - begin_), key->size(), false};
      } else {
        container.key = KeyText{stacks_.decoded_keys.size(), key->size(), true};
        stacks_.decoded_keys.append(*key);
      }
    }
  }
  skip_whitespace();
  if (cursor_ == end_) return fail(JsonProblem::EofWhileObject, end_);
  if (*cursor_ != ':') return fail(JsonProblem::ExpectedColon, cursor_);
  ++cursor_;
  // Most values are written after one space.
  if (cursor_ != end_ && *cursor_ == ' ') ++cursor_;
  return {};
}

// Makes a finished value where it goes: the result, the innermost open object's members (with
// the key read last) or its array's elements. A member's value, most often a string, is built in
// place rather than moved there.
template <typename Make>
void JsonTreeReader::add_value(Make&& make) {
  if (stacks_.open.empty()) {
    result_ = make();
  } else if (stacks_.open.back().is_object) {
    stacks_.members.emplace_back(stacks_.open.back().key, make);
  } else {
    stacks_.elements.push_back(make());
  }
}

std::expected<void, JsonFailure> JsonTreeReader::read_scalar(bool skip) {
  switch (*cursor_) {
    case '"': {
      ++cursor_;
      if (skip) return skip_json_string(cursor_, end_, stacks_.scratch);
      const auto text = view_json_string(cursor_, end_, stacks_.scratch);
      if (!text) return std::unexpected(text.error());
      add_value([&text] { return LocaleValue::string(std::string(*text)); });
      return {};
    }
    case 't':
      return read_literal("true", LocaleValue::boolean(true), skip);
    case 'f':
      return read_literal("false", LocaleValue::boolean(false), skip);
    case 'n':
      return read_literal("null", LocaleValue::null(), skip);
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
      // A skipped number is still read whole: one out of range fails the text all the same.
      auto number = read_json_number(cursor_, end_);
      if (!number) return std::unexpected(number.error());
      if (!skip) add_value([&number] { return std::move(*number); });
      return {};
    }
    default:
      return fail(JsonProblem::ExpectedValue, cursor_);
  }
}

// A misspelt literal is blamed on its first wrong byte; one cut short by the end of the text is
// an early end.
std::expected<void, JsonFailure> JsonTreeReader::read_literal(std::string_view word,
                                                              LocaleValue value, bool skip) {
  for (const char expected : word) {
    if (cursor_ == end_) return fail(JsonProblem::EofWhileValue, end_);
    if (*cursor_ != expected) return fail(JsonProblem::ExpectedValue, cursor_);
    ++cursor_;
  }
  if (!skip) add_value([&value] { return std::move(value); });
  return {};
}

// A skipped container built nothing; its children were only checked.
void JsonTreeReader::close_container() {
  if (!stacks_.open.back().place.wanted()) {
    stacks_.open.pop_back();
    return;
  }
  // Closed first: the value goes to the container that is innermost once this one is off.
  LocaleValue value = stacks_.open.back().is_object ? close_object() : close_array();
  add_value([&value] { return std::move(value); });
}

LocaleValue JsonTreeReader::close_array() {
  const auto first =
      stacks_.elements.begin() + static_cast<std::ptrdiff_t>(stacks_.open.back().first_child);
  LocaleArray items(std::make_move_iterator(first),
                    std::make_move_iterator(stacks_.elements.end()));
  stacks_.elements.erase(first, stacks_.elements.end());
  stacks_.open.pop_back();
  return LocaleValue::array(std::move(items));
}

// Members arrive in text order; the object wants them sorted by key bytes, and of equal keys the
// one given last. Sorting positions and moving each kept member once is much cheaper than
// sorting the members themselves (bench/cpp/reader_throughput).
LocaleValue JsonTreeReader::close_object() {
  const std::size_t first = stacks_.open.back().first_child;
  WaitingMember* const given = stacks_.members.data() + first;
  const auto count = static_cast<std::uint32_t>(stacks_.members.size() - first);
  const auto key_of = [this, given](std::uint32_t at) { return key_view(given[at].key); };
  std::vector<tree::KeyPrefix>& key_order = stacks_.key_order;
  key_order.clear();
  for (std::uint32_t at = 0; at < count; ++at)
    key_order.push_back(tree::key_prefix(key_of(at), at));
  tree::sort_by_key(key_order, key_of);
  LocaleObject object;
  std::vector<LocaleMember>& members = object.members();
  members.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    // Of equal keys, now next to each other, the last given stays.
    const tree::KeyPrefix& entry = key_order[i];
    const std::string_view key = key_of(entry.position);
    if (i + 1 < count && key_order[i + 1].prefix == entry.prefix &&
        key_of(key_order[i + 1].position) == key) {
      continue;
    }
    members.emplace_back(PlacedMember{key, given[entry.position].value});
  }
  stacks_.members.erase(stacks_.members.begin() + static_cast<std::ptrdiff_t>(first),
                        stacks_.members.end());
  stacks_.open.pop_back();
  return LocaleValue::object(std::move(object));
}

}  // namespace

namespace {

std::expected<LocaleValue, FormatError> read_json(std::string_view text,
                                                  std::optional<FillPlace> place,
                                                  KeyPositions* positions) {
  JsonTreeReader reader(text, place, positions);
  auto value = reader.read();
  if (!value) {
    return std::unexpected(
        FormatError(FormatError::Kind::Json, describe_json_failure(text, value.error())));
  }
  if (positions != nullptr) positions->resolve_offsets(text);
  return std::move(*value);
}

}  // namespace

std::expected<LocaleValue, FormatError> parse_json_text(std::string_view text) {
  return read_json(text, std::nullopt, nullptr);
}

std::expected<LocaleValue, FormatError> parse_json_text_to_fill(std::string_view text,
                                                                tree::FillPlace place) {
  return read_json(text, place, nullptr);
}

std::expected<LocaleValue, FormatError> parse_json_text_with_positions(
    std::string_view text, format::KeyPositions& positions) {
  return read_json(text, std::nullopt, &positions);
}

}  // namespace tarnevo::detail::json
