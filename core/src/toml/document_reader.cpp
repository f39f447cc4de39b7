// The statements of a TOML document one by one: headers switch the table that key-values fill,
// key-values reserve their key and read their value. A value's arrays and inline tables open on
// an explicit stack (the limits, not the machine stack, bound how deep they go); array elements
// wait on a shared stack until their array closes, inline tables are tables of the TableTree
// until theirs does.
#include "toml/document_reader.hpp"

#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "text/byte_scan.hpp"
#include "toml/cursor.hpp"
#include "toml/datetime.hpp"
#include "toml/limits.hpp"
#include "toml/number.hpp"
#include "toml/string.hpp"
#include "toml/table_tree.hpp"

namespace tarnevo::detail::toml {
namespace {

using Slot = TableTree::Slot;
using TableId = TableTree::TableId;
using format::KeyPositions;

// What a bare value (boolean, number, date, time) may be made of.
constexpr std::array<bool, 256> kBareValueBytes = [] {
  std::array<bool, 256> bytes = kBareKeyBytes;
  bytes['+'] = bytes['.'] = bytes[':'] = true;
  return bytes;
}();

bool is_bare_value_byte(char c) noexcept {
  return kBareValueBytes[static_cast<unsigned char>(c)];
}

bool is_digit(char c) noexcept {
  return static_cast<unsigned char>(c - '0') < 10;
}

// Moves `value` into `target`, which holds null: no assignment's detour through a temporary.
void put(LocaleValue& target, LocaleValue&& value) noexcept {
  std::destroy_at(&target);
  std::construct_at(&target, std::move(value));
}

LocaleValue datetime_value(const TomlDatetimeParts& parts) {
  std::vector<LocaleMember> members;
  members.push_back(LocaleMember{std::string(kTomlDatetimeMember),
                                 LocaleValue::string(format_toml_datetime(parts))});
  return LocaleValue::object(LocaleObject::from_members(std::move(members)));
}

class DocumentReader {
 public:
  // About one member per line: the arena of members is sized once.
  DocumentReader(std::string_view text, std::optional<tree::FillPlace> filling,
                 KeyPositions* positions)
      : cursor_(text),
        tables_(text, text::count_byte(text.data(), text.data() + text.size(), '\n') + 1, filling),
        positions_(positions) {}

  std::expected<LocaleValue, TomlFailure> read();

 private:
  // An array or an inline table being read.
  struct Frame {
    bool is_array;
    // Levels below the root: of the array itself; for an inline table, of its table.
    std::size_t level;
    // An array: where its elements start on `elements_`, and the member it (or the array
    // holding it) will fill.
    std::size_t first_element;
    Slot owner;
    // An inline table: the table, the section its dotted keys belong to, and the member its
    // current key-value fills.
    TableId table;
    std::uint32_t section;
    Slot slot;
    // With positions: the inline table's key path, and that of its current key-value.
    KeyPositions::Node node = KeyPositions::kNoPath;
    KeyPositions::Node slot_node = KeyPositions::kNoPath;
  };

  std::expected<void, TomlFailure> read_header();
  std::expected<void, TomlFailure> read_key_value();
  std::expected<void, TomlFailure> end_statement(std::string_view scope);
  std::expected<void, TomlFailure> read_key();
  std::expected<Slot, TomlFailure> reserve_key(TableId table, std::uint32_t section);
  std::expected<void, TomlFailure> read_inline_key(Frame& frame);
  std::expected<void, TomlFailure> read_value(Slot slot);
  LocaleValue& destination(Slot slot);
  std::expected<void, TomlFailure> read_scalar(LocaleValue& out, std::string_view scope,
                                               std::string_view expected);
  std::expected<void, TomlFailure> read_member_scalar(Slot member, std::string_view scope,
                                                      std::string_view expected);
  std::expected<void, TomlFailure> read_bare_value(LocaleValue& out, std::string_view scope,
                                                   std::string_view expected);
  std::expected<void, TomlFailure> skip_array_space();
  LocaleValue close_array();
  Failed fail_conflict(const TableTree::Conflict& conflict, const char* header_begin,
                       const char* header_end);
  std::expected<void, TomlFailure> read_value_alone();
  KeyPositions::Node record_key(KeyPositions::Node base);

  Cursor cursor_;
  TableTree tables_;
  // The table that key-values fill, and the section they belong to: one per header, and one
  // per inline table (which the dotted keys of its own key-values may extend).
  TableId section_table_ = TableTree::kRoot;
  std::uint32_t section_ = 0;
  std::uint32_t sections_ = 1;

  std::vector<KeySegment> key_;
  // Segments decoded from escapes, which key_buffer_ holds: (segment, where in the buffer).
  std::vector<std::pair<std::size_t, StringContent>> decoded_segments_;
  std::string key_buffer_;
  std::string string_buffer_;

  std::vector<Frame> frames_;
  std::size_t open_arrays_ = 0;
  std::vector<LocaleValue> elements_;
  // A reader made by read_value_alone, which reports a key set twice inside the value itself.
  bool alone_ = false;

  // Where keys are written, when the caller asks (the command); null for the loader. With it:
  // the key path of the section's table, and that of the key-value being read.
  KeyPositions* const positions_;
  KeyPositions::Node section_node_ = KeyPositions::kRoot;
  KeyPositions::Node value_node_ = KeyPositions::kNoPath;
};

std::expected<LocaleValue, TomlFailure> DocumentReader::read() {
  for (;;) {
    cursor_.skip_blanks();
    if (cursor_.done()) break;
    const char c = *cursor_.at;
    if (c == '\n') {  // most lines end right after their statement, and some are empty
      ++cursor_.at;
      continue;
    }
    std::expected<void, TomlFailure> statement;
    std::string_view scope;
    if (c == '[') {
      statement = read_header();
      scope = "table header";
    } else if (is_bare_key_byte(c) || c == '"' || c == '\'') {
      statement = read_key_value();
      scope = "key-value pair";
    } else if (c == '#' || c == '\r') {
      scope = c == '#' ? "comment" : "document";
    } else {
      return fail_expecting(cursor_, cursor_.at, "key-value pair", "a key");
    }
    if (!statement) return std::unexpected(std::move(statement.error()));
    if (cursor_.sees('\n')) continue;  // the line break, left for the next turn
    if (auto end = end_statement(scope); !end) return std::unexpected(std::move(end.error()));
  }
  return tables_.finish();
}

// After a statement: blanks, an optional comment, and a line break or the end of the text.
std::expected<void, TomlFailure> DocumentReader::end_statement(std::string_view scope) {
  cursor_.skip_blanks();
  if (cursor_.sees('#')) {
    if (auto comment = skip_comment(cursor_); !comment) return comment;
  }
  if (cursor_.done() || cursor_.skip_line_break()) return {};
  if (cursor_.sees('\r')) {
    return fail(cursor_, cursor_.at, cursor_.at + 1,
                "Error while parsing " + std::string(scope) +
                    ": a carriage return must be followed by a line feed");
  }
  return fail_expecting(cursor_, cursor_.at, scope, "a comment or whitespace");
}

// Segments separated by '.', each a bare key or a single-line quoted one, blanks around the dots.
std::expected<void, TomlFailure> DocumentReader::read_key() {
  key_.clear();
  key_buffer_.clear();
  decoded_segments_.clear();
  for (;;) {
    const char* const begin = cursor_.at;
    std::string_view name;
    if (begin != cursor_.end && is_bare_key_byte(*begin)) {
      cursor_.at = text::skip_toml_bare_key(begin + 1, cursor_.end);
      name = std::string_view(begin, static_cast<std::size_t>(cursor_.at - begin));
    } else if (cursor_.sees('"') || cursor_.sees('\'')) {
      auto quoted = read_string(cursor_, key_buffer_, false);
      if (!quoted) return std::unexpected(std::move(quoted.error()));
      if (quoted->decoded) decoded_segments_.emplace_back(key_.size(), *quoted);
      name = quoted->in_text;
    } else {
      return fail_expecting(cursor_, begin, "key", "a bare or quoted key");
    }
    // No table is deeper than this many keys, whatever the key is added to.
    if (key_.size() == kMaxNestingDepth) {
      return fail(cursor_, begin, cursor_.at,
                  "exceeded maximum nesting depth of " + std::to_string(kMaxNestingDepth));
    }
    key_.push_back(KeySegment{name, begin, cursor_.at});
    cursor_.skip_blanks();
    if (!cursor_.sees('.')) break;
    ++cursor_.at;
    cursor_.skip_blanks();
  }
  // Decoded segments live in key_buffer_, which may have moved while later ones were added.
  for (const auto& [segment, content] : decoded_segments_) {
    key_[segment].name = content.view(key_buffer_);
  }
  return {};
}

Failed DocumentReader::fail_conflict(const TableTree::Conflict& conflict, const char* header_begin,
                                     const char* header_end) {
  // A table defined twice is blamed on its whole header, any other conflict on its key.
  if (header_begin != nullptr && conflict.kind == TableTree::Conflict::Kind::Duplicate) {
    return fail(cursor_, header_begin, header_end, conflict.description);
  }
  const KeySegment& segment = key_[conflict.segment];
  return fail(cursor_, segment.begin, segment.end, conflict.description);
}

std::expected<void, TomlFailure> DocumentReader::read_header() {
  const char* const begin = cursor_.at;
  const bool array_of_tables = cursor_.end - begin >= 2 && begin[1] == '[';
  const std::string_view scope = array_of_tables ? "array-of-tables header" : "table header";
  cursor_.at += array_of_tables ? 2 : 1;
  cursor_.skip_blanks();
  if (auto key = read_key(); !key) return key;
  cursor_.skip_blanks();
  if (!cursor_.sees(']')) return fail_expecting(cursor_, cursor_.at, scope, "']'");
  ++cursor_.at;
  if (array_of_tables) {
    if (!cursor_.sees(']')) return fail_expecting(cursor_, cursor_.at, scope, "a second ']'");
    ++cursor_.at;
  }
  auto table = tables_.open_header(key_, array_of_tables);
  if (!table) return fail_conflict(table.error(), begin, cursor_.at);
  if (positions_ != nullptr) {
    section_node_ = record_key(KeyPositions::kRoot);
    // The key-values below [[key]] fill its newest element, which has no key path.
    if (array_of_tables) {
      positions_->mark_array(section_node_);
      section_node_ = KeyPositions::kNoPath;
    }
  }
  section_table_ = *table;
  section_ = sections_++;
  return {};
}

std::expected<Slot, TomlFailure> DocumentReader::reserve_key(TableId table, std::uint32_t section) {
  cursor_.skip_blanks();
  if (!cursor_.sees('=')) {
    return fail_expecting(cursor_, cursor_.at, "key-value pair", "'=' after the key");
  }
  ++cursor_.at;
  cursor_.skip_blanks();
  auto slot = tables_.reserve(table, key_, section);
  if (!slot) {
    // A statement's value is read before its key is entered, as other TOML readers do: a
    // malformed value is reported at its own place, the key set twice only after a good value.
    if (auto value = read_value_alone(); !value) return std::unexpected(std::move(value.error()));
    return fail_conflict(slot.error(), nullptr, nullptr);
  }
  return *slot;
}

// Reads the value at the cursor into a document of its own, only for its failure. Only on the
// way to a duplicate-key error, so the one-pass reading of good text stays as it is.
std::expected<void, TomlFailure> DocumentReader::read_value_alone() {
  if (alone_) return {};
  DocumentReader alone(cursor_.text(), std::nullopt, nullptr);
  alone.alone_ = true;
  alone.cursor_.at = cursor_.at;
  auto slot = alone.tables_.reserve(TableTree::kRoot, key_, 0);
  if (!slot) return {};
  return alone.read_value(*slot);
}

// Each segment of the key just read, under `base`: a table made by an earlier key keeps where
// that key wrote it. Returns the key path of the last segment.
KeyPositions::Node DocumentReader::record_key(KeyPositions::Node base) {
  for (const KeySegment& segment : key_) {
    base = positions_->add_at_offset(base, segment.name, cursor_.offset(segment.begin),
                                     KeyPositions::Repeat::KeepFirst);
  }
  return base;
}

std::expected<void, TomlFailure> DocumentReader::read_key_value() {
  if (auto key = read_key(); !key) return key;
  auto slot = reserve_key(section_table_, section_);
  if (!slot) return std::unexpected(std::move(slot.error()));
  if (positions_ != nullptr) value_node_ = record_key(section_node_);
  return read_value(*slot);
}

// The next key-value of an inline table, up to its value.
std::expected<void, TomlFailure> DocumentReader::read_inline_key(Frame& frame) {
  if (auto key = read_key(); !key) return key;
  auto slot = reserve_key(frame.table, frame.section);
  if (!slot) return std::unexpected(std::move(slot.error()));
  frame.slot = *slot;
  if (positions_ != nullptr) frame.slot_node = record_key(frame.node);
  return {};
}

// Blanks, line breaks and comments, which may come anywhere between an array's brackets.
std::expected<void, TomlFailure> DocumentReader::skip_array_space() {
  for (;;) {
    cursor_.skip_blanks();
    if (cursor_.skip_line_break()) continue;
    if (!cursor_.sees('#')) return {};
    if (auto comment = skip_comment(cursor_); !comment) return comment;
  }
}

LocaleValue DocumentReader::close_array() {
  const auto first = elements_.begin() + static_cast<std::ptrdiff_t>(frames_.back().first_element);
  LocaleArray items(std::make_move_iterator(first), std::make_move_iterator(elements_.end()));
  elements_.erase(first, elements_.end());
  frames_.pop_back();
  --open_arrays_;
  return LocaleValue::array(std::move(items));
}

// Where the value about to be read goes: the innermost open array, the member that the
// innermost inline table's key-value reserved, or `slot`. It holds null until the value is put.
inline LocaleValue& DocumentReader::destination(Slot slot) {
  if (frames_.empty()) return tables_.value(slot);
  Frame& frame = frames_.back();
  return frame.is_array ? elements_.emplace_back() : tables_.value(frame.slot);
}

// Reads the value at the cursor into `slot`. Opening an array or an inline table pushes a frame
// and goes on with its first element or key-value; a value put where it goes may end what holds
// it, which is put in turn.
std::expected<void, TomlFailure> DocumentReader::read_value(Slot slot) {
  for (;;) {
    const Frame* const top = frames_.empty() ? nullptr : &frames_.back();
    const char* const start = cursor_.at;
    if (cursor_.sees('[') || cursor_.sees('{')) {
      const Slot owner = top == nullptr ? slot : top->is_array ? top->owner : top->slot;
      const std::size_t level =
          top != nullptr && top->is_array ? top->level + 1 : tables_.depth(owner.table) + 1;
      if (*start == '[') {
        if (open_arrays_ == kMaxNestedArrays) {
          return fail(cursor_, start, start + 1,
                      "Error while parsing value: exceeded maximum nested value depth of " +
                          std::to_string(kMaxNestedArrays));
        }
        if (level > kMaxNestingDepth) {
          return fail(cursor_, start, start + 1,
                      "exceeded maximum nesting depth of " + std::to_string(kMaxNestingDepth));
        }
        ++cursor_.at;
        ++open_arrays_;
        frames_.push_back(Frame{true, level, elements_.size(), owner, 0, 0, {}});
        if (auto space = skip_array_space(); !space) return space;
        if (!cursor_.sees(']')) continue;
        ++cursor_.at;
        LocaleValue array = close_array();
        put(destination(slot), std::move(array));
      } else {
        auto table = tables_.open_inline(owner, level, top != nullptr && top->is_array);
        if (!table) return fail(cursor_, start, start + 1, std::move(table.error()));
        // The key path of the member this inline table is the value of; none in an array.
        const KeyPositions::Node node = top == nullptr  ? value_node_
                                        : top->is_array ? KeyPositions::kNoPath
                                                        : top->slot_node;
        frames_.push_back(Frame{false, level, 0, owner, *table, sections_++, {}, node});
        ++cursor_.at;
        cursor_.skip_blanks();
        if (!cursor_.sees('}')) {
          if (auto key = read_inline_key(frames_.back()); !key) return key;
          continue;
        }
        ++cursor_.at;
        LocaleValue inline_table = tables_.close_inline(*table);
        frames_.pop_back();
        put(destination(slot), std::move(inline_table));
      }
    } else {
      auto scalar = top == nullptr ? read_member_scalar(slot, "key-value pair", "value")
                    : !top->is_array
                        ? read_member_scalar(top->slot, "key-value pair", "value")
                        : read_scalar(elements_.emplace_back(), "array", "value or closing ']'");
      if (!scalar) return scalar;
    }

    // After a value: the next element or key-value of what holds it, or its end.
    for (;;) {
      if (frames_.empty()) return {};
      Frame& frame = frames_.back();
      if (frame.is_array) {
        if (auto space = skip_array_space(); !space) return space;
        if (cursor_.sees(',')) {
          ++cursor_.at;
          if (auto space = skip_array_space(); !space) return space;
          if (!cursor_.sees(']')) break;
        } else if (!cursor_.sees(']')) {
          return fail_expecting(cursor_, cursor_.at, "array", "comma or closing ']'");
        }
        ++cursor_.at;
        LocaleValue array = close_array();
        put(destination(slot), std::move(array));
        continue;
      }
      cursor_.skip_blanks();
      if (cursor_.sees(',')) {
        ++cursor_.at;
        cursor_.skip_blanks();
        if (auto key = read_inline_key(frame); !key) return key;
        break;
      }
      if (!cursor_.sees('}')) {
        return fail_expecting(cursor_, cursor_.at, "inline table", "comma or closing '}'");
      }
      ++cursor_.at;
      LocaleValue inline_table = tables_.close_inline(frame.table);
      frames_.pop_back();
      put(destination(slot), std::move(inline_table));
    }
  }
}

// A scalar, put in `out` (an array's element).
std::expected<void, TomlFailure> DocumentReader::read_scalar(LocaleValue& out,
                                                             std::string_view scope,
                                                             std::string_view expected) {
  if (!cursor_.sees('"') && !cursor_.sees('\'')) return read_bare_value(out, scope, expected);
  string_buffer_.clear();
  auto content = read_string(cursor_, string_buffer_, true);
  if (!content) return std::unexpected(std::move(content.error()));
  // Made in place: no detour through temporaries (strings are most values).
  std::destroy_at(&out);
  ::new (static_cast<void*>(&out))
      LocaleValue(LocaleValue::string(std::string(content->view(string_buffer_))));
  return {};
}

// A scalar that a table member holds. A plain string (no escape or line break to decode) is
// handed over as a slice of the text: the tree makes the string when it builds the member's
// table, in place, and not at all for a member that it leaves out (one that only fills).
std::expected<void, TomlFailure> DocumentReader::read_member_scalar(Slot member,
                                                                    std::string_view scope,
                                                                    std::string_view expected) {
  if (!cursor_.sees('"') && !cursor_.sees('\'')) {
    return read_bare_value(tables_.value(member), scope, expected);
  }
  string_buffer_.clear();
  auto content = read_string(cursor_, string_buffer_, true);
  if (!content) return std::unexpected(std::move(content.error()));
  if (content->decoded) {
    put(tables_.value(member), LocaleValue::string(std::string(content->view(string_buffer_))));
  } else {
    tables_.set_text(member, content->in_text);
  }
  return {};
}

// A boolean, number, date or time: the run of characters such values are made of (a date and
// a time separated by a space count as one), then what that text means.
std::expected<void, TomlFailure> DocumentReader::read_bare_value(LocaleValue& out,
                                                                 std::string_view scope,
                                                                 std::string_view expected) {
  const char* const start = cursor_.at;
  const char* p = start;
  while (p != cursor_.end && is_bare_value_byte(*p)) ++p;
  if (p == start) return fail_expecting(cursor_, start, scope, expected);
  if (p - start == 10 && cursor_.end - p >= 4 && p[0] == ' ' && is_digit(p[1]) && is_digit(p[2]) &&
      p[3] == ':' && looks_like_datetime({start, 10})) {
    p += 1;
    while (p != cursor_.end && is_bare_value_byte(*p)) ++p;
  }
  cursor_.at = p;
  const std::string_view token(start, static_cast<std::size_t>(p - start));

  std::expected<LocaleValue, std::string> value;
  if (token == "true" || token == "false") {
    value = LocaleValue::boolean(token == "true");
  } else if (looks_like_datetime(token)) {
    auto parts = parse_toml_datetime(token);
    if (parts) {
      value = datetime_value(*parts);
    } else {
      value = std::unexpected(std::move(parts.error()));
    }
  } else if (is_digit(token[0]) || token[0] == '+' || token[0] == '-' || token == "inf" ||
             token == "nan") {
    value = parse_toml_number(token);
  } else {
    value = std::unexpected("Error while parsing value: could not determine value type");
  }
  if (!value) return fail(cursor_, start, p, std::move(value.error()));
  put(out, std::move(*value));
  return {};
}

}  // namespace

std::expected<LocaleValue, TomlFailure> read_toml_document(std::string_view text,
                                                           std::optional<tree::FillPlace> filling,
                                                           KeyPositions* positions) {
  return DocumentReader(text, filling, positions).read();
}

}  // namespace tarnevo::detail::toml
