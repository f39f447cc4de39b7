// Reading one JSON string body into UTF-8 text.
#pragma once

#include <expected>
#include <string>
#include <string_view>

#include "json/failure.hpp"

namespace tarnevo::detail::json {

// Reads the string whose body starts at `cursor` (just past the opening quotation mark) and
// leaves `cursor` just past the closing one. Escapes are decoded, \u surrogate pairs joined into
// one character; an unpaired surrogate fails. `scratch` is working space reused between calls.
std::expected<std::string, JsonFailure> read_json_string(const char*& cursor, const char* end,
                                                         std::string& scratch);

// The same checks and the same failures as read_json_string, with the text handed out as a view:
// into the text itself when the string has no escapes, else into `scratch`, so it is valid
// until the next call with the same `scratch`.
std::expected<std::string_view, JsonFailure> view_json_string(const char*& cursor, const char* end,
                                                              std::string& scratch);

// The same checks and the same failures as read_json_string, without making the text: for
// strings whose value is not kept.
std::expected<void, JsonFailure> skip_json_string(const char*& cursor, const char* end,
                                                  std::string& scratch);

}  // namespace tarnevo::detail::json
