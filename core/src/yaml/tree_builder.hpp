// Turns a YAML document's node events into a tree: typing scalars, expanding aliases by
// replaying their anchored events, and enforcing the nesting and repetition limits.
#pragma once

#include <cstdint>
#include <expected>
#include <string>
#include <string_view>
#include <vector>

#include "format/key_positions.hpp"
#include "tarnevo/value.hpp"
#include "tree/fill_place.hpp"
#include "tree/member_order.hpp"
#include "yaml/node_event.hpp"
#include "yaml/position.hpp"

namespace tarnevo::detail::yaml {

class TreeBuilder {
 public:
  // `recording` holds what aliases replay; `text` is the whole input, for positions in messages.
  // `positions`, when not null, records where each mapping key is written (a key copied through
  // an alias: where its anchored original is). `root` is where the document lands when it is
  // read only to fill another tree: a value there that filling could not use is checked as
  // usual but not built (left out of its mapping, null at the top).
  TreeBuilder(Recording& recording, std::string_view text, format::KeyPositions* positions,
              tree::FillPlace root = tree::FillPlace())
      : recording_(recording), text_(text), positions_(positions), root_place_(root) {}

  // One event straight from the stream, before any alias; a scalar's `text` is still in the
  // parser's event, and is copied from there once, into the tree.
  std::expected<void, std::string> take_streamed(const NodeEvent& event, std::string_view text);

  // The rest of the document, recorded from event `first` on because it holds aliases; the
  // document's full event count sets the repetition limits.
  std::expected<void, std::string> take_recorded(std::size_t first,
                                                 std::uint64_t stream_event_count);

  LocaleValue take_root() noexcept { return std::move(root_); }

 private:
  // A sequence or mapping under construction: its members or items are those of members_ or
  // items_ from `first` on. One stack for all open collections grows once to the document's
  // widest point, where a buffer per depth grew at every depth. A mapping's key is written
  // straight into a new last member, whose value the next node fills in.
  struct Frame {
    bool mapping = false;
    bool has_key = false;  // the last member holds a key and still awaits its value
    std::size_t first = 0;
    tree::FillPlace place;        // where the collection lands
    tree::FillPlace value_place;  // a mapping's: where the member being read lands
    // With positions: the mapping's key path, and that of the member being read.
    format::KeyPositions::Node node = format::KeyPositions::kNoPath;
    format::KeyPositions::Node key_node = format::KeyPositions::kNoPath;
  };

  // A run [next, stop) of recorded events replayed for an alias.
  struct Cursor {
    std::size_t next;
    std::size_t stop;
  };

  // A scalar's text: a view into the parser's event or the recording, or a recorded text that
  // nothing replays any more and that may be moved from.
  struct ScalarText {
    std::string_view view;
    std::string* movable = nullptr;
    std::string take() const {
      return movable != nullptr ? std::move(*movable) : std::string(view);
    }
    void move_to(std::string& out) const {
      if (movable != nullptr) {
        out = std::move(*movable);
      } else {
        out.assign(view);
      }
    }
  };

  std::expected<void, std::string> step(NodeEvent& event, bool copy, const Mark& at);
  std::expected<void, std::string> scalar(const NodeEvent& event, ScalarText text, const Mark& at);
  std::expected<void, std::string> open(const NodeEvent& event, const Mark& at);
  void close();
  LocaleValue& value_slot();
  void attach(LocaleValue&& value);
  void skip();
  std::expected<void, std::string> expand(const NodeEvent& alias);
  std::expected<void, std::string> fail(std::string_view message, const Mark& at) const;
  bool expecting_key() const noexcept;
  tree::FillPlace next_place() const noexcept;
  LocaleObject object_in_key_order(std::size_t first);

  Recording& recording_;
  std::string_view text_;
  format::KeyPositions* const positions_;
  std::uint64_t limit_ = 0;
  std::uint64_t node_limit_ = 0;
  std::uint64_t expansions_ = 0;
  std::uint64_t materialised_ = 0;
  std::uint64_t byte_limit_ = 0;
  std::uint64_t copied_bytes_ = 0;
  std::vector<Frame> frames_;  // per depth, kept for reuse
  std::vector<LocaleMember> members_;
  LocaleArray items_;
  std::size_t depth_ = 0;
  std::vector<Cursor> cursors_;
  std::vector<tree::KeyPrefix> order_;  // scratch for object_in_key_order
  tree::FillPlace root_place_;
  LocaleValue root_;
};

}  // namespace tarnevo::detail::yaml
