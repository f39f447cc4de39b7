#include "conversion/key_strings.hpp"

#include <bit>
#include <cstring>
#include <limits>

#include "conversion/text_object.hpp"
#include "text/seeded_hash.hpp"

namespace tarnevo::python {
namespace {

// Enough for the keys of a small locale without growing.
constexpr std::size_t kFirstSlots = 2048;
// Keys longer than this are not worth a place in the table (nor are they repeated much).
constexpr std::size_t kMaxKeyBytes = 256;

}  // namespace

// The keys come from files: a seed of its own per table, so that keys chosen to collide cannot
// count on it.
KeyStrings::KeyStrings() noexcept
    : seed_(std::bit_cast<std::uintptr_t>(this) * 0xA24BAED4963EE407ull) {}

KeyStrings::~KeyStrings() {
  for (const Key& key : keys_) Py_DECREF(key.object);
}

std::size_t KeyStrings::find(std::string_view key, std::uint32_t hash) const noexcept {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.key == kEmpty) return at;
    if (slot.hash != hash) continue;
    const Key& kept = keys_[slot.key];
    if (kept.size == key.size() &&
        std::memcmp(bytes_.data() + kept.offset, key.data(), key.size()) == 0) {
      return at;
    }
  }
}

void KeyStrings::grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(old.empty() ? kFirstSlots : old.size() * 2, Slot{});
  const std::size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.key == kEmpty) continue;
    std::size_t at = slot.hash & mask;
    while (slots_[at].key != kEmpty) at = (at + 1) & mask;
    slots_[at] = slot;
  }
}

// Every conversion meets the keys in much the order the first one kept them (another locale has
// the same structure, its objects' members in the same key order): the key after the last one met
// is compared first, walking the kept keys and their strs in memory order, and only a key met out
// of that order is looked up in the index, whose slots lie scattered over some hundred kilobytes.
PyRef KeyStrings::get(std::string_view key) {
  if (next_ < keys_.size()) {
    const Key& expected = keys_[next_];
    if (expected.size == key.size() &&
        std::memcmp(bytes_.data() + expected.offset, key.data(), key.size()) == 0) {
      ++next_;
      return PyRef::borrow(expected.object);
    }
  }
  if (key.size() > kMaxKeyBytes) return PyRef::steal(make_text(key));
  const std::uint32_t hash = detail::text::seeded_hash(key, seed_);
  if (!slots_.empty()) {
    const Slot& slot = slots_[find(key, hash)];
    if (slot.key != kEmpty) {
      // A key met again within one conversion (the "one" of every plural) leaves the order
      // where it is; one further on means the keys between are not in this tree.
      if (slot.key >= next_) next_ = slot.key + 1;
      return PyRef::borrow(keys_[slot.key].object);
    }
  }
  PyRef made = PyRef::steal(make_text(key));
  if (!made) return {};
  if (keys_.size() >= kMaxKeys ||
      bytes_.size() + key.size() > std::numeric_limits<std::uint32_t>::max()) {
    return made;
  }
  // Making the str may have run Python code that used this table: look again.
  if ((keys_.size() + 1) * 2 > slots_.size()) grow();
  Slot& slot = slots_[find(key, hash)];
  if (slot.key != kEmpty) return PyRef::borrow(keys_[slot.key].object);
  const bool in_order = next_ == keys_.size();
  const auto offset = static_cast<std::uint32_t>(bytes_.size());
  bytes_.append(key);
  keys_.push_back(Key{offset, static_cast<std::uint32_t>(key.size()), nullptr});
  keys_.back().object = PyRef::borrow(made.get()).release();
  slot = Slot{hash, static_cast<std::uint32_t>(keys_.size() - 1)};
  if (in_order) next_ = keys_.size();
  return made;
}

}  // namespace tarnevo::python
