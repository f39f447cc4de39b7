// The node events of a YAML document as the reader keeps them: only those that an alias may
// replay (anchored nodes, and everything from the first alias on) are stored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "yaml/position.hpp"
#include "yaml/scalar.hpp"

namespace tarnevo::detail::yaml {

enum class NodeEventKind : std::uint8_t {
  Scalar,
  SequenceStart,
  SequenceEnd,
  MappingStart,
  MappingEnd,
  Alias,             // `link` is the index of its anchor in Recording::anchors
  UnknownAlias,      // names no anchor defined before it
  AliasIntoOpenNode  // names a node that is still open around it: a cycle
};

inline constexpr std::uint32_t kNoAnchor = UINT32_MAX;

struct NodeEvent {
  std::string text;      // a scalar's text, as libyaml unquoted and folded it
  std::size_t link = 0;  // an alias: see NodeEventKind
  // Where the node starts, saturating in (absurd) files of more than 4G lines or columns. No
  // character index is kept: libyaml's index is 0 wherever both are 0, the only place a message
  // needs it.
  std::uint32_t line = 0;
  std::uint32_t column = 0;
  std::uint32_t anchor = kNoAnchor;  // index in Recording::anchors of the anchor this defines
  NodeEventKind kind = NodeEventKind::Scalar;
  Tag tag = Tag::None;
  bool plain = false;  // a scalar written without quotes or block indicator

  Mark mark() const noexcept { return Mark{0, line, column}; }
};

struct Anchor {
  std::size_t first = 0;  // index in Recording::events of the anchored node's first event
  std::size_t last = 0;   // index of its last event (the same for a scalar)
  // What one copy of the node costs, aliases inside it expanded in turn (saturating).
  std::uint64_t expansions = 0;  // alias expansions performed
  std::uint64_t nodes = 0;       // nodes materialised
  std::uint64_t bytes = 0;       // scalar text copied (keys included)
  bool referenced = false;       // some alias names it
};

struct Recording {
  std::vector<NodeEvent> events;
  std::vector<Anchor> anchors;
};

}  // namespace tarnevo::detail::yaml
