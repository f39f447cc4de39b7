// A hash of text under a seed chosen per table, for tables whose keys come from files: a text
// whose keys were chosen to collide in one table cannot count on colliding in the next one.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace tarnevo::detail::text {

inline std::uint32_t seeded_hash(std::string_view key, std::uint64_t seed) noexcept {
  std::uint64_t h = seed ^ key.size();
  const char* p = key.data();
  std::size_t left = key.size();
  for (; left > 8; p += 8, left -= 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    h = (h ^ word) * 0xBF58476D1CE4E5B9ull;
    h ^= h >> 29;
  }
  // The last (up to) eight bytes: one load that may overlap the words before, when there are any.
  std::uint64_t tail = 0;
  if (key.size() >= 8) {
    std::memcpy(&tail, key.data() + key.size() - 8, 8);
  } else {
    for (std::size_t i = 0; i < left; ++i) tail = tail << 8 | static_cast<unsigned char>(p[i]);
  }
  h = (h ^ tail) * 0x94D049BB133111EBull;
  h ^= h >> 31;
  return static_cast<std::uint32_t>(h ^ (h >> 32));
}

}  // namespace tarnevo::detail::text
