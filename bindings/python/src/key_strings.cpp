#include "key_strings.hpp"

#include <cstring>

#include "text_object.hpp"

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

constexpr std::size_t kInitialSlots = 256;

}  // namespace

KeyStrings::~KeyStrings() {
  for (const Slot& slot : slots_) Py_XDECREF(slot.object);
}

PyRef KeyStrings::get(std::string_view key) {
  // Keys too long for the slot's size field are simply not shared.
  if (key.size() > UINT32_MAX) return PyRef::steal(make_text(key));
  if ((used_ + 1) * 2 > slots_.size()) grow();
  const std::uint32_t hash = hash_key(key);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    Slot& slot = slots_[at];
    if (slot.object == nullptr) {
      PyObject* made = make_text(key);
      if (made == nullptr) return {};
      slot = Slot{key.data(), static_cast<std::uint32_t>(key.size()), hash, made};
      ++used_;
      return PyRef::borrow(made);
    }
    if (slot.hash == hash && slot.size == key.size() &&
        std::memcmp(slot.data, key.data(), key.size()) == 0) {
      return PyRef::borrow(slot.object);
    }
  }
}

void KeyStrings::grow() {
  std::vector<Slot> old(slots_.empty() ? kInitialSlots : slots_.size() * 2);
  old.swap(slots_);
  const std::size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.object == nullptr) continue;
    std::size_t at = slot.hash & mask;
    while (slots_[at].object != nullptr) at = (at + 1) & mask;
    slots_[at] = slot;
  }
}

}  // namespace tarnevo::python
