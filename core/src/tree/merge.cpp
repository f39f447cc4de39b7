#include "tarnevo/merge.hpp"

#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

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

// A target and its source whose merge is still to be done; the source is moved from when
// `Source` is non-const.
template <class Source>
struct PendingFill {
  LocaleValue* target;
  Source* source;
};

// Merges one level: the members that the target lacks are inserted (copied or moved from the
// source), and the pairs under keys that both have are queued for the caller's loop, which goes
// on level by level instead of recursing (namespaces make trees thousands of levels deep). Both
// member lists are sorted by key, so one pass finds the shared keys and counts the missing
// ones, and a second pass over both lists inserts the missing ones in order. Queued pairs point
// into the target's final member list.
template <class SourceMembers, class Source>
void fill_object(std::vector<LocaleMember>& target, SourceMembers& source,
                 std::vector<PendingFill<Source>>& pending) {
  if (source.empty()) return;
  if (target.empty()) {
    target.reserve(source.size());
    for (auto& member : source) target.push_back(take_member(member));
    return;
  }

  const std::size_t queued_before = pending.size();
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
      pending.push_back(PendingFill<Source>{&target[i].value, &source[j].value});
      ++i;
      ++j;
    }
  }
  missing += source.size() - j;
  if (missing == 0) return;

  // The target's list is rebuilt, so the pairs queued above are queued again, pointing into the
  // new list: its buffer is reserved in full and moved into place, so the pointers stay valid.
  pending.resize(queued_before);
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
      pending.push_back(PendingFill<Source>{&merged.back().value, &source[j++].value});
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

namespace {

// One pair at a time from an explicit list. The const source is copied from, the other moved.
template <class Source>
void fill_level_by_level(LocaleValue& root_target, Source& root_source) {
  std::vector<PendingFill<Source>> pending;
  pending.push_back(PendingFill<Source>{&root_target, &root_source});
  while (!pending.empty()) {
    const PendingFill<Source> next = pending.back();
    pending.pop_back();
    LocaleValue& target = *next.target;
    Source& source = *next.source;
    if (target.is_object() && source.is_object()) {
      fill_object(target.as_object().members(), source.as_object().members(), pending);
    } else if (target.is_null() && !source.is_null()) {
      if constexpr (std::is_const_v<Source>) {
        target = source;
      } else {
        target = std::move(source);
      }
    }
  }
}

}  // namespace

void fill_from(LocaleValue& target, const LocaleValue& source) {
  fill_level_by_level(target, source);
}

void fill_from(LocaleValue& target, LocaleValue&& source) {
  fill_level_by_level(target, source);
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
