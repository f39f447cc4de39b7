#include "yaml_document.hpp"

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <utility>

namespace tarnevo::detail::yaml {

namespace {

constexpr std::string_view kMultipleDocuments =
    "deserializing from YAML containing more than one document is not supported";

std::uint64_t saturating_add(std::uint64_t a, std::uint64_t b) noexcept {
  return a > std::numeric_limits<std::uint64_t>::max() - b
             ? std::numeric_limits<std::uint64_t>::max()
             : a + b;
}

std::uint32_t clamp_to_u32(std::size_t value) noexcept {
  return static_cast<std::uint32_t>(std::min<std::size_t>(value, UINT32_MAX));
}

const char* as_text(const yaml_char_t* text) noexcept {
  return reinterpret_cast<const char*>(text);
}

// Collects node events into a Document. Running totals of alias expansions and materialised
// nodes over the whole document give each anchored node's cost as the difference between the
// totals at its end and at its start.
class Recorder {
 public:
  // Locale-like text averages well over 16 bytes per event; reserving for that saves most of
  // the vector's regrowth.
  explicit Recorder(std::size_t text_size) { events_.reserve(text_size / 16 + 16); }

  // Takes one node event (anything between the document's start and end events).
  std::expected<void, std::string> add(const Event& event, std::string_view text) {
    const yaml_event_t& raw = event.raw();
    switch (raw.type) {
      case YAML_SCALAR_EVENT: {
        NodeEvent& node = push(event, NodeEventKind::Scalar);
        node.text.assign(as_text(raw.data.scalar.value), raw.data.scalar.length);
        node.tag = classify_tag(as_text(raw.data.scalar.tag));
        node.plain = raw.data.scalar.style == YAML_PLAIN_SCALAR_STYLE;
        return open_node(raw.data.scalar.anchor, /*is_scalar=*/true, event, text);
      }
      case YAML_SEQUENCE_START_EVENT:
        push(event, NodeEventKind::SequenceStart).tag =
            classify_tag(as_text(raw.data.sequence_start.tag));
        return open_node(raw.data.sequence_start.anchor, /*is_scalar=*/false, event, text);
      case YAML_MAPPING_START_EVENT:
        push(event, NodeEventKind::MappingStart).tag =
            classify_tag(as_text(raw.data.mapping_start.tag));
        return open_node(raw.data.mapping_start.anchor, /*is_scalar=*/false, event, text);
      case YAML_SEQUENCE_END_EVENT:
        push(event, NodeEventKind::SequenceEnd);
        close_node();
        return {};
      case YAML_MAPPING_END_EVENT:
        push(event, NodeEventKind::MappingEnd);
        close_node();
        return {};
      case YAML_ALIAS_EVENT:
        add_alias(event);
        return {};
      default:
        return {};
    }
  }

  Document finish() && {
    Document document;
    document.events = std::move(events_);
    document.anchors = std::move(anchors_);
    return document;
  }

 private:
  NodeEvent& push(const Event& event, NodeEventKind kind) {
    const bool is_end = kind == NodeEventKind::SequenceEnd || kind == NodeEventKind::MappingEnd;
    if (!is_end && !open_.empty()) {
      std::uint32_t& children = events_[open_.back()].children;
      if (children != UINT32_MAX) ++children;
    }
    NodeEvent& node = events_.emplace_back();
    const yaml_mark_t& mark = event.raw().start_mark;
    node.line = clamp_to_u32(mark.line);
    node.column = clamp_to_u32(mark.column);
    node.kind = kind;
    return node;
  }

  std::expected<void, std::string> open_node(const yaml_char_t* anchor_name, bool is_scalar,
                                             const Event& event, std::string_view text) {
    const std::size_t index = events_.size() - 1;
    // The node itself counts before its content; a scalar has no content.
    const std::uint64_t nodes_before = total_nodes_;
    total_nodes_ = saturating_add(total_nodes_, 1);
    if (!is_scalar) open_.push_back(index);
    if (anchor_name == nullptr) return {};

    if (anchors_.size() >= kNoAnchor)
      return std::unexpected(message_at("too many anchors", event.start(), text));
    const auto anchor_index = static_cast<std::uint32_t>(anchors_.size());
    Anchor& anchor = anchors_.emplace_back();
    anchor.first = index;
    anchor.last = index;
    if (is_scalar) {
      anchor.nodes = 1;
      closed_.push_back(true);
    } else {
      // Totals at the start for now; close_node turns them into the node's cost.
      anchor.expansions = total_expansions_;
      anchor.nodes = nodes_before;
      closed_.push_back(false);
    }
    events_[index].anchor = anchor_index;
    // A later anchor of the same name hides this one from then on.
    by_name_.insert_or_assign(std::string(as_text(anchor_name)), anchor_index);
    return {};
  }

  void close_node() {
    const std::size_t last = events_.size() - 1;
    if (open_.empty()) return;  // libyaml pairs start and end events; stay safe regardless
    const std::size_t first = open_.back();
    open_.pop_back();
    NodeEvent& start = events_[first];
    start.link = last;
    if (start.anchor == kNoAnchor) return;
    Anchor& anchor = anchors_[start.anchor];
    anchor.last = last;
    anchor.expansions = difference(total_expansions_, anchor.expansions);
    anchor.nodes = difference(total_nodes_, anchor.nodes);
    closed_[start.anchor] = true;
  }

  void add_alias(const Event& event) {
    NodeEvent& node = push(event, NodeEventKind::Alias);
    const auto found = by_name_.find(std::string(as_text(event.raw().data.alias.anchor)));
    if (found == by_name_.end()) {
      node.kind = NodeEventKind::UnknownAlias;
      return;
    }
    const std::uint32_t anchor_index = found->second;
    if (!closed_[anchor_index]) {
      node.kind = NodeEventKind::AliasIntoOpenNode;
      return;
    }
    node.link = anchor_index;
    Anchor& anchor = anchors_[anchor_index];
    anchor.referenced = true;
    total_expansions_ = saturating_add(total_expansions_, saturating_add(anchor.expansions, 1));
    total_nodes_ = saturating_add(total_nodes_, anchor.nodes);
  }

  // A saturated total stays saturated, so a cost never shrinks through saturation.
  static std::uint64_t difference(std::uint64_t total, std::uint64_t before) noexcept {
    return total == std::numeric_limits<std::uint64_t>::max() ? total : total - before;
  }

  std::vector<NodeEvent> events_;
  std::vector<Anchor> anchors_;
  std::vector<bool> closed_;       // per anchor: its node has ended
  std::vector<std::size_t> open_;  // start events of the open sequences and mappings
  std::unordered_map<std::string, std::uint32_t> by_name_;
  std::uint64_t total_expansions_ = 0;
  std::uint64_t total_nodes_ = 0;
};

}  // namespace

std::expected<std::optional<Document>, std::string> read_single_document(EventParser& parser,
                                                                         std::string_view text) {
  Event event;
  std::optional<Recorder> recorder;
  bool document_done = false;
  for (;;) {
    if (!parser.next(event)) return std::unexpected(parser.error_message());
    switch (event.type()) {
      case YAML_STREAM_START_EVENT:
        break;
      case YAML_STREAM_END_EVENT:
        if (!recorder) return std::optional<Document>();
        return std::optional<Document>(std::move(*recorder).finish());
      case YAML_DOCUMENT_START_EVENT:
        if (recorder) return std::unexpected(message_at(kMultipleDocuments, event.start(), text));
        recorder.emplace(text.size());
        break;
      case YAML_DOCUMENT_END_EVENT:
        document_done = true;
        break;
      default:
        if (recorder && !document_done) {
          if (auto added = recorder->add(event, text); !added)
            return std::unexpected(std::move(added.error()));
        }
        break;
    }
  }
}

}  // namespace tarnevo::detail::yaml
