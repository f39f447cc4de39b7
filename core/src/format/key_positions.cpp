#include "format/key_positions.hpp"

#include <algorithm>
#include <bit>
#include <limits>
#include <utility>

namespace tarnevo::detail::format {

namespace {

std::uint32_t saturated(std::size_t value) noexcept {
  return static_cast<std::uint32_t>(
      std::min<std::size_t>(value, std::numeric_limits<std::uint32_t>::max()));
}

}  // namespace

// Seeded from where the positions live, as the TOML reader's tables are.
KeyPositions::KeyPositions()
    : nodes_(1),
      children_(0, ChildHash{std::bit_cast<std::uintptr_t>(this) * 0xD6E8FEB86659FD93ull}) {}

KeyPositions::Node KeyPositions::add(Node parent, std::string_view key, const Entry& entry,
                                     Repeat repeat) {
  if (parent == kNoPath || nodes_[parent].array) return kNoPath;
  const auto found = children_.find(ChildRef{parent, key});
  if (found != children_.end()) {
    const Node node = found->second;
    if (repeat == Repeat::KeepLast) {
      const bool was_resolved = nodes_[node].position.line != 0;
      nodes_[node].offset = entry.offset;
      nodes_[node].position = entry.position;
      if (was_resolved && entry.position.line == 0) pending_.push_back(node);
    }
    return node;
  }
  // Node numbers are 32 bits; a file with more members than that keeps the first ones.
  if (nodes_.size() >= kNoPath) return kNoPath;
  const auto node = static_cast<Node>(nodes_.size());
  nodes_.push_back(entry);
  children_.emplace(ChildKey{parent, std::string(key)}, node);
  if (entry.position.line == 0) pending_.push_back(node);
  return node;
}

KeyPositions::Node KeyPositions::add_at_offset(Node parent, std::string_view key,
                                               std::size_t offset, Repeat repeat) {
  return add(parent, key, Entry{offset, {}, false}, repeat);
}

KeyPositions::Node KeyPositions::add_at(Node parent, std::string_view key, KeyPosition position,
                                        Repeat repeat) {
  return add(parent, key, Entry{0, position, false}, repeat);
}

void KeyPositions::mark_array(Node node) {
  if (node != kNoPath) nodes_[node].array = true;
}

// Readers record keys in text order, so the pending offsets are nearly always sorted already;
// one sweep over the text then places them all, however many keys share a line.
void KeyPositions::resolve_offsets(std::string_view text) {
  std::erase_if(pending_, [this](Node node) { return nodes_[node].position.line != 0; });
  const auto by_offset = [this](Node a, Node b) { return nodes_[a].offset < nodes_[b].offset; };
  if (!std::is_sorted(pending_.begin(), pending_.end(), by_offset)) {
    std::sort(pending_.begin(), pending_.end(), by_offset);
  }
  std::size_t at = 0;
  std::size_t line = 1;
  std::size_t column = 1;
  for (const Node node : pending_) {
    const std::size_t target = std::min(nodes_[node].offset, text.size());
    for (; at < target; ++at) {
      const auto byte = static_cast<unsigned char>(text[at]);
      if (byte == '\n' || (byte == '\r' && (at + 1 == text.size() || text[at + 1] != '\n'))) {
        ++line;
        column = 1;
      } else if ((byte & 0xC0) != 0x80) {  // not a UTF-8 continuation byte: a new character
        ++column;
      }
    }
    nodes_[node].position = KeyPosition{saturated(line), saturated(column)};
  }
  pending_.clear();
}

KeyPositions::Node KeyPositions::child(Node parent, std::string_view key) const {
  if (parent == kNoPath) return kNoPath;
  const auto found = children_.find(ChildRef{parent, key});
  return found == children_.end() ? kNoPath : found->second;
}

std::optional<KeyPosition> KeyPositions::position(Node node) const {
  if (node == kRoot || node >= nodes_.size() || nodes_[node].position.line == 0) {
    return std::nullopt;
  }
  return nodes_[node].position;
}

}  // namespace tarnevo::detail::format
