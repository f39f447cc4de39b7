#include "yaml/tree_builder.hpp"

#include <algorithm>
#include <iterator>
#include <limits>
#include <memory>
#include <utility>

#include "yaml/limits.hpp"
#include "yaml/scalar.hpp"

namespace tarnevo::detail::yaml {

namespace {

constexpr std::string_view kLocalTag = "invalid type: enum, expected any valid JSON value";
constexpr std::string_view kSequenceKey = "invalid type: sequence, expected a string";
constexpr std::string_view kMappingKey = "invalid type: map, expected a string";
constexpr std::string_view kUnknownAnchor = "unknown anchor";

}  // namespace

std::expected<void, std::string> TreeBuilder::take_streamed(const NodeEvent& event,
                                                            std::string_view text) {
  // Aliases start the recorded tail, so only scalars and collections stream.
  switch (event.kind) {
    case NodeEventKind::Scalar:
      return scalar(event, ScalarText{text}, event.mark());
    case NodeEventKind::SequenceStart:
    case NodeEventKind::MappingStart:
      return open(event, event.mark());
    default:
      close();
      return {};
  }
}

std::expected<void, std::string> TreeBuilder::take_recorded(std::size_t first,
                                                            std::uint64_t stream_event_count) {
  limit_ = stream_event_count > std::numeric_limits<std::uint64_t>::max() / kRepetitionsPerEvent
               ? std::numeric_limits<std::uint64_t>::max()
               : stream_event_count * kRepetitionsPerEvent;
  node_limit_ = std::min(limit_, kMaxNodesThroughAliases);
  byte_limit_ = text_.size() > kMaxBytesThroughAliases / kCopiesPerTextByte
                    ? kMaxBytesThroughAliases
                    : text_.size() * kCopiesPerTextByte;

  // Texts of nodes that an alias replays must stay in the recording; the others move into the
  // tree. Anchored nodes that began before `first` cover a leading stretch of it.
  std::size_t shared_until = 0;
  for (const Anchor& anchor : recording_.anchors) {
    if (anchor.referenced && anchor.first < first)
      shared_until = std::max(shared_until, anchor.last + 1);
  }
  std::vector<NodeEvent>& events = recording_.events;
  for (std::size_t index = first; index < events.size(); ++index) {
    NodeEvent& event = events[index];
    if (event.anchor != kNoAnchor) {
      const Anchor& anchor = recording_.anchors[event.anchor];
      if (anchor.referenced) shared_until = std::max(shared_until, anchor.last + 1);
    }
    if (auto done = step(event, index < shared_until, event.mark()); !done) return done;
  }
  return {};
}

std::expected<void, std::string> TreeBuilder::step(NodeEvent& event, bool copy, const Mark& at) {
  switch (event.kind) {
    case NodeEventKind::Scalar:
      return scalar(event, ScalarText{event.text, copy ? nullptr : &event.text}, at);
    case NodeEventKind::SequenceStart:
    case NodeEventKind::MappingStart:
      return open(event, at);
    case NodeEventKind::SequenceEnd:
    case NodeEventKind::MappingEnd:
      close();
      return {};
    case NodeEventKind::Alias:
      return expand(event);
    case NodeEventKind::UnknownAlias:
      return fail(kUnknownAnchor, at);
    case NodeEventKind::AliasIntoOpenNode:
      // Expanding it would nest the node in itself without end.
      return fail(kRecursionLimit, at);
  }
  return {};
}

std::expected<void, std::string> TreeBuilder::expand(const NodeEvent& alias) {
  const Anchor& anchor = recording_.anchors[alias.link];
  // Charge the whole replay, nested aliases included, before copying anything: alias bombs fail
  // here instead of after building their trees. Aliases met inside the replay were charged with
  // it. Every expansion materialises at least one node, so the node bound is the tighter one;
  // both stay, as each names a distinct promise. Counts of nodes say nothing of their size, so
  // the text copied is bounded too: a long anchored string aliased thousands of times is a bomb
  // of few nodes.
  expansions_ = saturating_add(expansions_, saturating_add(anchor.expansions, 1));
  materialised_ = saturating_add(materialised_, anchor.nodes);
  copied_bytes_ = saturating_add(copied_bytes_, anchor.bytes);
  const Mark at = alias.mark();
  if (expansions_ > limit_ || materialised_ > node_limit_ || copied_bytes_ > byte_limit_) {
    return fail(kRepetitionLimit, at);
  }

  // Replay iteratively: nested aliases push further runs instead of recursing. Whatever fails
  // inside is reported at this alias, as the anchored node itself was fine where it was written.
  cursors_.clear();
  cursors_.push_back(Cursor{anchor.first, anchor.last + 1});
  while (!cursors_.empty()) {
    Cursor& cursor = cursors_.back();
    if (cursor.next == cursor.stop) {
      cursors_.pop_back();
      continue;
    }
    NodeEvent& event = recording_.events[cursor.next++];
    if (event.kind == NodeEventKind::Alias) {
      const Anchor& inner = recording_.anchors[event.link];
      cursors_.push_back(Cursor{inner.first, inner.last + 1});
      continue;
    }
    if (auto done = step(event, /*copy=*/true, at); !done) return done;
  }
  return {};
}

std::expected<void, std::string> TreeBuilder::fail(std::string_view message, const Mark& at) const {
  return std::unexpected(message_at(message, at, text_));
}

bool TreeBuilder::expecting_key() const noexcept {
  return depth_ > 0 && frames_[depth_ - 1].mapping && !frames_[depth_ - 1].has_key;
}

// Where the next value (not a key) lands.
tree::FillPlace TreeBuilder::next_place() const noexcept {
  if (depth_ == 0) return root_place_;
  const Frame& frame = frames_[depth_ - 1];
  return frame.mapping ? frame.value_place : frame.place.element();
}

std::expected<void, std::string> TreeBuilder::scalar(const NodeEvent& event, ScalarText text,
                                                     const Mark& at) {
  if (event.tag == Tag::Local) return fail(kLocalTag, at);

  if (expecting_key()) {
    // Keys stay text as written; a typed tag only has to fit.
    if (event.tag != Tag::None && event.tag != Tag::Other) {
      if (auto checked = type_tagged(event.tag, text.view); !checked)
        return fail(checked.error(), at);
    }
    Frame& frame = frames_[depth_ - 1];
    LocaleMember& member = members_.emplace_back();
    text.move_to(member.key);
    if (positions_ != nullptr) {
      // The event's own mark, not `at`: a key replayed for an alias is placed where it is
      // written.
      frame.key_node = positions_->add_at(frame.node, member.key,
                                          format::KeyPosition{event.line + 1, event.column + 1},
                                          format::KeyPositions::Repeat::KeepLast);
    }
    frame.value_place = frame.place.member(member.key);
    frame.has_key = true;
    return {};
  }

  // Typed even where filling drops it: a value that fails, fails wherever it is.
  auto typed = type_scalar(event.tag, event.plain, text.view);
  if (!typed) return fail(typed.error(), at);
  if (!next_place().wanted()) {
    skip();
  } else if (*typed) {
    attach(std::move(**typed));
  } else {
    // Built where it stays: the string is the one copy of the text, and no value moves.
    LocaleValue& slot = value_slot();
    std::destroy_at(&slot);
    ::new (static_cast<void*>(&slot)) LocaleValue(LocaleValue::string(text.take()));
  }
  return {};
}

std::expected<void, std::string> TreeBuilder::open(const NodeEvent& event, const Mark& at) {
  if (event.tag == Tag::Local) return fail(kLocalTag, at);
  const bool mapping = event.kind == NodeEventKind::MappingStart;
  if (expecting_key()) return fail(mapping ? kMappingKey : kSequenceKey, at);
  if (depth_ >= kMaxDepth) return fail(kRecursionLimit, at);
  const tree::FillPlace place = next_place();
  if (depth_ == frames_.size()) frames_.emplace_back();
  if (positions_ != nullptr) {
    // A mapping's key path: the document's top-level one, or that of the member it is the value
    // of. Sequences, and what they hold, have none.
    format::KeyPositions::Node node = format::KeyPositions::kNoPath;
    if (mapping && depth_ == 0) {
      node = format::KeyPositions::kRoot;
    } else if (mapping && frames_[depth_ - 1].mapping) {
      node = frames_[depth_ - 1].key_node;
    }
    frames_[depth_].node = node;
  }
  Frame& frame = frames_[depth_++];
  frame.place = place;
  frame.mapping = mapping;
  frame.has_key = false;
  frame.first = mapping ? members_.size() : items_.size();
  return {};
}

void TreeBuilder::close() {
  if (depth_ == 0) return;  // libyaml balances start and end events
  Frame& frame = frames_[--depth_];
  // The collection gets an exact-size copy; the stacks keep their buffers for the next one.
  if (!frame.place.wanted()) {
    skip();  // it collected nothing
  } else if (frame.mapping) {
    LocaleObject object = object_in_key_order(frame.first);
    members_.erase(members_.begin() + static_cast<std::ptrdiff_t>(frame.first), members_.end());
    attach(LocaleValue::object(std::move(object)));
  } else {
    const auto first = items_.begin() + static_cast<std::ptrdiff_t>(frame.first);
    LocaleArray items(std::make_move_iterator(first), std::make_move_iterator(items_.end()));
    items_.erase(first, items_.end());
    attach(LocaleValue::array(std::move(items)));
  }
}

// The members by key, of equal keys the last one only, each moved once into an object of their
// exact count. Members already in order, as generated files often write them, cost one look at
// each key before that move; the others are sorted by position (tree::sort_by_key).
LocaleObject TreeBuilder::object_in_key_order(std::size_t first) {
  LocaleMember* const members = members_.data() + first;
  const std::size_t count = members_.size() - first;
  LocaleObject object;
  std::vector<LocaleMember>& ordered = object.members();
  ordered.reserve(count);
  std::size_t in_order = 1;
  while (in_order < count && key_less(members[in_order - 1].key, members[in_order].key)) ++in_order;
  if (in_order >= count) {
    std::move(members, members + count, std::back_inserter(ordered));
    return object;
  }

  order_.clear();
  for (std::uint32_t at = 0; at < count; ++at)
    order_.push_back(tree::key_prefix(members[at].key, at));
  tree::sort_by_key(order_,
                    [members](std::uint32_t at) -> std::string_view { return members[at].key; });
  for (std::size_t k = 0; k < count; ++k) {
    const tree::KeyPrefix& entry = order_[k];
    // Of equal keys, now next to each other, the last given stays.
    if (k + 1 < count && order_[k + 1].prefix == entry.prefix &&
        members[order_[k + 1].position].key == members[entry.position].key) {
      continue;
    }
    ordered.push_back(std::move(members[entry.position]));
  }
  return object;
}

// A value that filling could not use: a member left out of its mapping (fill_from keeps the
// target's leaf wherever such a member would land), null at the top.
void TreeBuilder::skip() {
  if (depth_ == 0) {
    root_ = LocaleValue::null();
    return;
  }
  Frame& frame = frames_[depth_ - 1];
  if (frame.mapping) {
    members_.pop_back();  // its key's
    frame.has_key = false;
  }
}

// Where the next value lands: the root, a new item, or the member its key made (which that value
// completes). It holds a null until the value is put there.
LocaleValue& TreeBuilder::value_slot() {
  if (depth_ == 0) return root_;
  Frame& frame = frames_[depth_ - 1];
  if (!frame.mapping) return items_.emplace_back();
  frame.has_key = false;
  return members_.back().value;
}

void TreeBuilder::attach(LocaleValue&& value) {
  LocaleValue& slot = value_slot();
  std::destroy_at(&slot);
  std::construct_at(&slot, std::move(value));
}

}  // namespace tarnevo::detail::yaml
