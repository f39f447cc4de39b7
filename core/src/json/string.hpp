// Reading one JSON string body into UTF-8 text.
#pragma once

#include <expected>
#include <string>
#include <string_view>

#include "json/failure.hpp"
#include "text/byte_scan.hpp"

namespace tarnevo::detail::json {

// The rest of a string that a plain run did not finish: `stop` is the first byte of the body at
// `cursor` that is a quotation mark, an escape, a control character, or the end. The text is
// handed out as view_json_string does, or only checked when `keep` is false.
std::expected<std::string_view, JsonFailure> finish_json_string(const char*& cursor,
                                                                const char* end, const char* stop,
                                                                std::string& scratch, bool keep);

// Reads the string whose body starts at `cursor` (just past the opening quotation mark) and
// leaves `cursor` just past the closing one. Escapes are decoded, \u surrogate pairs joined into
// one character; an unpaired surrogate fails. `scratch` is working space reused between calls.
std::expected<std::string, JsonFailure> read_json_string(const char*& cursor, const char* end,
                                                         std::string& scratch);

// The same checks and the same failures as read_json_string, with the text handed out as a view:
// into the text itself when the string has no escapes, else into `scratch`, so it is valid
// until the next call with the same `scratch`.
// Inline: most strings of a locale file are plain, and are found whole by one scan without a
// call (bench/cpp/reader_throughput).
inline std::expected<std::string_view, JsonFailure> view_json_string(const char*& cursor,
                                                                     const char* end,
                                                                     std::string& scratch) {
  const char* const body = cursor;
  const char* const stop = text::find_quote_backslash_or_control(body, end);
  if (stop != end && *stop == '"') [[likely]] {
    cursor = stop + 1;
    return std::string_view(body, static_cast<std::size_t>(stop - body));
  }
  return finish_json_string(cursor, end, stop, scratch, true);
}

// The same checks and the same failures as read_json_string, without making the text: for
// strings whose value is not kept.
inline std::expected<void, JsonFailure> skip_json_string(const char*& cursor, const char* end,
                                                         std::string& scratch) {
  const char* const stop = text::find_quote_backslash_or_control(cursor, end);
  if (stop != end && *stop == '"') [[likely]] {
    cursor = stop + 1;
    return {};
  }
  if (auto rest = finish_json_string(cursor, end, stop, scratch, false); !rest) {
    return std::unexpected(rest.error());
  }
  return {};
}

}  // namespace tarnevo::detail::json
