// Reads the one document of a YAML stream into a tree.
//
// Events stream straight into the tree builder, keeping nothing, until the first alias: anchored
// nodes are recorded on the side in case an alias replays them. From the first alias on, the
// rest of the document is recorded and built only at its end, when its event count, and with it
// the repetition limit, is known. Each anchored node's cost (alias expansions, nodes and scalar
// text one copy of it materialises, nested aliases included) is known when it ends, so an alias
// bomb fails before anything of it is copied. Locale files seldom use aliases, so the common case
// keeps no events at all.
#pragma once

#include <expected>
#include <string>
#include <string_view>

#include "format/key_positions.hpp"
#include "tarnevo/value.hpp"
#include "tree/fill_place.hpp"
#include "yaml/events.hpp"

namespace tarnevo::detail::yaml {

// The tree of the stream's only document; Null when the stream holds none (empty text, only
// comments). Fails with the complete message: libyaml's, a second document, or the builder's.
// `positions`, when not null, records where each mapping key is written. A tree read only to
// fill another one, at `place`, leaves out what filling could not use (see TreeBuilder).
std::expected<LocaleValue, std::string> read_single_document(
    EventParser& parser, std::string_view text, format::KeyPositions* positions = nullptr,
    tree::FillPlace place = tree::FillPlace());

}  // namespace tarnevo::detail::yaml
