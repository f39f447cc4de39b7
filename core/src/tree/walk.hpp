// The one way the project walks a tree: depth first, with an explicit list of the containers
// that are open instead of recursion, because namespaces can nest a tree thousands of levels
// deep and no walk may run out of stack. Copy, destruction, comparison, filling, the JSON writer
// and the Python conversion are visitors of this walk.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "tarnevo/value.hpp"

namespace tarnevo::detail::tree {

// What a visitor wants done with the child it was shown.
enum class Step : std::uint8_t {
  Skip,     // go on with the next sibling
  Descend,  // a container: open it and walk its children next
  Stop,     // end the whole walk; walk() returns false
};

// Whether `value` is an array or object with at least one child.
inline bool is_filled_container(const LocaleValue& value) noexcept {
  return (value.is_array() && !value.as_array().empty()) ||
         (value.is_object() && !value.as_object().empty());
}

// Walks the descendants of `root`, an array or an object; `Value` is LocaleValue or const
// LocaleValue. Each open container carries a `Visitor::Link`: whatever the visitor keeps beside
// it (its twin in a copy, its counterpart in a comparison, the Python object made for it). The
// visitor provides:
//   void open(Value& container, Link& link)
//       the root, and each container a child() call descended into, before its children; it
//       may still change the container's children (the walk counts them after it returns)
//   Step child(Value& parent, Link& parent_link, std::size_t index, const std::string* key,
//              Value& child, Link& child_link)
//       each child in order; `key` is null for array items; to descend, set `child_link`
//   void close(Value& container, Link& link)
//       after the container's last child has been walked; the container's children may be
//       replaced or moved here, since nothing below it is open any more
// Only containers are ever descended into. Returns false when the visitor stopped the walk.
template <class Value, class Visitor>
bool walk(Value& root, typename Visitor::Link root_link, Visitor& visitor) {
  static_assert(std::is_same_v<std::remove_const_t<Value>, LocaleValue>);
  using Link = typename Visitor::Link;
  struct Frame {
    Value* container;
    std::size_t next;
    std::size_t size;
    Link link;
  };
  // Real locale files stay within a few dozen levels: the first frames live on the stack, and
  // only deeper trees (namespaces of many segments) move them to the heap, doubling its room.
  constexpr std::size_t kInlineFrames = 32;
  std::array<Frame, kInlineFrames> inline_frames;
  std::vector<Frame> spilled;
  Frame* frames = inline_frames.data();
  std::size_t capacity = kInlineFrames;
  std::size_t depth = 0;
  const auto open = [&](Value& container, const Link& link) {
    if (depth == capacity) {
      spilled.resize(capacity * 2);
      if (frames == inline_frames.data()) {
        std::copy(inline_frames.begin(), inline_frames.end(), spilled.begin());
      }
      frames = spilled.data();
      capacity = spilled.size();
    }
    Frame& frame = frames[depth++];
    frame = Frame{&container, 0, 0, link};
    visitor.open(container, frame.link);
    frame.size = container.is_array() ? container.as_array().size() : container.as_object().size();
  };

  open(root, root_link);
  while (depth != 0) {
    Frame& top = frames[depth - 1];
    if (top.next == top.size) {
      visitor.close(*top.container, top.link);
      --depth;
      continue;
    }
    const std::size_t index = top.next++;
    Value& parent = *top.container;
    Link child_link{};
    Step step;
    Value* child;
    if (parent.is_array()) {
      child = &parent.as_array()[index];
      step = visitor.child(parent, top.link, index, static_cast<const std::string*>(nullptr),
                           *child, child_link);
    } else {
      auto& member = parent.as_object().members()[index];
      child = &member.value;
      step = visitor.child(parent, top.link, index, &member.key, *child, child_link);
    }
    if (step == Step::Descend) {
      open(*child, child_link);  // `top` may be invalid from here on
    } else if (step == Step::Stop) {
      return false;
    }
  }
  return true;
}

}  // namespace tarnevo::detail::tree
