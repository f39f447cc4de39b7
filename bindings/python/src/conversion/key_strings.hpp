// The str objects made for object keys by one loader's conversions, so that a key met again (the
// "one" and "other" of every plural, the "title" of every section, and every key of a second
// locale, whose keys are mostly the first one's) reuses its first str. A str is immutable, so
// sharing it between dicts and results is invisible, and its cached hash makes every later dict
// insertion with it cheaper. Every container stays new. The table lives and dies with the
// loader's result cache (clear_cache and reload keep it: a locale loaded again makes no new key
// strs) and holds at most kMaxKeys keys; a key met once it is full gets a str of its own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pyref.hpp"
#include "python.hpp"

namespace tarnevo::python {

class KeyStrings {
 public:
  static constexpr std::size_t kMaxKeys = std::size_t{1} << 16;

  KeyStrings() noexcept;
  KeyStrings(const KeyStrings&) = delete;
  KeyStrings& operator=(const KeyStrings&) = delete;
  ~KeyStrings();

  // A new reference to the str for `key`, made on first use; empty with a Python error set when
  // making it failed. Python code may run inside (a finalizer while the str is made) and call
  // this again: no reference into the table is held across it.
  PyRef get(std::string_view key);
  // A conversion starts: its keys are expected from the first kept one on.
  void restart() noexcept { next_ = 0; }

 private:
  struct Key {
    std::uint32_t offset;  // of the key's bytes in `bytes_`
    std::uint32_t size;
    PyObject* object;  // a strong reference
  };
  // Small, so that the index stays in the cache: a key's hash and its place in `keys_`.
  struct Slot {
    std::uint32_t hash = 0;
    std::uint32_t key = kEmpty;
  };
  static constexpr std::uint32_t kEmpty = UINT32_MAX;

  // The slot holding `key`, or the empty slot where it would go.
  std::size_t find(std::string_view key, std::uint32_t hash) const noexcept;
  void grow();

  std::vector<Slot> slots_;  // open addressing, linear probing, at most half full
  std::vector<Key> keys_;    // in the order they were kept
  std::string bytes_;        // every kept key's bytes, one after another
  std::uint64_t seed_;
  std::size_t next_ = 0;  // the kept key expected next
};

}  // namespace tarnevo::python
