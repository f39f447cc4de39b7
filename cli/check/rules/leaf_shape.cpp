#include "check/rules/leaf_shape.hpp"

namespace tarnevo::cli {

std::string shape_of(const LocaleValue& leaf) {
  switch (leaf.kind()) {
    case LocaleValue::Kind::Bool:
      return "boolean";
    case LocaleValue::Kind::Number:
      return "number";
    case LocaleValue::Kind::String:
      return "string";
    case LocaleValue::Kind::Array:
      return "array of " + std::to_string(leaf.as_array().size());
    case LocaleValue::Kind::Object:
      return "date-time";
    case LocaleValue::Kind::Null:
      break;
  }
  return "null";
}

bool same_shape(const LocaleValue& a, const LocaleValue& b) noexcept {
  if (a.kind() != b.kind()) return false;
  return !a.is_array() || a.as_array().size() == b.as_array().size();
}

bool is_blank(std::string_view text) noexcept {
  // White_Space outside ASCII, as UTF-8: U+0085, U+00A0, U+1680, U+2000..U+200A, U+2028,
  // U+2029, U+202F, U+205F, U+3000. Matching the bytes needs no decoding.
  std::size_t i = 0;
  while (i < text.size()) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == ' ' || (byte >= 0x09 && byte <= 0x0D)) {
      ++i;
      continue;
    }
    if (byte < 0x80) return false;
    const std::string_view rest = text.substr(i);
    if (rest.starts_with("\xC2\x85") || rest.starts_with("\xC2\xA0")) {
      i += 2;
      continue;
    }
    if (rest.size() < 3) return false;
    const auto second = static_cast<unsigned char>(rest[1]);
    const auto third = static_cast<unsigned char>(rest[2]);
    const bool space = (byte == 0xE1 && second == 0x9A && third == 0x80) ||
                       (byte == 0xE2 && second == 0x80 &&
                        (third <= 0x8A || third == 0xA8 || third == 0xA9 || third == 0xAF)) ||
                       (byte == 0xE2 && second == 0x81 && third == 0x9F) ||
                       (byte == 0xE3 && second == 0x80 && third == 0x80);
    if (!space) return false;
    i += 3;
  }
  return true;
}

}  // namespace tarnevo::cli
