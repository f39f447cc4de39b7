// The two merges that build a locale: joining its files' pieces, and completing it from the
// default locale.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tarnevo/value.hpp"

namespace tarnevo {

// Completes `target` from `source`: the target's own content always wins. Objects merge key by
// key at every depth; a Null target takes a copy of a non-Null source; nothing else changes.
void fill_from(LocaleValue& target, const LocaleValue& source);
// The same result, taking the source's nodes instead of copying them.
void fill_from(LocaleValue& target, LocaleValue&& source);

// One parsed file of a locale: its value and, for a file inside the locale's sub-directory, the
// dotted path under which the value is placed.
struct LocalePiece {
  std::optional<std::string> namespace_path;
  LocaleValue value;
};

// Joins the pieces in order into one Object: each piece, wrapped in single-member Objects along
// its namespace's segments (split at every full stop, empty segments kept), is filled into the
// result, so an earlier piece wins over a later one.
LocaleValue assemble_pieces(std::vector<LocalePiece> pieces);

}  // namespace tarnevo
