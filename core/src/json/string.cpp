#include "json/string.hpp"

#include "text/byte_scan.hpp"

#include <cstdint>
#include <cstring>

#include "text/utf8.hpp"

namespace tarnevo::detail::json {
namespace {

std::unexpected<JsonFailure> fail(JsonProblem problem, const char* at) {
  return std::unexpected(JsonFailure{problem, at});
}

int hex_value(char c) noexcept {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The four hex digits of a \u escape, starting at `p`; `p` is left past them.
std::expected<std::uint32_t, JsonFailure> read_hex4(const char*& p, const char* end) {
  std::uint32_t unit = 0;
  for (int i = 0; i < 4; ++i, ++p) {
    if (p == end) return fail(JsonProblem::EofWhileString, end);
    const int digit = hex_value(*p);
    if (digit < 0) return fail(JsonProblem::InvalidEscape, p);
    unit = unit << 4 | static_cast<std::uint32_t>(digit);
  }
  return unit;
}
// Decodes the \u escape whose hex digits start at `p` (a pair of them for a surrogate pair).
// A surrogate escape must be a pair: a leading surrogate followed at once by a \u escape holding a
// trailing one. A trailing surrogate met first is as unpaired as a leading one left alone.
std::expected<std::uint32_t, JsonFailure> read_unicode_escape(const char*& p, const char* end) {
  const auto first = read_hex4(p, end);
  if (!first) return std::unexpected(first.error());
  const std::uint32_t unit = *first;
  if (unit >= 0xDC00 && unit <= 0xDFFF) return fail(JsonProblem::LoneLeadingSurrogate, p - 1);
  if (unit < 0xD800 || unit > 0xDBFF) return unit;

  if (p == end) return fail(JsonProblem::EofWhileString, end);
  if (*p != '\\') return fail(JsonProblem::UnexpectedEndOfHexEscape, p);
  ++p;
  if (p == end) return fail(JsonProblem::EofWhileString, end);
  if (*p != 'u') return fail(JsonProblem::UnexpectedEndOfHexEscape, p);
  ++p;
  const auto second = read_hex4(p, end);
  if (!second) return std::unexpected(second.error());
  if (*second < 0xDC00 || *second > 0xDFFF) return fail(JsonProblem::LoneLeadingSurrogate, p - 1);
  return 0x10000 + ((unit - 0xD800) << 10) + (*second - 0xDC00);
}

// Decodes the escape whose letter is at `p` onto `out`; `p` is left past the escape.
std::expected<void, JsonFailure> read_escape(const char*& p, const char* end, std::string& out) {
  if (p == end) return fail(JsonProblem::EofWhileString, end);
  char decoded;
  switch (*p) {
    case '"':
    case '\\':
    case '/':
      decoded = *p;
      break;
    case 'b':
      decoded = '\b';
      break;
    case 'f':
      decoded = '\f';
      break;
    case 'n':
      decoded = '\n';
      break;
    case 'r':
      decoded = '\r';
      break;
    case 't':
      decoded = '\t';
      break;
    case 'u': {
      ++p;
      const auto code_point = read_unicode_escape(p, end);
      if (!code_point) return std::unexpected(code_point.error());
      text::append_utf8(out, *code_point);
      return {};
    }
    default:
      return fail(JsonProblem::InvalidEscape, p);
  }
  ++p;
  out.push_back(decoded);
  return {};
}

}  // namespace

std::expected<std::string_view, JsonFailure> finish_json_string(const char*& cursor,
                                                                const char* end, const char* stop,
                                                                std::string& scratch, bool keep) {
  const char* p = stop;
  scratch.clear();
  if (keep) scratch.append(cursor, p);
  for (;;) {
    if (p == end) return fail(JsonProblem::EofWhileString, end);
    switch (*p) {
      case '"':
        cursor = p + 1;
        return std::string_view(scratch);
      case '\\': {
        ++p;
        // Escapes are decoded even in a string that is only checked: a bad one fails all the same.
        if (auto escaped = read_escape(p, end, scratch); !escaped) {
          return std::unexpected(escaped.error());
        }
        break;
      }
      default:
        return fail(JsonProblem::ControlCharacter, p);
    }
    const char* const run = p;
    p = text::find_quote_backslash_or_control(p, end);
    if (keep) scratch.append(run, p);
  }
}

std::expected<std::string, JsonFailure> read_json_string(const char*& cursor, const char* end,
                                                         std::string& scratch) {
  const auto text = view_json_string(cursor, end, scratch);
  if (!text) return std::unexpected(text.error());
  return std::string(*text);
}

}  // namespace tarnevo::detail::json
