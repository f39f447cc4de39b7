// The compact JSON text of a tree: no whitespace, object members in key order, strings with
// the short escapes and \u00xx for other control bytes, floats as their shortest round-trip
// digits. The same bytes as tarnevo_load_json hands to C callers.
#pragma once

#include <string>

#include "tarnevo/value.hpp"

namespace tarnevo {

std::string to_json(const LocaleValue& value);

}  // namespace tarnevo
