#include "tarnevo/value.hpp"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>

namespace tarnevo {

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
      ::new (&array_) LocaleArray(other.array_);
      break;
    case Kind::Object:
      ::new (&object_) LocaleObject(other.object_);
      break;
  }
  kind_ = other.kind_;
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
  if (a.kind_ != b.kind_) return false;
  switch (a.kind_) {
    case LocaleValue::Kind::Null:
      return true;
    case LocaleValue::Kind::Bool:
      return a.bool_ == b.bool_;
    case LocaleValue::Kind::Number:
      return a.number_ == b.number_;
    case LocaleValue::Kind::String:
      return a.string_ == b.string_;
    case LocaleValue::Kind::Array:
      return a.array_ == b.array_;
    case LocaleValue::Kind::Object:
      return a.object_ == b.object_;
  }
  return false;
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

bool operator==(const LocaleObject& a, const LocaleObject& b) {
  return a.members_ == b.members_;
}

}  // namespace tarnevo
