// Readers collect an object's members in text order; the tree wants them sorted by key bytes.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

#include "tarnevo/value.hpp"

namespace tarnevo::detail::tree {

// A member's position among those a reader collected, and the first eight bytes of its key as a
// big-endian number (zero-padded): most keys differ there, so most comparisons while sorting are
// of two numbers, and only equal prefixes send them to the keys' bytes.
struct KeyPrefix {
  std::uint64_t prefix;
  std::uint32_t position;
};

inline KeyPrefix key_prefix(std::string_view key, std::uint32_t position) noexcept {
  std::uint64_t prefix = 0;
  if (key.size() >= 8) {
    std::memcpy(&prefix, key.data(), 8);  // a fixed size: one load, no call
    if constexpr (std::endian::native == std::endian::little) prefix = __builtin_bswap64(prefix);
  } else if (key.size() >= 4) {
    // Two four-byte loads that may overlap, shifted into place.
    std::uint32_t head;
    std::uint32_t tail;
    std::memcpy(&head, key.data(), 4);
    std::memcpy(&tail, key.data() + key.size() - 4, 4);
    if constexpr (std::endian::native == std::endian::little) {
      head = __builtin_bswap32(head);
      tail = __builtin_bswap32(tail);
    }
    prefix = std::uint64_t{head} << 32 | std::uint64_t{tail} << (64 - 8 * key.size());
  } else {
    for (std::size_t i = 0; i < key.size(); ++i)
      prefix |= std::uint64_t{static_cast<unsigned char>(key[i])} << (56 - 8 * i);
  }
  return KeyPrefix{prefix, position};
}

// Sorts `members` (made by key_prefix, positions rising: the order the text gave) by the key that
// `key_of(position)` names, equal keys keeping that order (next to each other, the one given last
// last). Positions are sorted rather than the members, so that each member moves once afterwards;
// members already in order (most objects) are only checked.
template <typename KeyOf>
void sort_by_key(std::span<KeyPrefix> members, KeyOf&& key_of) {
  const auto less = [&key_of](const KeyPrefix& a, const KeyPrefix& b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    const int by_key = compare_keys(key_of(a.position), key_of(b.position));
    return by_key < 0 || (by_key == 0 && a.position < b.position);
  };
  if (!std::is_sorted(members.begin(), members.end(), less)) {
    std::sort(members.begin(), members.end(), less);
  }
}

}  // namespace tarnevo::detail::tree
