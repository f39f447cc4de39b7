// An indented form of the JSON text, for reading by people.
#pragma once

#include "tarnevo/value.hpp"
#include "tree/write_json.hpp"

namespace tarnevo::cli {

// Appends `value` as JSON with two spaces of indentation per level, one member or element per
// line and ": " after each key; empty objects and arrays stay {} and []. Strings, keys and
// numbers are written by the compact writer, so the text parses to exactly the same tree as
// detail::tree::write_json's and differs from it only in whitespace. No line feed after the last
// line.
void write_pretty_json(const LocaleValue& value, detail::tree::ByteBuffer& out);

}  // namespace tarnevo::cli
