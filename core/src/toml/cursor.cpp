#include "toml/cursor.hpp"

#include "text/byte_scan.hpp"

namespace tarnevo::detail::toml {

Failed fail_expecting(const Cursor& cursor, const char* p, std::string_view scope,
                      std::string_view expected) {
  std::string description = "Error while parsing ";
  description.append(scope).append(": expected ").append(expected).append(", saw ");
  description.append(name_character(cursor.text(), cursor.offset(p)));
  // The character itself is the span; at the end there is none.
  const char* const to = p == cursor.end ? p : p + 1;
  return fail(cursor, p, to, std::move(description));
}

std::expected<void, TomlFailure> skip_comment(Cursor& cursor) {
  const char* p = cursor.at + 1;
  for (;;) {
    p = text::find_toml_string_stop(p, cursor.end, '\n');
    if (p == cursor.end || *p == '\n') break;
    if (*p == '\\' || *p == '\t') {
      ++p;
      continue;
    }
    // A carriage return belongs to the line break after the comment, and nowhere else.
    if (*p == '\r' && cursor.end - p >= 2 && p[1] == '\n') break;
    cursor.at = p;
    return fail(cursor, p, p + 1,
                "Error while parsing comment: control character " +
                    name_character(cursor.text(), cursor.offset(p)) + " is not allowed");
  }
  cursor.at = p;
  return {};
}

}  // namespace tarnevo::detail::toml
