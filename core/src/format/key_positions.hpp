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
#include <vector>

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
    // The key, in keys_.
    std::size_t key_begin = 0;
    std::uint32_t key_size = 0;
    Node parent = kNoPath;
    std::uint32_t hash = 0;
    KeyPosition position;  // line 0 while the offset is not resolved
    bool array = false;
  };

  std::uint32_t hash_of(Node parent, std::string_view key) const noexcept;
  std::string_view key_of(const Entry& entry) const noexcept {
    return std::string_view(keys_).substr(entry.key_begin, entry.key_size);
  }
  // The index slot holding (parent, key), or the free slot where it would go.
  std::size_t slot_of(Node parent, std::string_view key, std::uint32_t hash) const noexcept;
  void grow_index();
  Node add(Node parent, std::string_view key, std::size_t offset, KeyPosition position,
           Repeat repeat);

  // Node 0 is the root. Every key lives in one buffer, and an open-addressing index (node + 1,
  // 0 for a free slot; at most half full) finds a member by its parent and key: recording costs
  // no allocation per key (bench/cpp/reader_throughput's texts under callgrind).
  std::vector<Entry> nodes_;
  std::string keys_;
  std::vector<Node> index_;
  // Seeded from where the positions were made, as the TOML reader's tables are: keys come from
  // files that anyone may write.
  std::uint64_t seed_;
  // Nodes whose offsets wait for resolve_offsets.
  std::vector<Node> pending_;
};

}  // namespace tarnevo::detail::format
