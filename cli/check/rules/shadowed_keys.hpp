// Keys that more than one file of a locale gives, where the listing order picks the winner.
#pragma once

#include <string>
#include <vector>

#include "check/findings.hpp"
#include "check/key_filter.hpp"
#include "tarnevo/merge.hpp"

namespace tarnevo::cli {

// `pieces` are a locale's files that read, in the loader's order, and `paths[i]` the file of
// `pieces[i]`. A path is shadowed where two or more files give something there (a leaf, or keys
// below it, null counting as nothing) and one of them a leaf: the first file keeps its value or
// its keys, and the others' are dropped. Objects that several files give are joined key by key
// and looked into further. Ignored paths are left out; the list is in key order.
std::vector<ShadowedKey> find_shadowed_keys(const std::vector<LocalePiece>& pieces,
                                            const std::vector<std::string>& paths,
                                            const KeyFilter& filter);

}  // namespace tarnevo::cli
