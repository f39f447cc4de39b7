// The limits that keep hostile YAML from exhausting time, memory or the stack.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tarnevo::detail::yaml {

// Nesting of sequences and mappings allowed, counted through alias expansions too.
inline constexpr std::size_t kMaxDepth = 128;
inline constexpr std::string_view kRecursionLimit = "recursion limit exceeded";

// Alias expansions, and nodes materialised through aliases, allowed per event of the document.
inline constexpr std::uint64_t kRepetitionsPerEvent = 100;
inline constexpr std::string_view kRepetitionLimit = "repetition limit exceeded";

}  // namespace tarnevo::detail::yaml
