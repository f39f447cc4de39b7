#include "tarnevo/value.hpp"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>

namespace tarnevo {

namespace {

// Trees are walked by plain recursion down to this depth, which real locale files never reach,
// and level by level with an explicit list below it: namespaces can nest a tree thousands of
// levels deep, and no walk may run out of stack. The bound keeps the recursion's share of the
// stack to a few kilobytes.
constexpr std::size_t kRecursionDepth = 48;

bool is_container(const LocaleValue& value) noexcept {
  return value.is_array() || value.is_object();
}

bool is_filled_container(const LocaleValue& value) noexcept {
  return (value.is_array() && !value.as_array().empty()) ||
         (value.is_object() && !value.as_object().empty());
}

// A container's copy without its content: an array of Null placeholders, or an object with the
// keys and Null placeholders.
LocaleValue empty_shell_of(const LocaleValue& container) {
  if (container.is_array()) return LocaleValue::array(LocaleArray(container.as_array().size()));
  LocaleObject shell;
  std::vector<LocaleMember>& members = shell.members();
  members.reserve(container.as_object().size());
  for (const LocaleMember& member : container.as_object()) {
    members.push_back(LocaleMember{member.key, LocaleValue()});
  }
  return LocaleValue::object(std::move(shell));
}

// A container whose shell is made and whose content is still to be copied.
struct PendingCopy {
  LocaleValue* to;
  const LocaleValue* from;
};

// Fills a shell from its source: leaves are copied at once, child containers become shells of
// their own, queued for the caller's loop.
void copy_content(LocaleValue& to, const LocaleValue& from, std::vector<PendingCopy>& pending) {
  const auto copy_child = [&pending](LocaleValue& slot, const LocaleValue& child) {
    if (!is_container(child)) {
      slot = child;
      return;
    }
    slot = empty_shell_of(child);
    if (is_filled_container(child)) pending.push_back(PendingCopy{&slot, &child});
  };
  if (from.is_array()) {
    LocaleArray& items = to.as_array();
    const LocaleArray& source = from.as_array();
    for (std::size_t i = 0; i < source.size(); ++i) copy_child(items[i], source[i]);
  } else {
    std::vector<LocaleMember>& members = to.as_object().members();
    const std::vector<LocaleMember>& source = from.as_object().members();
    for (std::size_t i = 0; i < source.size(); ++i) copy_child(members[i].value, source[i].value);
  }
}

// The copy of a container below the recursion bound, level by level.
LocaleValue copy_level_by_level(const LocaleValue& container) {
  LocaleValue copy = empty_shell_of(container);
  std::vector<PendingCopy> pending;
  copy_content(copy, container, pending);
  while (!pending.empty()) {
    const PendingCopy next = pending.back();
    pending.pop_back();
    copy_content(*next.to, *next.from, pending);
  }
  return copy;
}

// The copy of a container `depth` levels below the top.
LocaleValue copy_container(const LocaleValue& container, std::size_t depth) {
  if (depth >= kRecursionDepth) return copy_level_by_level(container);
  // Leaves are copied in place; only containers go through a returned value.
  if (container.is_array()) {
    LocaleArray items;
    items.reserve(container.as_array().size());
    for (const LocaleValue& item : container.as_array()) {
      if (is_container(item)) {
        items.push_back(copy_container(item, depth + 1));
      } else {
        items.push_back(item);
      }
    }
    return LocaleValue::array(std::move(items));
  }
  LocaleObject object;
  std::vector<LocaleMember>& members = object.members();
  members.reserve(container.as_object().size());
  for (const LocaleMember& member : container.as_object()) {
    if (is_container(member.value)) {
      members.push_back(LocaleMember{member.key, copy_container(member.value, depth + 1)});
    } else {
      members.push_back(member);
    }
  }
  return LocaleValue::object(std::move(object));
}

}  // namespace

void LocaleValue::construct_from(const LocaleValue& other) {
  switch (other.kind_) {
    case Kind::Null:
      break;
    case Kind::Bool:
      bool_ = other.bool_;
      break;
    case Kind::Number:
      ::new (&number_) LocaleNumber(other.number_);
      break;
    case Kind::String:
      ::new (&string_) std::string(other.string_);
      break;
    case Kind::Array:
    case Kind::Object:
      construct_from(copy_container(other, 0));
      return;
  }
  kind_ = other.kind_;
}

namespace {

// Moves the container's filled child containers to the end of `out`, leaving empty ones behind.
void take_filled_children(LocaleValue& container, std::vector<LocaleValue>& out) {
  if (container.is_array()) {
    for (LocaleValue& item : container.as_array()) {
      if (is_filled_container(item)) out.push_back(std::move(item));
    }
  } else if (container.is_object()) {
    for (LocaleMember& member : container.as_object().members()) {
      if (is_filled_container(member.value)) out.push_back(std::move(member.value));
    }
  }
}

// Frees a deep tree without recursion: nested containers are moved out into one flat list and
// freed from there, each once its own children have been moved out, so no destructor ever meets
// a filled container below it. (Running out of memory for the list ends the process, as any
// internal fault does.)
void dismantle(LocaleValue& container) noexcept {
  std::vector<LocaleValue> pending;
  take_filled_children(container, pending);
  while (!pending.empty()) {
    LocaleValue next = std::move(pending.back());
    pending.pop_back();
    take_filled_children(next, pending);
  }
}

// Frees a container's content whose children are leaves or empty containers: no recursion.
void free_flat_content(LocaleValue& container) noexcept {
  if (container.is_array()) {
    const LocaleArray doomed = std::move(container.as_array());
  } else {
    const std::vector<LocaleMember> doomed = std::move(container.as_object().members());
  }
}

// Frees the content of a container's filled child containers, deepest first, so that destroying
// the container afterwards meets only leaves and empty containers: by recursion down to the
// bound (`depth` counts the levels above), and by dismantling below it.
void free_nested_content(LocaleValue& container, std::size_t depth) noexcept {
  if (depth >= kRecursionDepth) {
    dismantle(container);
    return;
  }
  const auto free_child = [depth](LocaleValue& child) {
    if (!is_filled_container(child)) return;
    free_nested_content(child, depth + 1);
    free_flat_content(child);
  };
  if (container.is_array()) {
    for (LocaleValue& item : container.as_array()) free_child(item);
  } else {
    for (LocaleMember& member : container.as_object().members()) free_child(member.value);
  }
}

}  // namespace

void LocaleValue::release_nested(LocaleValue& container) noexcept {
  free_nested_content(container, 0);
}

LocaleValue::LocaleValue(const LocaleValue& other) : kind_(Kind::Null) {
  construct_from(other);
}

LocaleValue& LocaleValue::operator=(const LocaleValue& other) {
  if (this != &other) {
    // Copy first: `other` may live inside this value.
    LocaleValue copy(other);
    *this = std::move(copy);
  }
  return *this;
}

namespace {

// Two containers whose children are still to be compared.
struct PendingComparison {
  const LocaleValue* a;
  const LocaleValue* b;
};

// Compares two nodes' kinds, leaves, sizes and keys, leaving each pair of children to
// `equal_child`: the recursive comparison and the level-by-level one differ only there.
template <class EqualChild>
bool equal_shallow(const LocaleValue& a, const LocaleValue& b, EqualChild&& equal_child) {
  if (a.kind() != b.kind()) return false;
  switch (a.kind()) {
    case LocaleValue::Kind::Null:
      return true;
    case LocaleValue::Kind::Bool:
      return a.as_bool() == b.as_bool();
    case LocaleValue::Kind::Number:
      return a.as_number() == b.as_number();
    case LocaleValue::Kind::String:
      return a.as_string() == b.as_string();
    case LocaleValue::Kind::Array: {
      const LocaleArray& x = a.as_array();
      const LocaleArray& y = b.as_array();
      if (x.size() != y.size()) return false;
      for (std::size_t i = 0; i < x.size(); ++i) {
        if (!equal_child(x[i], y[i])) return false;
      }
      return true;
    }
    case LocaleValue::Kind::Object: {
      const std::vector<LocaleMember>& x = a.as_object().members();
      const std::vector<LocaleMember>& y = b.as_object().members();
      if (x.size() != y.size()) return false;
      for (std::size_t i = 0; i < x.size(); ++i) {
        if (x[i].key != y[i].key || !equal_child(x[i].value, y[i].value)) return false;
      }
      return true;
    }
  }
  return false;
}

// Compares two nodes without their children, and queues the children that are containers.
bool equal_node(const LocaleValue& a, const LocaleValue& b,
                std::vector<PendingComparison>& pending) {
  return equal_shallow(a, b, [&pending](const LocaleValue& x, const LocaleValue& y) {
    if (x.is_array() || x.is_object()) {
      if (x.kind() != y.kind()) return false;
      pending.push_back(PendingComparison{&x, &y});
      return true;
    }
    return equal_node(x, y, pending);
  });
}

// Below the recursion bound, level by level with an explicit list.
bool equal_level_by_level(const LocaleValue& a, const LocaleValue& b) {
  std::vector<PendingComparison> pending;
  if (!equal_node(a, b, pending)) return false;
  while (!pending.empty()) {
    const PendingComparison next = pending.back();
    pending.pop_back();
    if (!equal_node(*next.a, *next.b, pending)) return false;
  }
  return true;
}

bool equal_values(const LocaleValue& a, const LocaleValue& b, std::size_t depth) {
  if (depth >= kRecursionDepth) return equal_level_by_level(a, b);
  return equal_shallow(a, b, [depth](const LocaleValue& x, const LocaleValue& y) {
    return equal_values(x, y, depth + 1);
  });
}

}  // namespace

bool operator==(const LocaleValue& a, const LocaleValue& b) {
  return equal_values(a, b, 0);
}

namespace {

struct MemberKeyLess {
  bool operator()(const LocaleMember& m, std::string_view key) const noexcept {
    return key_less(m.key, key);
  }
};

}  // namespace

LocaleObject LocaleObject::from_members(std::vector<LocaleMember> members) {
  LocaleObject object;
  // Readers usually meet keys already in order; check before paying for a sort.
  bool sorted_unique = true;
  for (std::size_t i = 1; i < members.size(); ++i) {
    if (!key_less(members[i - 1].key, members[i].key)) {
      sorted_unique = false;
      break;
    }
  }
  if (!sorted_unique) {
    std::stable_sort(
        members.begin(), members.end(),
        [](const LocaleMember& a, const LocaleMember& b) { return key_less(a.key, b.key); });
    // Of each run of equal keys keep the last, which the stable sort left last.
    std::size_t out = 0;
    for (std::size_t i = 0; i < members.size(); ++i) {
      if (i + 1 < members.size() && members[i + 1].key == members[i].key) continue;
      if (out != i) members[out] = std::move(members[i]);
      ++out;
    }
    members.erase(members.begin() + static_cast<std::ptrdiff_t>(out), members.end());
  }
  object.members_ = std::move(members);
  return object;
}

void LocaleObject::insert(std::string key, LocaleValue value) {
  auto it =
      std::lower_bound(members_.begin(), members_.end(), std::string_view(key), MemberKeyLess{});
  if (it != members_.end() && it->key == key) {
    it->value = std::move(value);
    return;
  }
  members_.insert(it, LocaleMember{std::move(key), std::move(value)});
}

const LocaleValue* LocaleObject::find(std::string_view key) const noexcept {
  auto it = std::lower_bound(members_.begin(), members_.end(), key, MemberKeyLess{});
  if (it != members_.end() && it->key == key) return &it->value;
  return nullptr;
}

LocaleValue* LocaleObject::find(std::string_view key) noexcept {
  return const_cast<LocaleValue*>(std::as_const(*this).find(key));
}

const LocaleValue* LocaleValue::find(std::initializer_list<std::string_view> path) const noexcept {
  const LocaleValue* at = this;
  for (const std::string_view key : path) {
    if (!at->is_object()) return nullptr;
    at = at->as_object().find(key);
    if (at == nullptr) return nullptr;
  }
  return at;
}

bool operator==(const LocaleObject& a, const LocaleObject& b) {
  return a.members_ == b.members_;
}

}  // namespace tarnevo
