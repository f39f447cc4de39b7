// How deep a TOML document may nest. The reader keeps open tables and arrays in vectors, never
// on the machine stack, so these bound the trees it hands out (which every consumer walks), not
// its own recursion; both are far beyond any real locale file.
#pragma once

#include <cstddef>

namespace tarnevo::detail::toml {

// Tables and arrays inside each other, counted from the root: tables from headers, dotted keys
// and inline tables, arrays of tables (two levels: the array and its element) and arrays. One
// more level fails with "exceeded maximum nesting depth of 512".
inline constexpr std::size_t kMaxNestingDepth = 512;

// Arrays directly or indirectly inside one value's arrays, like the other readers' limits (JSON
// 127, YAML 128). One more fails with "exceeded maximum nested value depth of 128".
inline constexpr std::size_t kMaxNestedArrays = 128;

}  // namespace tarnevo::detail::toml
