// Turns one recorded YAML document into a tree: typing scalars, expanding aliases by replaying
// their anchored events, and enforcing the nesting and repetition limits.
#pragma once

#include <expected>
#include <string>
#include <string_view>

#include "tarnevo/value.hpp"
#include "yaml_document.hpp"

namespace tarnevo::detail::yaml {

// Nesting of sequences and mappings allowed, counted through alias expansions too.
inline constexpr std::size_t kMaxDepth = 128;
// Alias expansions, and nodes materialised through aliases, allowed per event of the document.
inline constexpr std::uint64_t kRepetitionsPerEvent = 100;

// Builds the tree of `document`, moving scalar texts out of it. `text` is the whole input, for
// the positions in messages. Fails with the complete message.
std::expected<LocaleValue, std::string> build_tree(Document& document, std::string_view text);

}  // namespace tarnevo::detail::yaml
