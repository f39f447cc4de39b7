#include "tarnevo/merge.hpp"

#include <string_view>
#include <type_traits>
#include <utility>

namespace tarnevo {
namespace {

// Copies or moves a source member depending on how the source was passed.
template <class Member>
LocaleMember take_member(Member& member) {
  if constexpr (std::is_const_v<Member>) {
    return member;
  } else {
    return std::move(member);
  }
}

// Both member lists are sorted by key, so one pass finds the shared keys (merged in place) and
// counts the missing ones; a second pass over both lists inserts the missing ones in order.
template <class SourceMembers>
void fill_object(std::vector<LocaleMember>& target, SourceMembers& source) {
  if (source.empty()) return;
  if (target.empty()) {
    target.reserve(source.size());
    for (auto& member : source) target.push_back(take_member(member));
    return;
  }

  std::size_t missing = 0;
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < target.size() && j < source.size()) {
    const int order = compare_keys(target[i].key, source[j].key);
    if (order < 0) {
      ++i;
    } else if (order > 0) {
      ++missing;
      ++j;
    } else {
      if constexpr (std::is_const_v<SourceMembers>) {
        fill_from(target[i].value, source[j].value);
      } else {
        fill_from(target[i].value, std::move(source[j].value));
      }
      ++i;
      ++j;
    }
  }
  missing += source.size() - j;
  if (missing == 0) return;

  std::vector<LocaleMember> merged;
  merged.reserve(target.size() + missing);
  i = 0;
  j = 0;
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
  if (target.is_object() && source.is_object()) {
    fill_object(target.as_object().members(), source.as_object().members());
  } else if (target.is_null() && !source.is_null()) {
    target = source;
  }
}

void fill_from(LocaleValue& target, LocaleValue&& source) {
  if (target.is_object() && source.is_object()) {
    fill_object(target.as_object().members(), source.as_object().members());
  } else if (target.is_null() && !source.is_null()) {
    target = std::move(source);
  }
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
