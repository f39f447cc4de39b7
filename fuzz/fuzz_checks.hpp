// What every fuzz target checks beyond "no crash": a tree that a reader hands out keeps the
// tree's invariants, and a failure carries a message that can be shown. A broken promise aborts,
// which libFuzzer records like a crash.
#pragma once

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <utility>
#include <vector>

#include "format/key_positions.hpp"
#include "json/reader.hpp"
#include "tarnevo/format.hpp"
#include "tarnevo/value.hpp"
#include "text/utf8.hpp"
#include "toml/datetime.hpp"
#include "toml/reader.hpp"
#include "yaml/reader.hpp"

namespace tarnevo::fuzz {

[[noreturn]] inline void broken(const char* what, std::string_view detail = {}) {
  std::fprintf(stderr, "broken promise: %s %.*s\n", what, static_cast<int>(detail.size()),
               detail.data());
  std::abort();
}

inline void expect(bool holds, const char* what, std::string_view detail = {}) {
  if (!holds) broken(what, detail);
}

// Keys unique and in ascending byte order, text valid UTF-8, floats finite, the signed form
// only for negative integers. Walked with an explicit stack: a tree may be deeper than a
// reader's own nesting limit once namespaces wrap it.
inline void check_tree(const LocaleValue& root) {
  std::vector<const LocaleValue*> pending{&root};
  while (!pending.empty()) {
    const LocaleValue& value = *pending.back();
    pending.pop_back();
    switch (value.kind()) {
      case LocaleValue::Kind::Null:
      case LocaleValue::Kind::Bool:
        break;
      case LocaleValue::Kind::Number: {
        const LocaleNumber& number = value.as_number();
        if (number.repr() == LocaleNumber::Repr::Float) {
          expect(std::isfinite(number.as_float()), "non-finite float in a tree");
        } else if (number.repr() == LocaleNumber::Repr::Signed) {
          expect(number.as_signed() < 0, "signed form for a non-negative integer");
        }
        break;
      }
      case LocaleValue::Kind::String:
        expect(detail::text::is_valid_utf8(value.as_string()), "string is not UTF-8");
        break;
      case LocaleValue::Kind::Array:
        for (const LocaleValue& item : value.as_array()) pending.push_back(&item);
        break;
      case LocaleValue::Kind::Object: {
        const std::vector<LocaleMember>& members = value.as_object().members();
        for (std::size_t i = 0; i < members.size(); ++i) {
          expect(detail::text::is_valid_utf8(members[i].key), "key is not UTF-8");
          if (i > 0) {
            expect(key_less(members[i - 1].key, members[i].key), "keys out of order or repeated",
                   members[i].key);
          }
          pending.push_back(&members[i].value);
        }
        break;
      }
    }
  }
}

// A reader's failure: the variant of its format and a message that is valid text.
inline void check_failure(const FormatError& error, FormatError::Kind kind) {
  expect(error.kind() == kind, "failure of the wrong kind", error.message());
  expect(!error.detail().empty(), "empty failure message");
  expect(detail::text::is_valid_utf8(error.message()), "failure message is not UTF-8");
}

// Reading with key positions gives the same outcome, and places every member that is not
// inside an array (members of objects inside arrays are not looked at).
inline void check_positions(std::string_view text, FileFormat format,
                            const std::expected<LocaleValue, FormatError>& plain) {
  using detail::format::KeyPositions;
  KeyPositions positions;
  const auto placed =
      format == FileFormat::Json   ? detail::json::parse_json_text_with_positions(text, positions)
      : format == FileFormat::Yaml ? detail::yaml::parse_yaml_text_with_positions(text, positions)
                                   : detail::toml::parse_toml_text_with_positions(text, positions);
  expect(placed.has_value() == plain.has_value(), "positions change the outcome");
  if (!placed) {
    expect(placed.error().message() == plain.error().message(), "positions change the message");
    return;
  }
  expect(*placed == *plain, "positions change the tree");
  std::vector<std::pair<const LocaleValue*, KeyPositions::Node>> pending{
      {&*placed, KeyPositions::kRoot}};
  while (!pending.empty()) {
    const auto [value, node] = pending.back();
    pending.pop_back();
    if (!value->is_object()) continue;
    for (const LocaleMember& member : value->as_object().members()) {
      // A TOML date is an object of one member that no key of the text names.
      if (member.key == detail::toml::kTomlDatetimeMember) continue;
      const KeyPositions::Node child = positions.child(node, member.key);
      expect(positions.position(child).has_value(), "member without a position", member.key);
      pending.emplace_back(&member.value, child);
    }
  }
}

// One reader on one input: the outcome is a sound tree or a sound failure.
inline void check_reader(const std::uint8_t* data, std::size_t size, FileFormat format,
                         FormatError::Kind kind) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto tree = parse_locale_text(text, format);
  if (tree) {
    check_tree(*tree);
    if (format == FileFormat::Toml) expect(tree->is_object(), "TOML root is not an object");
  } else {
    check_failure(tree.error(), kind);
  }
  check_positions(text, format, tree);
}

// The loader checks UTF-8 before any reader runs, so the readers only ever see valid text; other
// inputs are not worth keeping in a reader's corpus.
inline bool is_reader_input(const std::uint8_t* data, std::size_t size) {
  return detail::text::is_valid_utf8(std::string_view(reinterpret_cast<const char*>(data), size));
}

}  // namespace tarnevo::fuzz
