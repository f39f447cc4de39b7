// The limits that keep hostile YAML from exhausting time, memory or the stack.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

namespace tarnevo::detail::yaml {

// Nesting of sequences and mappings allowed, counted through alias expansions too.
inline constexpr std::size_t kMaxDepth = 128;
inline constexpr std::string_view kRecursionLimit = "recursion limit exceeded";

// Alias expansions, and nodes materialised through aliases, allowed per event of the document.
inline constexpr std::uint64_t kRepetitionsPerEvent = 100;
inline constexpr std::string_view kRepetitionLimit = "repetition limit exceeded";
// Bytes of scalar text (keys included) copied through aliases, allowed per byte of the input.
inline constexpr std::uint64_t kCopiesPerTextByte = 100;
// Whatever the document's size, aliases may materialise at most this many nodes and copy at
// most this much text: relative bounds alone still let a few megabytes of YAML demand gigabytes
// of memory, and no locale file shares that much through aliases.
inline constexpr std::uint64_t kMaxNodesThroughAliases = std::uint64_t{1} << 20;
inline constexpr std::uint64_t kMaxBytesThroughAliases = std::uint64_t{64} << 20;

// Counts of copies can grow exponentially with nested aliases; they stop at the top instead of
// wrapping around.
inline std::uint64_t saturating_add(std::uint64_t a, std::uint64_t b) noexcept {
  return a > std::numeric_limits<std::uint64_t>::max() - b
             ? std::numeric_limits<std::uint64_t>::max()
             : a + b;
}

}  // namespace tarnevo::detail::yaml
