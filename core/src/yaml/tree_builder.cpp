#include "yaml/tree_builder.hpp"

#include <algorithm>
#include <iterator>
#include <limits>
#include <utility>

#include "yaml/limits.hpp"
#include "yaml/scalar.hpp"

namespace tarnevo::detail::yaml {

namespace {

constexpr std::string_view kLocalTag = "invalid type: enum, expected any valid JSON value";
constexpr std::string_view kSequenceKey = "invalid type: sequence, expected a string";
constexpr std::string_view kMappingKey = "invalid type: map, expected a string";
constexpr std::string_view kUnknownAnchor = "unknown anchor";

std::expected<LocaleValue, std::string> scalar_value(const NodeEvent& event, std::string& text) {
  switch (event.tag) {
    case Tag::None:
      if (event.plain) return resolve_plain(text);
      return LocaleValue::string(std::move(text));
    case Tag::Other:
    case Tag::Local:
      return LocaleValue::string(std::move(text));
    default:
      return resolve_tagged(event.tag, text);
  }
}

}  // namespace

std::expected<void, std::string> TreeBuilder::take_streamed(NodeEvent& event, bool keep_text) {
  return step(event, keep_text, event.mark());
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
      return scalar(event, copy, at);
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

std::expected<void, std::string> TreeBuilder::scalar(NodeEvent& event, bool copy, const Mark& at) {
  if (event.tag == Tag::Local) return fail(kLocalTag, at);
  std::string text = copy ? event.text : std::move(event.text);

  if (expecting_key()) {
    // Keys stay text as written; a typed tag only has to fit.
    if (event.tag != Tag::None && event.tag != Tag::Other) {
      if (auto checked = resolve_tagged(event.tag, text); !checked)
        return fail(checked.error(), at);
    }
    Frame& frame = frames_[depth_ - 1];
    if (positions_ != nullptr) {
      // The event's own mark, not `at`: a key replayed for an alias is placed where it is
      // written.
      frame.key_node = positions_->add_at(frame.node, text,
                                          format::KeyPosition{event.line + 1, event.column + 1},
                                          format::KeyPositions::Repeat::KeepLast);
    }
    frame.value_place = frame.place.member(text);
    frame.key = std::move(text);
    frame.has_key = true;
    return {};
  }

  auto value = scalar_value(event, text);
  if (!value) return fail(value.error(), at);
  if (next_place().wanted()) {
    attach(std::move(*value));
  } else {
    skip();
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
  return {};
}

void TreeBuilder::close() {
  if (depth_ == 0) return;  // libyaml balances start and end events
  Frame& frame = frames_[--depth_];
  // The collection gets an exact-size copy; the frame's buffer stays for the next one.
  if (!frame.place.wanted()) {
    skip();  // it collected nothing
  } else if (frame.mapping) {
    LocaleObject object = LocaleObject::from_members(members_in_key_order(frame.members));
    frame.members.clear();
    attach(LocaleValue::object(std::move(object)));
  } else {
    LocaleArray items(std::make_move_iterator(frame.items.begin()),
                      std::make_move_iterator(frame.items.end()));
    frame.items.clear();
    attach(LocaleValue::array(std::move(items)));
  }
}

// The members by key, of equal keys the last one only, so that from_members finds them in
// order. Sorting indices moves each member once, where sorting the members themselves moves them
// many times; locale files seldom keep their keys sorted.
std::vector<LocaleMember> TreeBuilder::members_in_key_order(std::vector<LocaleMember>& members) {
  const std::size_t count = members.size();
  std::vector<LocaleMember> ordered;
  ordered.reserve(count);
  std::size_t sorted_prefix = 1;
  while (sorted_prefix < count &&
         key_less(members[sorted_prefix - 1].key, members[sorted_prefix].key)) {
    ++sorted_prefix;
  }
  if (sorted_prefix >= count) {
    std::move(members.begin(), members.end(), std::back_inserter(ordered));
    return ordered;
  }

  order_.resize(count);
  for (std::size_t k = 0; k < count; ++k) order_[k] = k;
  std::sort(order_.begin(), order_.end(), [&members](std::size_t a, std::size_t b) {
    const int compared = compare_keys(members[a].key, members[b].key);
    return compared < 0 || (compared == 0 && a < b);
  });
  for (std::size_t k = 0; k < count; ++k) {
    LocaleMember& member = members[order_[k]];
    if (k + 1 < count && members[order_[k + 1]].key == member.key) continue;
    ordered.push_back(std::move(member));
  }
  return ordered;
}

// A value that filling could not use: a member left out of its mapping (fill_from keeps the
// target's leaf wherever such a member would land), null at the top.
void TreeBuilder::skip() {
  if (depth_ == 0) {
    root_ = LocaleValue::null();
  } else {
    frames_[depth_ - 1].has_key = false;
  }
}

void TreeBuilder::attach(LocaleValue&& value) {
  if (depth_ == 0) {
    root_ = std::move(value);
    return;
  }
  Frame& frame = frames_[depth_ - 1];
  if (!frame.mapping) {
    frame.items.push_back(std::move(value));
    return;
  }
  frame.members.push_back(LocaleMember{std::move(frame.key), std::move(value)});
  frame.has_key = false;
}

}  // namespace tarnevo::detail::yaml
