#include "tarnevo/json_writer.hpp"

#include "text/byte_scan.hpp"
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

// Writes a value that is not a container.
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
    case LocaleValue::Kind::Object:
      return;
  }
}

// A container being written, and the index of its next child.
struct OpenContainer {
  const LocaleValue* value;
  std::size_t next;
};

}  // namespace

// Depth-first with an explicit list of open containers instead of recursion: namespaces can
// make trees thousands of levels deep.
void write_json(const LocaleValue& value, ByteBuffer& out) {
  if (!value.is_array() && !value.is_object()) {
    write_leaf(value, out);
    return;
  }
  std::vector<OpenContainer> open;
  out.push_back(value.is_array() ? '[' : '{');
  open.push_back(OpenContainer{&value, 0});
  while (!open.empty()) {
    OpenContainer& top = open.back();
    const bool is_array = top.value->is_array();
    const std::size_t size =
        is_array ? top.value->as_array().size() : top.value->as_object().size();
    if (top.next == size) {
      out.push_back(is_array ? ']' : '}');
      open.pop_back();
      continue;
    }
    if (top.next != 0) out.push_back(',');
    const LocaleValue* child;
    if (is_array) {
      child = &top.value->as_array()[top.next];
    } else {
      const LocaleMember& member = top.value->as_object().members()[top.next];
      write_json_string(member.key, out);
      out.push_back(':');
      child = &member.value;
    }
    ++top.next;
    if (child->is_array() || child->is_object()) {
      out.push_back(child->is_array() ? '[' : '{');
      open.push_back(OpenContainer{child, 0});  // `top` is not used after this
    } else {
      write_leaf(*child, out);
    }
  }
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
