// One YAML document's node events, read in full before any tree is built, with anchors resolved
// and the cost of copying each anchored node known in advance. Knowing the event count and the
// costs up front lets the builder refuse alias bombs before it copies anything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "yaml_events.hpp"
#include "yaml_position.hpp"
#include "yaml_scalar.hpp"

namespace tarnevo::detail::yaml {

enum class NodeEventKind : std::uint8_t {
  Scalar,
  SequenceStart,
  SequenceEnd,
  MappingStart,
  MappingEnd,
  Alias,             // `link` is the index of its anchor in Document::anchors
  UnknownAlias,      // names no anchor defined before it
  AliasIntoOpenNode  // names a node that is still open around it: a cycle
};

inline constexpr std::uint32_t kNoAnchor = UINT32_MAX;

struct NodeEvent {
  std::string text;      // a scalar's text, as libyaml unquoted and folded it
  std::size_t link = 0;  // a start event: index of its end event; an alias: see NodeEventKind
  // Where the node starts, saturating in (absurd) files of more than 4G lines or columns. No
  // character index is kept: libyaml's index is 0 wherever both are 0, the only place a message
  // needs it.
  std::uint32_t line = 0;
  std::uint32_t column = 0;
  std::uint32_t anchor = kNoAnchor;  // index in Document::anchors of the anchor this node defines
  std::uint32_t children = 0;        // a start event: its direct children (keys and values), capped
  NodeEventKind kind = NodeEventKind::Scalar;
  Tag tag = Tag::None;
  bool plain = false;  // a scalar written without quotes or block indicator

  Mark mark() const noexcept { return Mark{0, line, column}; }
};

struct Anchor {
  std::size_t first = 0;  // index of the anchored node's first event
  std::size_t last = 0;   // index of its last event (the same for a scalar)
  // What one copy of the node costs, aliases inside it expanded in turn (saturating).
  std::uint64_t expansions = 0;  // alias expansions performed
  std::uint64_t nodes = 0;       // nodes materialised
  bool referenced = false;       // some alias names it
};

struct Document {
  std::vector<NodeEvent> events;
  std::vector<Anchor> anchors;
  // Events in the document's stream: the node events plus its start and end events.
  std::size_t stream_event_count() const noexcept { return events.size() + 2; }
};

// Reads the stream's only document: nothing when the stream holds no document (empty text or
// only comments). Fails with the complete message on a libyaml error or on a second document.
std::expected<std::optional<Document>, std::string> read_single_document(EventParser& parser,
                                                                         std::string_view text);

}  // namespace tarnevo::detail::yaml
