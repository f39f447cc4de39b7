// A light pass over TOML text that follows only its structure: headers, keys, brackets, strings
// and comments, never the values' contents. It serves two purposes:
//  - before parsing, to bound how deep the document nests (dotted keys and headers can nest
//    tables without limit, and both the parser and every consumer of the tree recurse);
//  - after a failed parse, to find the statement at the failure and the table it belongs to.
// It reads valid TOML exactly and anything else leniently, never failing and never reading out
// of bounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tarnevo::detail::toml {

// The deepest a TOML document may nest, counted as the parser could build it at worst (each
// header segment counted twice, since it may go through an array of tables). Far beyond any
// real locale file, and low enough that recursion over the tree stays cheap.
inline constexpr std::size_t kTomlMaxNestingDepth = 512;

struct TomlStatement {
  enum class Kind : std::uint8_t { Table, TableArray, KeyValue };

  Kind kind = Kind::KeyValue;
  std::size_t begin = 0;  // the "[" of a header, the first byte of a key-value's key
  std::size_t end = 0;    // one past a header's closing brackets, or past a key-value's value
  // Raw key segments (slices of the text, quotes and escapes as written) of the table that a
  // key-value lands in: the header above it, then the keys of the inline tables and arrays
  // around it. Empty for headers, which always start from the root.
  std::vector<std::string_view> table;
  std::vector<std::string_view> key;  // raw segments of the statement's own key
  std::size_t value_begin = 0;        // key-values only
};

// The offset of the first key segment or bracket that nests deeper than `max_depth`, if any.
std::optional<std::size_t> find_toml_nesting_excess(std::string_view text, std::size_t max_depth);

// The statements around `up_to`: the key-values that begin at or before it and end at or after
// it, and the last two headers that begin at or before it; in text order, a key-value before
// those inside its value. Expects a text whose nesting is within kTomlMaxNestingDepth (it stops
// at the excess otherwise).
std::vector<TomlStatement> scan_toml_statements(std::string_view text, std::size_t up_to);

}  // namespace tarnevo::detail::toml
