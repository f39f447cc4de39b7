// What `tarnevo check` finds in a locale's values, beside the keys it lacks or adds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "check/rules/placeholders.hpp"

namespace tarnevo::cli {

// A string whose placeholders differ from the default's string at the same path.
struct PlaceholderFinding {
  std::string key;
  PlaceholderDiff diff;
};

// How a plural group is written: an object whose keys are categories, sibling keys with a
// category suffix (`photo_one`, `photo_other`), or a `plural`/`selectordinal` argument inside an
// ICU MessageFormat string.
enum class PluralStyle : std::uint8_t { Nested, Suffix, Icu };

// A plural group whose categories differ from the ones the locale's language uses (CLDR): those
// it lacks and those the language does not have, by name in CLDR order.
struct PluralGap {
  std::string key;
  std::vector<std::string> missing;
  std::vector<std::string> unexpected = {};
  PluralStyle style = PluralStyle::Nested;
};

// A string that does not read as ICU MessageFormat where the default's string at the same key
// does; `reason` is the message reader's.
struct IcuSyntaxFinding {
  std::string key;
  std::string reason;
};

// Arguments that the default's string uses only to choose a form (`plural`, `select`,
// `selectordinal`) and that the translation leaves out: its language or wording may not need the
// choice, so this is no placeholder mismatch.
struct DroppedSelector {
  std::string key;
  std::vector<std::string> arguments;
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
  std::vector<IcuSyntaxFinding> icu_syntax;
  std::vector<DroppedSelector> dropped_selectors;
  std::vector<ShapeFinding> shapes;
  // Empty or white-space strings where the default's string is not.
  std::vector<std::string> blank;
  std::vector<ShadowedKey> shadowed;
};

}  // namespace tarnevo::cli
