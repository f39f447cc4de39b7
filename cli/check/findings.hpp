// What `tarnevo check` finds in a locale's values, beside the keys it lacks or adds.
#pragma once

#include <string>
#include <vector>

#include "check/rules/placeholders.hpp"

namespace tarnevo::cli {

// A string whose placeholders differ from the default's string at the same path.
struct PlaceholderFinding {
  std::string key;
  PlaceholderDiff diff;
};

// A plural group lacking categories that the locale's language uses, by name in CLDR order.
struct PluralGap {
  std::string key;
  std::vector<std::string> missing;
};

// A leaf whose shape differs from the default's: "string", "number", "boolean", "date-time" or
// "array of N".
struct ShapeFinding {
  std::string key;
  std::string locale;
  std::string fallback;
};

// A key given by more than one file of one locale: the files in the order the loader reads them.
// The first one's value (or keys) is what loading keeps.
struct ShadowedKey {
  std::string key;
  std::vector<std::string> files;
};

struct Findings {
  std::vector<PlaceholderFinding> placeholders;
  std::vector<PluralGap> plurals;
  std::vector<ShapeFinding> shapes;
  // Empty or white-space strings where the default's string is not.
  std::vector<std::string> blank;
  std::vector<ShadowedKey> shadowed;
};

}  // namespace tarnevo::cli
