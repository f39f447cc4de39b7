#include "yaml/document_reader.hpp"

#include <algorithm>
#include <limits>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "yaml/limits.hpp"
#include "yaml/node_event.hpp"
#include "yaml/tree_builder.hpp"

namespace tarnevo::detail::yaml {

namespace {

constexpr std::string_view kMultipleDocuments =
    "deserializing from YAML containing more than one document is not supported";
constexpr std::size_t kNotRecorded = std::numeric_limits<std::size_t>::max();

std::uint32_t clamp_to_u32(std::size_t value) noexcept {
  return static_cast<std::uint32_t>(std::min<std::size_t>(value, UINT32_MAX));
}

const char* as_text(const yaml_char_t* text) noexcept {
  return reinterpret_cast<const char*>(text);
}

// The node properties of a libyaml event, whatever its kind.
struct Properties {
  NodeEventKind kind;
  const yaml_char_t* anchor = nullptr;
  const yaml_char_t* tag = nullptr;
};

bool properties_of(const yaml_event_t& raw, Properties& out) noexcept {
  switch (raw.type) {
    case YAML_SCALAR_EVENT:
      out = {NodeEventKind::Scalar, raw.data.scalar.anchor, raw.data.scalar.tag};
      return true;
    case YAML_SEQUENCE_START_EVENT:
      out = {NodeEventKind::SequenceStart, raw.data.sequence_start.anchor,
             raw.data.sequence_start.tag};
      return true;
    case YAML_MAPPING_START_EVENT:
      out = {NodeEventKind::MappingStart, raw.data.mapping_start.anchor,
             raw.data.mapping_start.tag};
      return true;
    case YAML_SEQUENCE_END_EVENT:
      out = {NodeEventKind::SequenceEnd};
      return true;
    case YAML_MAPPING_END_EVENT:
      out = {NodeEventKind::MappingEnd};
      return true;
    case YAML_ALIAS_EVENT:
      out = {NodeEventKind::Alias, raw.data.alias.anchor};
      return true;
    default:
      return false;
  }
}

class DocumentReader {
 public:
  DocumentReader(std::string_view text, format::KeyPositions* positions, tree::FillPlace place)
      : text_(text), builder_(recording_, text, positions, place) {}

  // Takes one node event (anything between the document's start and end events).
  std::expected<void, std::string> add(const Event& event) {
    Properties properties{};
    if (!properties_of(event.raw(), properties)) return {};
    ++event_count_;
    const NodeEventKind kind = properties.kind;
    const bool is_start =
        kind == NodeEventKind::SequenceStart || kind == NodeEventKind::MappingStart;
    const bool is_end = kind == NodeEventKind::SequenceEnd || kind == NodeEventKind::MappingEnd;
    if (is_start && open_.size() >= kMaxDepth) {
      // Fail as soon as the text itself nests too deep: libyaml's time grows with the square of
      // the nesting of flow collections, so reading on would let a small file stall the caller.
      return std::unexpected(message_at(kRecursionLimit, event.start(), text_));
    }
    if (kind == NodeEventKind::Alias && !recording_tail()) tail_start_ = recording_.events.size();

    const bool record = recording_tail() || open_anchored_ > 0 || properties.anchor != nullptr;
    // A streamed event reuses one NodeEvent and keeps no text: the builder copies a scalar's
    // text from libyaml's event straight into the tree.
    NodeEvent& node = record ? recording_.events.emplace_back() : streamed_;
    const std::size_t index = record ? recording_.events.size() - 1 : kNotRecorded;
    const yaml_mark_t& mark = event.raw().start_mark;
    node.line = clamp_to_u32(mark.line);
    node.column = clamp_to_u32(mark.column);
    node.kind = kind;
    node.tag = properties.tag != nullptr ? classify_tag(as_text(properties.tag)) : Tag::None;
    node.anchor = kNoAnchor;
    node.plain = false;

    std::string_view text;
    if (kind == NodeEventKind::Scalar) {
      const auto& scalar = event.raw().data.scalar;
      text = std::string_view(as_text(scalar.value), scalar.length);
      if (record) node.text.assign(text);
      node.plain = scalar.style == YAML_PLAIN_SCALAR_STYLE;
    }
    if (kind == NodeEventKind::Alias) {
      resolve_alias(node, properties.anchor);
    } else if (is_end) {
      close_node();
    } else {
      const Totals before{total_nodes_, total_bytes_};
      total_nodes_ = saturating_add(total_nodes_, 1);
      total_bytes_ = saturating_add(total_bytes_, text.size());
      std::uint32_t anchor = kNoAnchor;
      if (properties.anchor != nullptr) {
        auto defined =
            define_anchor(properties.anchor, index, kind == NodeEventKind::Scalar, before);
        if (!defined) return std::unexpected(message_at(defined.error(), event.start(), text_));
        anchor = *defined;
        node.anchor = anchor;
      }
      if (is_start) open_.push_back(OpenNode{anchor, !recording_tail() && anchor != kNoAnchor});
    }

    if (recording_tail()) return {};
    return builder_.take_streamed(node, text);
  }

  // After the document's end event: builds what was recorded for the aliases, and hands over.
  std::expected<LocaleValue, std::string> finish() {
    if (recording_tail()) {
      // The document's stream: its node events and its start and end events.
      const std::uint64_t stream_events = saturating_add(event_count_, 2);
      if (auto built = builder_.take_recorded(tail_start_, stream_events); !built) {
        return std::unexpected(std::move(built.error()));
      }
    }
    return builder_.take_root();
  }

 private:
  struct Totals {
    std::uint64_t nodes;
    std::uint64_t bytes;
  };

  struct OpenNode {
    std::uint32_t anchor;           // the anchor this node defines, or kNoAnchor
    bool anchored_while_streaming;  // counted in open_anchored_
  };

  bool recording_tail() const noexcept { return tail_start_ != kNotRecorded; }

  std::expected<std::uint32_t, std::string_view> define_anchor(const yaml_char_t* name,
                                                               std::size_t index, bool is_scalar,
                                                               const Totals& before) {
    if (recording_.anchors.size() >= kNoAnchor) return std::unexpected("too many anchors");
    const auto id = static_cast<std::uint32_t>(recording_.anchors.size());
    Anchor& anchor = recording_.anchors.emplace_back();
    anchor.first = index;
    anchor.last = index;
    if (is_scalar) {
      anchor.nodes = 1;
      anchor.bytes = difference(total_bytes_, before.bytes);
      closed_.push_back(true);
    } else {
      // The totals at the start for now; close_node turns them into the node's cost.
      anchor.expansions = total_expansions_;
      anchor.nodes = before.nodes;
      anchor.bytes = before.bytes;
      closed_.push_back(false);
      if (!recording_tail()) ++open_anchored_;
    }
    // A later anchor of the same name hides this one from then on.
    by_name_.insert_or_assign(std::string(as_text(name)), id);
    return id;
  }

  void close_node() {
    if (open_.empty()) return;  // libyaml pairs start and end events; stay safe regardless
    const OpenNode node = open_.back();
    open_.pop_back();
    if (node.anchored_while_streaming) --open_anchored_;
    if (node.anchor == kNoAnchor) return;
    Anchor& anchor = recording_.anchors[node.anchor];
    // An anchored node is recorded from its start, so its end is the latest recorded event.
    anchor.last = recording_.events.size() - 1;
    anchor.expansions = difference(total_expansions_, anchor.expansions);
    anchor.nodes = difference(total_nodes_, anchor.nodes);
    anchor.bytes = difference(total_bytes_, anchor.bytes);
    closed_[node.anchor] = true;
  }

  void resolve_alias(NodeEvent& node, const yaml_char_t* name) {
    const auto found = by_name_.find(std::string(as_text(name)));
    if (found == by_name_.end()) {
      node.kind = NodeEventKind::UnknownAlias;
      return;
    }
    const std::uint32_t id = found->second;
    if (!closed_[id]) {
      node.kind = NodeEventKind::AliasIntoOpenNode;
      return;
    }
    node.link = id;
    Anchor& anchor = recording_.anchors[id];
    anchor.referenced = true;
    total_expansions_ = saturating_add(total_expansions_, saturating_add(anchor.expansions, 1));
    total_nodes_ = saturating_add(total_nodes_, anchor.nodes);
    total_bytes_ = saturating_add(total_bytes_, anchor.bytes);
  }

  // A saturated total stays saturated, so a cost never shrinks through saturation.
  static std::uint64_t difference(std::uint64_t total, std::uint64_t before) noexcept {
    return total == std::numeric_limits<std::uint64_t>::max() ? total : total - before;
  }

  std::string_view text_;
  Recording recording_;
  TreeBuilder builder_;
  NodeEvent streamed_;  // the current event when it is not recorded (its text left empty)
  std::size_t tail_start_ = kNotRecorded;  // first recorded event of the tail, from the first alias
  std::size_t open_anchored_ = 0;  // anchored collections open while streaming: record inside
  std::uint64_t event_count_ = 0;
  // Over the whole document: alias expansions and materialised nodes a full build performs.
  std::uint64_t total_expansions_ = 0;
  std::uint64_t total_nodes_ = 0;
  std::uint64_t total_bytes_ = 0;  // scalar text, keys included
  std::vector<OpenNode> open_;
  std::vector<bool> closed_;  // per anchor: its node has ended
  std::unordered_map<std::string, std::uint32_t> by_name_;
};

}  // namespace

std::expected<LocaleValue, std::string> read_single_document(EventParser& parser,
                                                             std::string_view text,
                                                             format::KeyPositions* positions,
                                                             tree::FillPlace place) {
  Event event;
  std::optional<DocumentReader> reader;
  std::optional<LocaleValue> tree;
  for (;;) {
    if (!parser.next(event)) return std::unexpected(parser.error_message());
    switch (event.type()) {
      case YAML_STREAM_END_EVENT:
        return tree ? std::move(*tree) : LocaleValue::null();
      case YAML_DOCUMENT_START_EVENT:
        if (reader) return std::unexpected(message_at(kMultipleDocuments, event.start(), text));
        reader.emplace(text, positions, place);
        break;
      case YAML_DOCUMENT_END_EVENT:
        if (reader && !tree) {
          auto built = reader->finish();
          if (!built) return std::unexpected(std::move(built.error()));
          tree.emplace(std::move(*built));
        }
        break;
      default:
        if (reader && !tree) {
          if (auto added = reader->add(event); !added)
            return std::unexpected(std::move(added.error()));
        }
        break;
    }
  }
}

}  // namespace tarnevo::detail::yaml
