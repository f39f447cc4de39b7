// Where each object member's key is written in a locale file: what a reader records when the
// command asks for it (to place its findings), and nothing the loader ever builds.
//
// Keys form a tree of nodes, one per key path, each knowing its parent; a reader records a member
// under the node of the object holding it, so recording costs one hash lookup per member
// whatever the depth, and the whole file stays linear in its length. Members inside arrays have
// no key path and are not recorded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "text/seeded_hash.hpp"

namespace tarnevo::detail::format {

// 1-based; the column counts characters (not bytes) from the start of the line.
struct KeyPosition {
  std::uint32_t line = 0;
  std::uint32_t column = 0;

  friend bool operator==(const KeyPosition&, const KeyPosition&) = default;
};

class KeyPositions {
 public:
  using Node = std::uint32_t;
  // The file's top-level object.
  static constexpr Node kRoot = 0;
  // What lies inside an array: members recorded under it are dropped.
  static constexpr Node kNoPath = UINT32_MAX;

  // Which position a key path written twice keeps: the last for JSON and YAML, whose trees keep
  // the last value; the first for TOML, where a key is made once (a dotted header makes its
  // tables, and a later header only defines them).
  enum class Repeat : std::uint8_t { KeepLast, KeepFirst };

  KeyPositions();

  // The member `key` of the object at `parent`, written at byte `offset` of the text (resolved
  // into a line and a column by resolve_offsets). Returns the member's node.
  Node add_at_offset(Node parent, std::string_view key, std::size_t offset, Repeat repeat);
  // The same, at a known line and column.
  Node add_at(Node parent, std::string_view key, KeyPosition position, Repeat repeat);
  // Members later recorded under `node` are dropped: it holds an array (of TOML tables).
  void mark_array(Node node);
  // Turns the byte offsets recorded so far into lines and columns in `text`: one pass over it.
  // A line ends at a line feed, or at a carriage return not followed by one.
  void resolve_offsets(std::string_view text);

  // The member `key` of the object at `parent`, or kNoPath.
  Node child(Node parent, std::string_view key) const;
  // Where the member at `node` is written; none for the root, kNoPath or an unresolved offset.
  std::optional<KeyPosition> position(Node node) const;
  // The position of the member at a key path (segments as in the tree, outermost first).
  template <class Path>
  std::optional<KeyPosition> find(const Path& path) const {
    Node node = kRoot;
    for (const auto& segment : path) {
      node = child(node, std::string_view(segment));
      if (node == kNoPath) return std::nullopt;
    }
    return position(node);
  }

  // How many members were recorded (distinct key paths).
  std::size_t size() const noexcept { return nodes_.size() - 1; }

 private:
  struct Entry {
    std::size_t offset = 0;
    KeyPosition position;  // line 0 while the offset is not resolved
    bool array = false;
  };

  struct ChildKey {
    Node parent;
    std::string key;
  };
  struct ChildRef {
    Node parent;
    std::string_view key;
  };
  // Seeded per KeyPositions: keys come from files that anyone may write.
  struct ChildHash {
    using is_transparent = void;
    std::uint64_t seed = 0;
    std::size_t operator()(const ChildRef& ref) const noexcept {
      return text::seeded_hash(ref.key, seed ^ (std::uint64_t{ref.parent} * 0x9E3779B97F4A7C15ull));
    }
    std::size_t operator()(const ChildKey& key) const noexcept {
      return (*this)(ChildRef{key.parent, key.key});
    }
  };
  struct ChildEqual {
    using is_transparent = void;
    static ChildRef ref(const ChildKey& key) noexcept { return {key.parent, key.key}; }
    static ChildRef ref(const ChildRef& ref) noexcept { return ref; }
    template <class A, class B>
    bool operator()(const A& a, const B& b) const noexcept {
      const ChildRef x = ref(a);
      const ChildRef y = ref(b);
      return x.parent == y.parent && x.key == y.key;
    }
  };

  Node add(Node parent, std::string_view key, const Entry& entry, Repeat repeat);

  std::vector<Entry> nodes_;
  std::unordered_map<ChildKey, Node, ChildHash, ChildEqual> children_;
  // Nodes whose offsets wait for resolve_offsets.
  std::vector<Node> pending_;
};

}  // namespace tarnevo::detail::format
