#include "format/key_positions.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "text/seeded_hash.hpp"

namespace tarnevo::detail::format {

namespace {

std::uint32_t saturated(std::size_t value) noexcept {
  return static_cast<std::uint32_t>(
      std::min<std::size_t>(value, std::numeric_limits<std::uint32_t>::max()));
}

bool is_continuation_byte(char c) noexcept {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Whether a carriage return ends a line on its own somewhere (not followed by a line feed).
bool has_lone_carriage_return(std::string_view text) noexcept {
  for (std::size_t at = text.find('\r'); at != std::string_view::npos;
       at = text.find('\r', at + 1)) {
    if (at + 1 == text.size() || text[at + 1] != '\n') return true;
  }
  return false;
}

}  // namespace

KeyPositions::KeyPositions()
    : nodes_(1),
      index_(16, 0),
      seed_(std::bit_cast<std::uintptr_t>(this) * 0xD6E8FEB86659FD93ull) {}

std::uint32_t KeyPositions::hash_of(Node parent, std::string_view key) const noexcept {
  return text::seeded_hash(key, seed_ ^ (std::uint64_t{parent} * 0x9E3779B97F4A7C15ull));
}

std::size_t KeyPositions::slot_of(Node parent, std::string_view key,
                                  std::uint32_t hash) const noexcept {
  const std::size_t mask = index_.size() - 1;
  for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const Node entry = index_[slot];
    if (entry == 0) return slot;
    const Entry& held = nodes_[entry - 1];
    if (held.hash == hash && held.parent == parent && key_of(held) == key) return slot;
  }
}

void KeyPositions::grow_index() {
  index_.assign(index_.size() * 2, 0);
  const std::size_t mask = index_.size() - 1;
  for (std::size_t node = 1; node < nodes_.size(); ++node) {
    std::size_t slot = nodes_[node].hash & mask;
    while (index_[slot] != 0) slot = (slot + 1) & mask;
    index_[slot] = static_cast<Node>(node + 1);
  }
}

KeyPositions::Node KeyPositions::add(Node parent, std::string_view key, std::size_t offset,
                                     KeyPosition position, Repeat repeat) {
  if (parent == kNoPath || nodes_[parent].array) return kNoPath;
  const std::uint32_t hash = hash_of(parent, key);
  const std::size_t slot = slot_of(parent, key, hash);
  if (index_[slot] != 0) {
    const Node node = index_[slot] - 1;
    Entry& entry = nodes_[node];
    if (repeat == Repeat::KeepLast) {
      const bool was_resolved = entry.position.line != 0;
      entry.offset = offset;
      entry.position = position;
      if (was_resolved && position.line == 0) pending_.push_back(node);
    }
    return node;
  }
  // Node numbers (plus one, in the index) are 32 bits: a file with more members than that keeps
  // the first ones, and a key of 4 GiB is not placed.
  if (nodes_.size() + 1 >= kNoPath || key.size() > std::numeric_limits<std::uint32_t>::max()) {
    return kNoPath;
  }
  const auto node = static_cast<Node>(nodes_.size());
  Entry& entry = nodes_.emplace_back();
  entry.offset = offset;
  entry.key_begin = keys_.size();
  entry.key_size = static_cast<std::uint32_t>(key.size());
  entry.parent = parent;
  entry.hash = hash;
  entry.position = position;
  keys_.append(key);
  index_[slot] = node + 1;
  if (nodes_.size() * 2 > index_.size()) grow_index();
  if (position.line == 0) pending_.push_back(node);
  return node;
}

KeyPositions::Node KeyPositions::add_at_offset(Node parent, std::string_view key,
                                               std::size_t offset, Repeat repeat) {
  return add(parent, key, offset, {}, repeat);
}

KeyPositions::Node KeyPositions::add_at(Node parent, std::string_view key, KeyPosition position,
                                        Repeat repeat) {
  return add(parent, key, 0, position, repeat);
}

void KeyPositions::mark_array(Node node) {
  if (node != kNoPath) nodes_[node].array = true;
}

// Readers record keys in text order, so the pending offsets are nearly always sorted already;
// one sweep over the text then places them all, however many keys share a line. Line feeds are
// found with memchr and only the bytes before a key on its own line are counted, one by one,
// unless some carriage return ends a line on its own.
void KeyPositions::resolve_offsets(std::string_view text) {
  std::erase_if(pending_, [this](Node node) { return nodes_[node].position.line != 0; });
  const auto by_offset = [this](Node a, Node b) { return nodes_[a].offset < nodes_[b].offset; };
  if (!std::is_sorted(pending_.begin(), pending_.end(), by_offset)) {
    std::sort(pending_.begin(), pending_.end(), by_offset);
  }
  const bool lone_carriage_returns = has_lone_carriage_return(text);
  const char* const data = text.data();
  std::size_t at = 0;
  std::size_t line = 1;
  std::size_t column = 1;
  for (const Node node : pending_) {
    const std::size_t target = std::min(nodes_[node].offset, text.size());
    if (lone_carriage_returns) {
      for (; at < target; ++at) {
        const char c = data[at];
        if (c == '\n' || (c == '\r' && (at + 1 == text.size() || data[at + 1] != '\n'))) {
          ++line;
          column = 1;
        } else if (!is_continuation_byte(c)) {
          ++column;
        }
      }
    } else {
      for (const void* found; at < target && (found = std::memchr(data + at, '\n', target - at));) {
        at = static_cast<std::size_t>(static_cast<const char*>(found) - data) + 1;
        ++line;
        column = 1;
      }
      for (; at < target; ++at) column += is_continuation_byte(data[at]) ? 0 : 1;
    }
    nodes_[node].position = KeyPosition{saturated(line), saturated(column)};
  }
  pending_.clear();
}

KeyPositions::Node KeyPositions::child(Node parent, std::string_view key) const {
  if (parent == kNoPath) return kNoPath;
  const Node entry = index_[slot_of(parent, key, hash_of(parent, key))];
  return entry == 0 ? kNoPath : entry - 1;
}

std::optional<KeyPosition> KeyPositions::position(Node node) const {
  if (node == kRoot || node >= nodes_.size() || nodes_[node].position.line == 0) {
    return std::nullopt;
  }
  return nodes_[node].position;
}

}  // namespace tarnevo::detail::format
