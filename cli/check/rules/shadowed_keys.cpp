#include "check/rules/shadowed_keys.hpp"

#include <algorithm>
#include <span>
#include <string_view>

#include "check/key_path.hpp"

namespace tarnevo::cli {
namespace {

// What one file gives at the walk's current path: `value`, placed below the namespace segments
// in `rest` that the walk has not yet gone down.
struct Source {
  std::size_t file;
  const LocaleValue* value;
  std::span<const std::string_view> rest;

  bool is_null() const noexcept { return rest.empty() && value->is_null(); }
  bool is_value() const noexcept { return rest.empty() && is_leaf(*value); }
};

struct Child {
  std::string_view key;
  Source source;
};

class ShadowSearch {
 public:
  ShadowSearch(const std::vector<std::string>& paths, const KeyFilter& filter,
               std::vector<ShadowedKey>& out)
      : paths_(paths), filter_(filter), out_(out) {}

  // `sources` in reading order; none is null.
  void walk(std::vector<Source> sources) {
    if (sources.size() < 2) return;
    const bool any_value = std::any_of(sources.begin(), sources.end(),
                                       [](const Source& source) { return source.is_value(); });
    if (any_value && !path_.at_top()) {
      ShadowedKey shadowed{path_.text(), {}};
      for (const Source& source : sources) shadowed.files.push_back(paths_[source.file]);
      out_.push_back(std::move(shadowed));
      // A value first keeps the whole path; keys first are joined with the others' keys.
      if (sources.front().is_value()) return;
      std::erase_if(sources, [](const Source& source) { return source.is_value(); });
      if (sources.size() < 2) return;
    }
    std::vector<Child> children;
    for (const Source& source : sources) {
      if (!source.rest.empty()) {
        const Source child{source.file, source.value, source.rest.subspan(1)};
        if (!child.is_null()) children.push_back({source.rest.front(), child});
        continue;
      }
      if (!source.value->is_object()) continue;
      for (const LocaleMember& member : source.value->as_object()) {
        if (!member.value.is_null())
          children.push_back({member.key, {source.file, &member.value, {}}});
      }
    }
    // Stable: sources of one key stay in reading order.
    std::stable_sort(children.begin(), children.end(),
                     [](const Child& a, const Child& b) { return key_less(a.key, b.key); });
    for (std::size_t start = 0; start < children.size();) {
      std::size_t end = start + 1;
      while (end < children.size() && children[end].key == children[start].key) ++end;
      if (end - start >= 2) {
        path_.push(children[start].key);
        if (filter_.empty() || !filter_.ignores(path_.segments())) {
          std::vector<Source> group;
          for (std::size_t i = start; i < end; ++i) group.push_back(children[i].source);
          walk(std::move(group));
        }
        path_.pop();
      }
      start = end;
    }
  }

 private:
  const std::vector<std::string>& paths_;
  const KeyFilter& filter_;
  std::vector<ShadowedKey>& out_;
  KeyPath path_;
};

std::vector<std::string_view> split_namespace(const std::string& namespace_path) {
  std::vector<std::string_view> segments;
  std::size_t start = 0;
  while (true) {
    const std::size_t stop = namespace_path.find('.', start);
    segments.push_back(std::string_view(namespace_path).substr(start, stop - start));
    if (stop == std::string::npos) return segments;
    start = stop + 1;
  }
}

}  // namespace

std::vector<ShadowedKey> find_shadowed_keys(const std::vector<LocalePiece>& pieces,
                                            const std::vector<std::string>& paths,
                                            const KeyFilter& filter) {
  std::vector<ShadowedKey> shadowed;
  if (pieces.size() < 2) return shadowed;
  std::vector<std::vector<std::string_view>> namespaces(pieces.size());
  std::vector<Source> sources;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const LocalePiece& piece = pieces[i];
    if (piece.namespace_path) {
      namespaces[i] = split_namespace(*piece.namespace_path);
    } else if (!piece.value.is_object()) {
      continue;  // a top-level file that is not an object adds nothing
    }
    sources.push_back(Source{i, &piece.value, namespaces[i]});
  }
  ShadowSearch(paths, filter, shadowed).walk(std::move(sources));
  return shadowed;
}

}  // namespace tarnevo::cli
