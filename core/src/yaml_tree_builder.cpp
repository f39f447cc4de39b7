#include "yaml_tree_builder.hpp"

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

#include "yaml_scalar.hpp"

namespace tarnevo::detail::yaml {

namespace {

constexpr std::string_view kLocalTag = "invalid type: enum, expected any valid JSON value";
constexpr std::string_view kSequenceKey = "invalid type: sequence, expected a string";
constexpr std::string_view kMappingKey = "invalid type: map, expected a string";
constexpr std::string_view kRecursionLimit = "recursion limit exceeded";
constexpr std::string_view kRepetitionLimit = "repetition limit exceeded";
constexpr std::string_view kUnknownAnchor = "unknown anchor";

std::uint64_t saturating_add(std::uint64_t a, std::uint64_t b) noexcept {
  return a > std::numeric_limits<std::uint64_t>::max() - b
             ? std::numeric_limits<std::uint64_t>::max()
             : a + b;
}

// One sequence or mapping under construction.
struct Frame {
  bool mapping = false;
  bool has_key = false;
  std::string key;
  LocaleArray items;
  std::vector<LocaleMember> members;
};

// A run of events to visit, [next, stop): the document itself, or an anchored node replayed for
// an alias.
struct Cursor {
  std::size_t next;
  std::size_t stop;
};

class TreeBuilder {
 public:
  TreeBuilder(Document& document, std::string_view text)
      : document_(document),
        text_(text),
        limit_(document.stream_event_count() >
                       std::numeric_limits<std::uint64_t>::max() / kRepetitionsPerEvent
                   ? std::numeric_limits<std::uint64_t>::max()
                   : document.stream_event_count() * kRepetitionsPerEvent) {}

  std::expected<LocaleValue, std::string> build() {
    std::vector<NodeEvent>& events = document_.events;
    cursors_.push_back(Cursor{0, events.size()});
    frames_.reserve(16);
    while (!cursors_.empty()) {
      Cursor& cursor = cursors_.back();
      if (cursor.next == cursor.stop) {
        cursors_.pop_back();
        continue;
      }
      const std::size_t index = cursor.next++;
      NodeEvent& event = events[index];
      // Everything replayed for an alias is reported at the alias that started the replay: the
      // anchored node itself was fine where it was written.
      const bool replaying = cursors_.size() > 1;
      const bool copy = replaying || shares_text(index, event);
      const Mark at = replaying ? replay_origin_ : event.mark();

      std::expected<void, std::string> step;
      switch (event.kind) {
        case NodeEventKind::Scalar:
          step = scalar(event, copy, at);
          break;
        case NodeEventKind::SequenceStart:
        case NodeEventKind::MappingStart:
          step = open(event, at);
          break;
        case NodeEventKind::SequenceEnd:
        case NodeEventKind::MappingEnd:
          close();
          break;
        case NodeEventKind::Alias:
          step = alias(event, replaying, at);
          break;
        case NodeEventKind::UnknownAlias:
          step = fail(kUnknownAnchor, at);
          break;
        case NodeEventKind::AliasIntoOpenNode:
          // Expanding it would nest the node in itself without end.
          step = fail(kRecursionLimit, at);
          break;
      }
      if (!step) return std::unexpected(std::move(step.error()));
    }
    return std::move(root_);
  }

 private:
  // In the document's own pass, texts of nodes that an alias will replay must stay in place.
  bool shares_text(std::size_t index, const NodeEvent& event) noexcept {
    if (event.anchor != kNoAnchor) {
      const Anchor& anchor = document_.anchors[event.anchor];
      if (anchor.referenced) shared_until_ = std::max(shared_until_, anchor.last + 1);
    }
    return index < shared_until_;
  }

  std::expected<void, std::string> fail(std::string_view message, const Mark& at) const {
    return std::unexpected(message_at(message, at, text_));
  }

  bool expecting_key() const noexcept {
    return !frames_.empty() && frames_.back().mapping && !frames_.back().has_key;
  }

  std::expected<void, std::string> scalar(NodeEvent& event, bool copy, const Mark& at) {
    if (event.tag == Tag::Local) return fail(kLocalTag, at);
    std::string text = copy ? event.text : std::move(event.text);

    if (expecting_key()) {
      // Keys stay text as written; a typed tag only has to fit.
      if (event.tag != Tag::None && event.tag != Tag::Other) {
        if (auto checked = resolve_tagged(event.tag, text); !checked)
          return fail(checked.error(), at);
      }
      Frame& frame = frames_.back();
      frame.key = std::move(text);
      frame.has_key = true;
      return {};
    }

    auto value = scalar_value(event, text);
    if (!value) return fail(value.error(), at);
    attach(std::move(*value));
    return {};
  }

  static std::expected<LocaleValue, std::string> scalar_value(const NodeEvent& event,
                                                              std::string& text) {
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

  std::expected<void, std::string> open(const NodeEvent& event, const Mark& at) {
    if (event.tag == Tag::Local) return fail(kLocalTag, at);
    const bool mapping = event.kind == NodeEventKind::MappingStart;
    if (expecting_key()) return fail(mapping ? kMappingKey : kSequenceKey, at);
    if (frames_.size() >= kMaxDepth) return fail(kRecursionLimit, at);
    Frame& frame = frames_.emplace_back();
    frame.mapping = mapping;
    if (mapping) {
      frame.members.reserve(event.children / 2);
    } else {
      frame.items.reserve(event.children);
    }
    return {};
  }

  void close() {
    if (frames_.empty()) return;  // libyaml balances start and end events
    Frame frame = std::move(frames_.back());
    frames_.pop_back();
    if (!frame.mapping) {
      attach(LocaleValue::array(std::move(frame.items)));
      return;
    }
    put_in_key_order(frame.members);
    attach(LocaleValue::object(LocaleObject::from_members(std::move(frame.members))));
  }

  // Orders members by key, keeping of equal keys the last one only, so that from_members finds
  // them in order. Sorting indices moves each member once, where sorting the members themselves
  // moves them many times; locale files seldom keep their keys sorted.
  void put_in_key_order(std::vector<LocaleMember>& members) {
    const std::size_t count = members.size();
    std::size_t i = 1;
    while (i < count && key_less(members[i - 1].key, members[i].key)) ++i;
    if (i >= count) return;

    order_.resize(count);
    for (std::size_t k = 0; k < count; ++k) order_[k] = k;
    std::sort(order_.begin(), order_.end(), [&members](std::size_t a, std::size_t b) {
      const int compared = members[a].key.compare(members[b].key);
      return compared < 0 || (compared == 0 && a < b);
    });
    std::vector<LocaleMember> ordered;
    ordered.reserve(count);
    for (std::size_t k = 0; k < count; ++k) {
      LocaleMember& member = members[order_[k]];
      if (k + 1 < count && members[order_[k + 1]].key == member.key) continue;
      ordered.push_back(std::move(member));
    }
    members = std::move(ordered);
  }

  void attach(LocaleValue&& value) {
    if (frames_.empty()) {
      root_ = std::move(value);
      return;
    }
    Frame& frame = frames_.back();
    if (!frame.mapping) {
      frame.items.push_back(std::move(value));
      return;
    }
    frame.members.emplace_back(std::move(frame.key), std::move(value));
    frame.has_key = false;
  }

  std::expected<void, std::string> alias(const NodeEvent& event, bool replaying, const Mark& at) {
    const Anchor& anchor = document_.anchors[event.link];
    if (!replaying) {
      // Charge the whole replay, nested aliases included, before copying anything: alias bombs
      // fail here instead of after building their trees. Aliases met inside the replay were
      // charged with it.
      expansions_ = saturating_add(expansions_, saturating_add(anchor.expansions, 1));
      materialised_ = saturating_add(materialised_, anchor.nodes);
      if (expansions_ > limit_ || materialised_ > limit_) return fail(kRepetitionLimit, at);
      replay_origin_ = event.mark();
    }
    cursors_.push_back(Cursor{anchor.first, anchor.last + 1});
    return {};
  }

  Document& document_;
  std::string_view text_;
  const std::uint64_t limit_;
  std::vector<Cursor> cursors_;
  std::vector<Frame> frames_;
  std::vector<std::size_t> order_;  // scratch for put_in_key_order
  LocaleValue root_;
  Mark replay_origin_;
  std::size_t shared_until_ = 0;
  std::uint64_t expansions_ = 0;
  std::uint64_t materialised_ = 0;
};

}  // namespace

std::expected<LocaleValue, std::string> build_tree(Document& document, std::string_view text) {
  return TreeBuilder(document, text).build();
}

}  // namespace tarnevo::detail::yaml
