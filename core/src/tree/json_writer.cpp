#include "tarnevo/json_writer.hpp"

#include "text/byte_scan.hpp"
#include "tree/walk.hpp"
#include "tree/write_json.hpp"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tarnevo::detail::tree {
namespace {

// For each byte: 0 when it is written as it is, else the letter of its short escape, or 'u'
// for the six-character form.
constexpr std::array<char, 256> make_escape_table() {
  std::array<char, 256> table{};
  for (int byte = 0; byte < 0x20; ++byte) table[byte] = 'u';
  table['\b'] = 'b';
  table['\t'] = 't';
  table['\n'] = 'n';
  table['\f'] = 'f';
  table['\r'] = 'r';
  table['"'] = '"';
  table['\\'] = '\\';
  return table;
}
constexpr std::array<char, 256> kEscape = make_escape_table();

void write_unsigned(std::uint64_t value, ByteBuffer& out) {
  char* at = out.reserve_tail(20);
  out.commit(static_cast<std::size_t>(std::to_chars(at, at + 20, value).ptr - at));
}

void write_signed(std::int64_t value, ByteBuffer& out) {
  char* at = out.reserve_tail(20);
  out.commit(static_cast<std::size_t>(std::to_chars(at, at + 20, value).ptr - at));
}

// Writes a value that is not a filled container.
void write_leaf(const LocaleValue& value, ByteBuffer& out) {
  switch (value.kind()) {
    case LocaleValue::Kind::Null:
      out.append("null", 4);
      return;
    case LocaleValue::Kind::Bool:
      if (value.as_bool()) {
        out.append("true", 4);
      } else {
        out.append("false", 5);
      }
      return;
    case LocaleValue::Kind::Number: {
      const LocaleNumber& number = value.as_number();
      switch (number.repr()) {
        case LocaleNumber::Repr::Unsigned:
          write_unsigned(number.as_unsigned(), out);
          return;
        case LocaleNumber::Repr::Signed:
          write_signed(number.as_signed(), out);
          return;
        case LocaleNumber::Repr::Float:
          write_json_float(number.as_float(), out);
          return;
      }
      return;
    }
    case LocaleValue::Kind::String:
      write_json_string(value.as_string(), out);
      return;
    case LocaleValue::Kind::Array:
      out.append("[]", 2);  // only empty ones come here
      return;
    case LocaleValue::Kind::Object:
      out.append("{}", 2);
      return;
  }
}

// Brackets as the walk opens and closes containers, separators, keys and leaves as it meets
// children.
struct JsonVisitor {
  struct Link {};
  ByteBuffer& out;

  void open(const LocaleValue& container, Link&) {
    out.push_back(container.is_array() ? '[' : '{');
  }

  Step child(const LocaleValue&, Link&, std::size_t index, const std::string* key,
             const LocaleValue& child, Link&) {
    if (index != 0) out.push_back(',');
    if (key != nullptr) {
      write_json_string(*key, out);
      out.push_back(':');
    }
    if (is_filled_container(child)) return Step::Descend;
    write_leaf(child, out);
    return Step::Skip;
  }

  void close(const LocaleValue& container, Link&) {
    out.push_back(container.is_array() ? ']' : '}');
  }
};

}  // namespace

void write_json(const LocaleValue& value, ByteBuffer& out) {
  if (!is_filled_container(value)) {
    write_leaf(value, out);
    return;
  }
  JsonVisitor visitor{out};
  walk(value, JsonVisitor::Link{}, visitor);
}

void write_json_string(std::string_view text, ByteBuffer& out) {
  const char* p = text.data();
  const char* const end = p + text.size();
  // Room for the quotes and the text as it is is made at once; each escape asks for its own.
  char* at = out.reserve_tail(text.size() + 2);
  char* start = at;
  *at++ = '"';
  for (;;) {
    // Plain bytes are copied in runs; most locale text needs no escape at all.
    const char* const stop = text::find_quote_backslash_or_control(p, end);
    std::memcpy(at, p, static_cast<std::size_t>(stop - p));
    at += stop - p;
    if (stop == end) break;
    // The escape turns one byte into at most six; the rest of the text and the closing
    // quotation mark still need their room after it.
    out.commit(static_cast<std::size_t>(at - start));
    at = start = out.reserve_tail(6 + static_cast<std::size_t>(end - stop));
    const auto byte = static_cast<unsigned char>(*stop);
    const char escape = kEscape[byte];
    *at++ = '\\';
    if (escape == 'u') {
      static constexpr char kHex[] = "0123456789abcdef";
      const char digits[5] = {'u', '0', '0', kHex[byte >> 4], kHex[byte & 0xF]};
      std::memcpy(at, digits, sizeof digits);
      at += sizeof digits;
    } else {
      *at++ = escape;
    }
    p = stop + 1;
  }
  *at++ = '"';
  out.commit(static_cast<std::size_t>(at - start));
}

}  // namespace tarnevo::detail::tree

namespace tarnevo {

std::string to_json(const LocaleValue& value) {
  detail::tree::ByteBuffer buffer;
  detail::tree::write_json(value, buffer);
  return std::string(buffer.view());
}

}  // namespace tarnevo
