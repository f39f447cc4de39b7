// Reading one JSON string body into UTF-8 text.
#pragma once

#include <expected>
#include <string>

#include "json_failure.hpp"

namespace tarnevo::detail {

// Reads the string whose body starts at `cursor` (just past the opening quotation mark) and
// leaves `cursor` just past the closing one. Escapes are decoded, \u surrogate pairs joined into
// one character; an unpaired surrogate fails. `scratch` is working space reused between calls.
std::expected<std::string, JsonFailure> read_json_string(const char*& cursor, const char* end,
                                                         std::string& scratch);

}  // namespace tarnevo::detail
