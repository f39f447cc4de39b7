#include "yaml/scalar.hpp"

#include <string_view>
#include <utility>

#include "yaml/number.hpp"

namespace tarnevo::detail::yaml {

namespace {

constexpr std::string_view kStandardPrefix = "tag:yaml.org,2002:";
constexpr std::string_view kOutOfRange = "JSON number out of range";

bool spells_null(std::string_view text) noexcept {
  return text.empty() || text == "~" || text == "null" || text == "Null" || text == "NULL";
}

// 1 for true, 0 for false, -1 for neither.
int spells_bool(std::string_view text) noexcept {
  if (text == "true" || text == "True" || text == "TRUE") return 1;
  if (text == "false" || text == "False" || text == "FALSE") return 0;
  return -1;
}

TypedScalar from_integer(const IntegerScan& scan) {
  switch (scan.kind) {
    case IntegerScan::Kind::Unsigned:
      return LocaleValue::from_unsigned(scan.unsigned_value);
    case IntegerScan::Kind::Signed:
      return LocaleValue::from_signed(scan.signed_value);
    default:
      return std::unexpected(std::string(kOutOfRange));
  }
}

std::string invalid_value(std::string_view text, std::string_view expected) {
  std::string message("invalid value: string \"");
  message.append(text).append("\", expected ").append(expected);
  return message;
}

// Integers first, then floats (one scan decides which); anything else, or a float beyond the
// finite range, is text.
TypedScalar type_number_or_text(std::string_view text) {
  const PlainNumber number = scan_plain_number(text);
  switch (number.kind) {
    case PlainNumber::Kind::Integer:
      return from_integer(number.integer);
    case PlainNumber::Kind::Float:
      if (number.real.kind == FloatScan::Kind::Special) return LocaleValue::null();
      return LocaleValue::from_float(number.real.value);
    case PlainNumber::Kind::NotNumber:
      break;
  }
  return std::nullopt;
}

}  // namespace

Tag classify_tag(const char* tag) noexcept {
  if (tag == nullptr) return Tag::None;
  const std::string_view text(tag);
  if (text.starts_with('!')) return text.starts_with("!!") ? Tag::Other : Tag::Local;
  if (!text.starts_with(kStandardPrefix)) return Tag::Other;
  const std::string_view name = text.substr(kStandardPrefix.size());
  if (name == "null") return Tag::Null;
  if (name == "bool") return Tag::Bool;
  if (name == "int") return Tag::Int;
  if (name == "float") return Tag::Float;
  return Tag::Other;
}

TypedScalar type_plain(std::string_view text) {
  // Most locale scalars are words: one look at the first byte settles them.
  if (text.empty()) return LocaleValue::null();
  switch (text[0]) {
    case '~':
    case 'n':
    case 'N':
      if (spells_null(text)) return LocaleValue::null();
      break;
    case 't':
    case 'T':
    case 'f':
    case 'F':
      if (const int b = spells_bool(text); b >= 0) return LocaleValue::boolean(b == 1);
      break;
    case '0':
    case '1':
    case '2':
    case '3':
    case '4':
    case '5':
    case '6':
    case '7':
    case '8':
    case '9':
    case '+':
    case '-':
    case '.':
      return type_number_or_text(text);
    default:
      break;
  }
  return std::nullopt;
}

TypedScalar type_tagged(Tag tag, std::string_view text) {
  switch (tag) {
    case Tag::Null:
      if (spells_null(text)) return LocaleValue::null();
      return std::unexpected(invalid_value(text, "null"));
    case Tag::Bool:
      if (const int b = spells_bool(text); b >= 0) return LocaleValue::boolean(b == 1);
      return std::unexpected(invalid_value(text, "a boolean"));
    case Tag::Int: {
      const IntegerScan integer = scan_integer(text);
      if (integer.kind == IntegerScan::Kind::NotInteger ||
          integer.kind == IntegerScan::Kind::LeadingZero) {
        return std::unexpected(invalid_value(text, "an integer"));
      }
      return from_integer(integer);
    }
    case Tag::Float: {
      const FloatScan real = scan_float(text);
      if (real.kind == FloatScan::Kind::Special) return LocaleValue::null();
      if (real.kind == FloatScan::Kind::Finite) return LocaleValue::from_float(real.value);
      return std::unexpected(invalid_value(text, "a float"));
    }
    case Tag::None:
    case Tag::Other:
    case Tag::Local:
      break;
  }
  return std::nullopt;
}

TypedScalar type_scalar(Tag tag, bool plain, std::string_view text) {
  switch (tag) {
    case Tag::None:
      return plain ? type_plain(text) : std::nullopt;
    case Tag::Other:
    case Tag::Local:
      return std::nullopt;
    default:
      return type_tagged(tag, text);
  }
}

}  // namespace tarnevo::detail::yaml
