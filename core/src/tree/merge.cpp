#include "tarnevo/merge.hpp"

#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "tree/walk.hpp"

namespace tarnevo {
namespace {

using detail::tree::Step;
using detail::tree::walk;

// Copies or moves a source member depending on how the source was passed.
template <class Member>
LocaleMember take_member(Member& member) {
  if constexpr (std::is_const_v<Member>) {
    return member;
  } else {
    return std::move(member);
  }
}

// Fills objects from their counterparts in the source, walking the target: each object whose
// counterpart is an object is open together with it. Both member lists are sorted by key, so a
// cursor through the source's members meets each target key's counterpart in one pass. Shared
// keys are handled as the walk reaches them (descending where both are objects, taking the
// source's value where the target holds null); the members that the target lacks are added
// when the object is closed, all in one merge of the two lists, so the walk never visits them.
// `Source` is const LocaleValue (copied from) or LocaleValue (moved from).
template <class Source>
struct FillVisitor {
  struct Link {
    Source* source = nullptr;  // the counterpart object
    std::size_t cursor = 0;    // the next source member not yet met
    std::size_t shared = 0;    // the source members whose key the target has too
  };

  void open(LocaleValue&, Link&) {}

  Step child(LocaleValue&, Link& link, std::size_t, const std::string* key, LocaleValue& child,
             Link& child_link) {
    auto& source = link.source->as_object().members();
    while (link.cursor < source.size() && compare_keys(source[link.cursor].key, *key) < 0) {
      ++link.cursor;
    }
    if (link.cursor == source.size() || source[link.cursor].key != *key) return Step::Skip;
    Source& counterpart = source[link.cursor++].value;
    ++link.shared;
    if (child.is_object() && counterpart.is_object()) {
      child_link.source = &counterpart;
      return Step::Descend;
    }
    if (child.is_null() && !counterpart.is_null()) {
      if constexpr (std::is_const_v<Source>) {
        child = counterpart;
      } else {
        child = std::move(counterpart);
      }
    }
    return Step::Skip;
  }

  void close(LocaleValue& target_object, Link& link) {
    auto& source = link.source->as_object().members();
    std::vector<LocaleMember>& target = target_object.as_object().members();
    if (link.shared == source.size()) return;
    if (target.empty()) {
      target.reserve(source.size());
      for (auto& member : source) target.push_back(take_member(member));
      return;
    }
    std::vector<LocaleMember> merged;
    merged.reserve(target.size() + source.size() - link.shared);
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < target.size() && j < source.size()) {
      const int order = compare_keys(target[i].key, source[j].key);
      if (order < 0) {
        merged.push_back(std::move(target[i++]));
      } else if (order > 0) {
        merged.push_back(take_member(source[j++]));
      } else {
        merged.push_back(std::move(target[i++]));
        ++j;
      }
    }
    for (; i < target.size(); ++i) merged.push_back(std::move(target[i]));
    for (; j < source.size(); ++j) merged.push_back(take_member(source[j]));
    target = std::move(merged);
  }
};

template <class Source>
void fill(LocaleValue& target, Source& source) {
  if (target.is_object() && source.is_object()) {
    FillVisitor<Source> visitor;
    walk(target, typename FillVisitor<Source>::Link{&source}, visitor);
  } else if (target.is_null() && !source.is_null()) {
    if constexpr (std::is_const_v<Source>) {
      target = source;
    } else {
      target = std::move(source);
    }
  }
}

// Wraps `value` in single-member Objects along the dotted path, innermost segment first. Every
// full stop splits, so "a..b" has an empty middle segment and "" is one empty segment.
LocaleValue wrap_in_namespace(std::string_view path, LocaleValue value) {
  std::vector<std::string_view> segments;
  for (std::size_t start = 0;;) {
    const std::size_t dot = path.find('.', start);
    segments.push_back(path.substr(start, dot - start));
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }
  for (auto it = segments.rbegin(); it != segments.rend(); ++it) {
    std::vector<LocaleMember> single;
    single.push_back(LocaleMember{std::string(*it), std::move(value)});
    value = LocaleValue::object(LocaleObject::from_members(std::move(single)));
  }
  return value;
}

}  // namespace

void fill_from(LocaleValue& target, const LocaleValue& source) {
  fill(target, source);
}

void fill_from(LocaleValue& target, LocaleValue&& source) {
  fill(target, source);
}

LocaleValue assemble_pieces(std::vector<LocalePiece> pieces) {
  LocaleValue result = LocaleValue::empty_object();
  for (auto& piece : pieces) {
    if (piece.namespace_path) {
      fill_from(result, wrap_in_namespace(*piece.namespace_path, std::move(piece.value)));
    } else {
      fill_from(result, std::move(piece.value));
    }
  }
  return result;
}

}  // namespace tarnevo
