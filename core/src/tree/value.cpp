#include "tarnevo/value.hpp"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>

#include "tree/walk.hpp"

namespace tarnevo {

namespace {

using detail::tree::is_filled_container;
using detail::tree::Step;
using detail::tree::walk;

// A copy grows beside its source: each container's twin is made when the walk opens the
// source container, with room for all its children, which are then appended one by one.
struct CopyVisitor {
  using Link = LocaleValue*;  // the open container's twin

  void open(const LocaleValue& container, LocaleValue*& twin) {
    if (container.is_array()) {
      LocaleArray items;
      items.reserve(container.as_array().size());
      *twin = LocaleValue::array(std::move(items));
    } else {
      LocaleObject members;
      members.members().reserve(container.as_object().size());
      *twin = LocaleValue::object(std::move(members));
    }
  }

  // The twin's vectors have their full room, so the slots stay where they are.
  Step child(const LocaleValue&, LocaleValue*& twin, std::size_t, const std::string* key,
             const LocaleValue& child, LocaleValue*& child_twin) {
    const bool descend = is_filled_container(child);
    LocaleValue* slot;
    if (key == nullptr) {
      LocaleArray& items = twin->as_array();
      slot = descend ? &items.emplace_back() : &items.emplace_back(child);
    } else {
      std::vector<LocaleMember>& members = twin->as_object().members();
      members.push_back(LocaleMember{*key, descend ? LocaleValue() : child});
      slot = &members.back().value;
    }
    if (!descend) return Step::Skip;
    child_twin = slot;
    return Step::Descend;
  }

  void close(const LocaleValue&, LocaleValue*&) {}
};

// Children are freed before their parents: a container's content is released when the walk
// closes it, by which time every container below it has been emptied, so no destructor ever
// meets a filled container and none recurses.
struct ReleaseVisitor {
  struct Link {};

  void open(LocaleValue&, Link&) {}

  Step child(LocaleValue&, Link&, std::size_t, const std::string*, LocaleValue& child, Link&) {
    return is_filled_container(child) ? Step::Descend : Step::Skip;
  }

  void close(LocaleValue& container, Link&) noexcept {
    if (container.is_array()) {
      const LocaleArray doomed = std::move(container.as_array());
    } else {
      const std::vector<LocaleMember> doomed = std::move(container.as_object().members());
    }
  }
};

// Kinds, leaves, sizes and keys of one pair of nodes; their children are the walk's business.
bool equal_shallow(const LocaleValue& a, const LocaleValue& b) noexcept {
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
    case LocaleValue::Kind::Array:
      return a.as_array().size() == b.as_array().size();
    case LocaleValue::Kind::Object:
      return a.as_object().size() == b.as_object().size();
  }
  return false;
}

// Walks one tree and follows the other alongside: each open container is linked to its
// counterpart, already known to be of the same kind and size.
struct CompareVisitor {
  using Link = const LocaleValue*;

  void open(const LocaleValue&, const LocaleValue*&) {}

  Step child(const LocaleValue&, const LocaleValue*& other, std::size_t index,
             const std::string* key, const LocaleValue& child, const LocaleValue*& counterpart) {
    const LocaleValue* match;
    if (key == nullptr) {
      match = &other->as_array()[index];
    } else {
      const LocaleMember& member = other->as_object().members()[index];
      if (member.key != *key) return Step::Stop;
      match = &member.value;
    }
    if (!equal_shallow(child, *match)) return Step::Stop;
    if (!is_filled_container(child)) return Step::Skip;
    counterpart = match;
    return Step::Descend;
  }

  void close(const LocaleValue&, const LocaleValue*&) {}
};

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
    case Kind::Object: {
      LocaleValue copy;
      CopyVisitor visitor;
      walk(other, &copy, visitor);
      construct_from(std::move(copy));
      return;
    }
  }
  kind_ = other.kind_;
}

void LocaleValue::release_nested(LocaleValue& container) noexcept {
  ReleaseVisitor visitor;
  walk(container, ReleaseVisitor::Link{}, visitor);
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

bool operator==(const LocaleValue& a, const LocaleValue& b) {
  if (!equal_shallow(a, b)) return false;
  if (!is_filled_container(a)) return true;
  CompareVisitor visitor;
  return walk(a, &b, visitor);
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
