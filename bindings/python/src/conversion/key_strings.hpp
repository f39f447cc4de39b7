// The str objects made for object keys during one conversion, so that a key met again (the
// "one" and "other" of every plural, the "title" of every section) reuses its first str. A str
// is immutable, so sharing it between dicts is invisible, and its cached hash makes every later
// dict insertion with it cheaper. Every container stays new.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "pyref.hpp"
#include "python.hpp"

namespace tarnevo::python {

class KeyStrings {
 public:
  KeyStrings() = default;
  KeyStrings(const KeyStrings&) = delete;
  KeyStrings& operator=(const KeyStrings&) = delete;
  ~KeyStrings();

  // A new reference to the str for `key`, made on first use; empty with a Python error set when
  // making it failed. `key` must outlive this object (it points into the converted tree).
  PyRef get(std::string_view key);

 private:
  struct Slot {
    const char* data = nullptr;
    std::uint32_t size = 0;
    std::uint32_t hash = 0;
    PyObject* object = nullptr;  // a strong reference; null marks an empty slot
  };

  std::vector<Slot> slots_;
};

}  // namespace tarnevo::python
