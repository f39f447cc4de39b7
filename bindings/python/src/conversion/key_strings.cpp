#include "conversion/key_strings.hpp"

#include <cstring>

#include "conversion/text_object.hpp"

namespace tarnevo::python {
namespace {

// A quick hash of a short byte string; the table compares the bytes anyway.
std::uint32_t hash_key(std::string_view key) noexcept {
  constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
  std::uint64_t h = key.size() * kMultiplier;
  const char* p = key.data();
  std::size_t n = key.size();
  for (; n >= 8; p += 8, n -= 8) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    h = (h ^ word) * kMultiplier;
    h ^= h >> 29;
  }
  if (n != 0) {
    std::uint64_t word = 0;
    std::memcpy(&word, p, n);
    h = (h ^ word) * kMultiplier;
    h ^= h >> 29;
  }
  return static_cast<std::uint32_t>(h ^ h >> 32);
}

// A direct-mapped table: a key whose slot holds another key simply takes the slot over. Keys
// that repeat (plural forms, "title", "label") keep finding their str; a locale of mostly
// distinct keys costs no more than a fixed, cache-sized table.
constexpr std::size_t kSlots = 2048;

}  // namespace

KeyStrings::~KeyStrings() {
  for (const Slot& slot : slots_) Py_XDECREF(slot.object);
}

PyRef KeyStrings::get(std::string_view key) {
  // Keys too long for the slot's size field are simply not shared.
  if (key.size() > UINT32_MAX) return PyRef::steal(make_text(key));
  if (slots_.empty()) slots_.resize(kSlots);
  const std::uint32_t hash = hash_key(key);
  Slot& slot = slots_[hash & (kSlots - 1)];
  if (slot.object != nullptr && slot.hash == hash && slot.size == key.size() &&
      std::memcmp(slot.data, key.data(), key.size()) == 0) {
    return PyRef::borrow(slot.object);
  }
  PyObject* made = make_text(key);
  if (made == nullptr) return {};
  Py_XDECREF(slot.object);
  slot = Slot{key.data(), static_cast<std::uint32_t>(key.size()), hash, made};
  return PyRef::borrow(made);
}

}  // namespace tarnevo::python
