// What fill_from can use of a value that is read only to complete another tree (the default
// locale's files, read to fill a locale): the target's own content wins wherever it holds a
// non-null leaf, so fill_from drops everything that lands there, and a reader may check those
// parts without building them. Readers follow their value down with member() and element() and
// ask wanted() at each value; the rules stay here, beside fill_from.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "tarnevo/value.hpp"

namespace tarnevo::detail::tree {

struct RootKeyPlace;

class FillPlace {
 public:
  // A value read for itself: everything is wanted.
  FillPlace() noexcept = default;

  // The root of a value that will fill `target`, placed under the dotted namespace `path` (every
  // full stop splits, as assemble_pieces places it) or at the top.
  static FillPlace in(const LocaleValue& target, std::optional<std::string_view> path) noexcept;

  // The root of a file that may nest its content under one key naming its locale: that member
  // lies at `root.beneath`, every other member is wanted whole. Should the file hold more than
  // that one member, it is not read beneath the key, and the reader must read it again for
  // itself. `root` must outlive the place and every place derived from it.
  static FillPlace under_root_key(const RootKeyPlace& root) noexcept {
    FillPlace place;
    place.root_ = &root;
    return place;
  }

  // Whether fill_from could use a value read here.
  bool wanted() const noexcept { return !dropped_; }
  // The place of the member `key` of an object read here.
  FillPlace member(std::string_view key) const noexcept;
  // The place of an item of an array read here: arrays are never merged into, so only whether
  // the array itself is wanted matters.
  FillPlace element() const noexcept { return dropped_ ? dropped() : FillPlace(); }

  // The places of the members of an object read here, asked for in ascending key order: one
  // walk along the target's object instead of a search for each (a reader that sorts an
  // object's members before building it asks this way).
  class MembersInOrder {
   public:
    explicit MembersInOrder(const FillPlace& object) noexcept : object_(object) {
      if (object.object_ != nullptr) next_ = object.object_->begin();
    }
    // member(key) of the object; each key must follow the one asked before.
    FillPlace next(std::string_view key) noexcept {
      if (object_.dropped_) return dropped();
      if (object_.object_ == nullptr) return object_.outside(key);
      const auto end = object_.object_->end();
      while (next_ != end && key_less(next_->key, key)) ++next_;
      return at(next_ != end && next_->key == key ? &next_->value : nullptr);
    }

   private:
    const FillPlace& object_;
    std::vector<LocaleMember>::const_iterator next_;
  };

 private:
  // The place where `target_part` (the target's value there, or null) lies.
  static FillPlace at(const LocaleValue* target_part) noexcept;
  static FillPlace dropped() noexcept {
    FillPlace place;
    place.dropped_ = true;
    return place;
  }

  // The place of the member `key` of an object with no counterpart in the target.
  FillPlace outside(std::string_view key) const noexcept;

  const LocaleObject* object_ = nullptr;  // the target's object here, whose members win
  const RootKeyPlace* root_ = nullptr;    // set only at the root of a file read beneath its key
  bool dropped_ = false;
};

struct RootKeyPlace {
  std::string_view locale;
  // Where the content beneath the key lies.
  FillPlace beneath;
  // Whether a key names the locale (the loader's rule, passed in so that the tree knows none).
  bool (*names_locale)(std::string_view key, std::string_view locale) noexcept;
};

inline FillPlace FillPlace::outside(std::string_view key) const noexcept {
  if (root_ != nullptr && root_->names_locale(key, root_->locale)) return root_->beneath;
  return FillPlace();
}

inline FillPlace FillPlace::at(const LocaleValue* target_part) noexcept {
  if (target_part == nullptr || target_part->is_null()) return FillPlace();
  if (!target_part->is_object()) return dropped();
  FillPlace place;
  place.object_ = &target_part->as_object();
  return place;
}

inline FillPlace FillPlace::member(std::string_view key) const noexcept {
  if (dropped_) return dropped();
  if (object_ == nullptr) return outside(key);
  return at(object_->find(key));
}

inline FillPlace FillPlace::in(const LocaleValue& target,
                               std::optional<std::string_view> path) noexcept {
  FillPlace place = at(&target);
  if (!path) return place;
  for (std::string_view rest = *path;;) {
    const std::size_t dot = rest.find('.');
    place = place.member(rest.substr(0, dot));
    if (dot == std::string_view::npos) return place;
    rest.remove_prefix(dot + 1);
  }
}

}  // namespace tarnevo::detail::tree
