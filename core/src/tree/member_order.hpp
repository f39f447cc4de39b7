// Readers collect an object's members in text order; the tree wants them sorted by key bytes.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

#include "tarnevo/value.hpp"

namespace tarnevo::detail::tree {

// A position and the first eight bytes of its key as a big-endian number (zero-padded): most
// keys differ there, and comparing numbers is much cheaper than comparing the keys' bytes.
struct KeyPrefix {
  std::uint64_t prefix;
  std::uint32_t position;
};

inline std::uint64_t key_prefix(std::string_view key) noexcept {
  std::uint64_t prefix = 0;
  if (key.size() >= 8) {
    std::memcpy(&prefix, key.data(), 8);  // a fixed size: one load, no call
    if constexpr (std::endian::native == std::endian::little) prefix = __builtin_bswap64(prefix);
    return prefix;
  }
  for (std::size_t i = 0; i < key.size(); ++i)
    prefix |= std::uint64_t{static_cast<unsigned char>(key[i])} << (56 - 8 * i);
  return prefix;
}

// Sorts `positions` (rising: the order the text gave the members in) by the key that
// `key_of(position)` names, equal keys keeping that order, so that the last of them is the one
// given last. Positions are sorted rather than the members, so that each member moves once
// afterwards; `scratch` is the caller's, kept between objects. Returns false when they were in
// order already (nothing sorted), true when they were sorted.
template <typename KeyOf>
bool sort_by_key(std::span<std::uint32_t> positions, KeyOf&& key_of,
                 std::vector<KeyPrefix>& scratch) {
  bool in_order = true;
  for (std::size_t i = 1; i < positions.size() && in_order; ++i)
    in_order = key_less(key_of(positions[i - 1]), key_of(positions[i]));
  if (in_order) return false;
  scratch.clear();
  for (const std::uint32_t position : positions)
    scratch.push_back(KeyPrefix{key_prefix(key_of(position)), position});
  std::sort(scratch.begin(), scratch.end(), [&key_of](const KeyPrefix& a, const KeyPrefix& b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    const int by_key = compare_keys(key_of(a.position), key_of(b.position));
    return by_key < 0 || (by_key == 0 && a.position < b.position);
  });
  for (std::size_t i = 0; i < positions.size(); ++i) positions[i] = scratch[i].position;
  return true;
}

}  // namespace tarnevo::detail::tree
