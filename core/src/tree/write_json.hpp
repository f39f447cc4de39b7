// The JSON writer at the byte level: compact text appended to a ByteBuffer, which the C
// interface hands out as it is and the command's pretty writer builds on.
#pragma once

#include <string_view>

#include "tarnevo/value.hpp"
#include "tree/byte_buffer.hpp"

namespace tarnevo::detail::tree {

// Appends the compact JSON text of `value`: no whitespace, object members in key order.
void write_json(const LocaleValue& value, ByteBuffer& out);

// Appends `text` as one JSON string: quotes, the short escapes for \b \t \n \f \r \" \\, \u00xx
// for the other bytes below 0x20, every other byte (UTF-8 included) as it is.
void write_json_string(std::string_view text, ByteBuffer& out);

// Appends a float by the writer's number rules: shortest round-trip digits, positional for
// decimal exponents -5..15 (always with a fraction, 1.0), scientific with a signed exponent
// otherwise (1e+16, 1.5e-7); non-finite values as null.
void write_json_float(double value, ByteBuffer& out);

}  // namespace tarnevo::detail::tree
