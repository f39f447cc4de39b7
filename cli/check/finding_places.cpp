#include "check/finding_places.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "check/key_path.hpp"
#include "check/report/failure_position.hpp"
#include "check/rules/plural_category.hpp"

namespace tarnevo::cli {
namespace {

using detail::format::KeyPosition;
using detail::format::KeyPositions;

struct Place {
  const PlacedFile* file;
  KeyPosition position;
};

// The node of `segments` in one file's tree, or kNoPath: the namespace's segments must lead the
// path, and a root-keyed file holds the rest beneath its root key.
std::optional<KeyPositions::Node> node_in(const PlacedFile& file,
                                          std::span<const std::string_view> segments) {
  const std::vector<std::string>& prefix = file.namespace_segments;
  if (prefix.size() > segments.size()) return std::nullopt;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (prefix[i] != segments[i]) return std::nullopt;
  }
  KeyPositions::Node node = KeyPositions::kRoot;
  if (!file.root_key.empty()) node = file.positions.child(node, file.root_key);
  for (std::size_t i = prefix.size(); i < segments.size() && node != KeyPositions::kNoPath; ++i) {
    node = file.positions.child(node, segments[i]);
  }
  if (node == KeyPositions::kNoPath) return std::nullopt;
  return node;
}

// A locale's files by namespace, so that a key is looked for only in the files whose namespace
// leads its path rather than in every file (a locale may have hundreds: bench/gen_check_corpus.py).
class PlacedFiles {
 public:
  explicit PlacedFiles(std::span<const PlacedFile> files) : files_(files) {
    for (std::size_t i = 0; i < files.size(); ++i) {
      by_namespace_[joined(files[i].namespace_segments)].push_back(i);
      depths_.push_back(files[i].namespace_segments.size());
    }
    std::sort(depths_.begin(), depths_.end());
    depths_.erase(std::unique(depths_.begin(), depths_.end()), depths_.end());
  }

  // The first file, in the loader's order, that writes the key path `segments`.
  std::optional<Place> find(std::span<const std::string_view> segments, const std::string* only) {
    candidates_.clear();
    // Only the namespace depths that some file has.
    for (const std::size_t depth : depths_) {
      if (depth > segments.size()) break;
      prefix_.clear();
      for (std::size_t i = 0; i < depth; ++i) {
        if (i != 0) prefix_.push_back('.');
        prefix_.append(segments[i]);
      }
      if (const auto found = by_namespace_.find(prefix_); found != by_namespace_.end()) {
        candidates_.insert(candidates_.end(), found->second.begin(), found->second.end());
      }
    }
    std::sort(candidates_.begin(), candidates_.end());
    for (const std::size_t i : candidates_) {
      const PlacedFile& file = files_[i];
      if (only != nullptr && file.path != *only) continue;
      if (const auto node = node_in(file, segments)) {
        if (const auto position = file.positions.position(*node)) return Place{&file, *position};
      }
    }
    return std::nullopt;
  }

 private:
  static std::string joined(const std::vector<std::string>& segments) {
    std::string text;
    for (const std::string& segment : segments) {
      if (!text.empty() || &segment != &segments.front()) text.push_back('.');
      text.append(segment);
    }
    return text;
  }

  std::span<const PlacedFile> files_;
  std::unordered_map<std::string, std::vector<std::size_t>> by_namespace_;
  std::vector<std::size_t> depths_;
  std::vector<std::size_t> candidates_;
  std::string prefix_;
};

// A plural group written as sibling keys is named without its suffix ("photo" for photo_one and
// photo_other): its first suffixed key stands for it.
std::optional<Place> find_suffixed(PlacedFiles& files, std::vector<std::string_view> segments) {
  if (segments.empty()) return std::nullopt;
  const std::string_view base = segments.back();
  std::string name;
  for (const std::string_view infix : {"_", "_ordinal_"}) {
    for (PluralSet category = kZero; category <= kOther;
         category = static_cast<PluralSet>(category << 1)) {
      name.assign(base).append(infix).append(plural_category_name(category));
      segments.back() = name;
      if (auto place = files.find(segments, nullptr)) return place;
    }
  }
  return std::nullopt;
}

std::optional<Place> find_key(PlacedFiles& files, const std::string& key, const std::string* only) {
  // Most keys quote no segment: their segments are the text between full stops.
  std::vector<PathSegment> split;
  std::vector<std::string_view> segments;
  if (key.find('"') == std::string::npos) {
    std::string_view rest = key;
    while (true) {
      const std::size_t dot = rest.find('.');
      segments.push_back(rest.substr(0, dot));
      if (dot == std::string_view::npos) break;
      rest.remove_prefix(dot + 1);
    }
  } else {
    auto parsed = split_path(key);
    if (!parsed) return std::nullopt;
    split = std::move(*parsed);
    for (const PathSegment& segment : split) segments.emplace_back(segment.text);
  }
  if (auto place = files.find(segments, only)) return place;
  if (auto place = find_suffixed(files, segments)) return place;
  // The nearest enclosing key that is written (a group the locale lacks altogether).
  while (segments.size() > 1) {
    segments.pop_back();
    if (auto place = files.find(segments, only)) return place;
  }
  return std::nullopt;
}

void set(Finding& finding, const Place& place) {
  finding.file = place.file->path;
  finding.line = place.position.line;
  finding.column = place.position.column;
}

}  // namespace

void place_findings(const CheckReport& report, std::span<Finding> findings,
                    const std::vector<bool>& wanted) {
  PlacedFiles defaults(report.default_placed);
  const LocaleCheck* locale = nullptr;
  std::optional<PlacedFiles> locale_files;
  for (std::size_t i = 0; i < findings.size(); ++i) {
    if (!wanted.empty() && !wanted[i]) continue;
    Finding& finding = findings[i];
    // Findings come grouped by locale.
    if (locale == nullptr || locale->reading.name != finding.locale) {
      for (const LocaleCheck& check : report.locales) {
        if (check.reading.name == finding.locale) locale = &check;
      }
      if (locale == nullptr) continue;
      locale_files.emplace(locale->is_default
                               ? std::span<const PlacedFile>(report.default_placed)
                               : std::span<const PlacedFile>(locale->reading.placed));
    }
    PlacedFiles& own = *locale_files;
    const std::span<const PlacedFile> own_files =
        locale->is_default ? std::span<const PlacedFile>(report.default_placed)
                           : std::span<const PlacedFile>(locale->reading.placed);
    switch (finding.kind) {
      case FindingKind::Failure:
        if (const auto position = failure_position(finding.message)) {
          finding.line = static_cast<std::uint32_t>(position->line);
          finding.column = static_cast<std::uint32_t>(position->column);
        }
        break;
      case FindingKind::NotObject:
        finding.line = 1;
        finding.column = 1;
        break;
      case FindingKind::RootKey:
        for (const PlacedFile& file : own_files) {
          if (file.path != finding.file) continue;
          if (const auto position =
                  file.positions.position(file.positions.child(KeyPositions::kRoot, file.root_key)))
            set(finding, Place{&file, *position});
        }
        break;
      case FindingKind::Missing: {
        // A key the locale lacks is defined in the default; one it holds in conflict is its own.
        auto place = finding.message.empty() ? std::nullopt : find_key(own, finding.key, nullptr);
        if (!place) place = find_key(defaults, finding.key, nullptr);
        if (place) set(finding, *place);
        break;
      }
      case FindingKind::Shadowed:
        if (auto place = find_key(own, finding.key, &finding.file)) set(finding, *place);
        break;
      default:
        if (auto place = find_key(own, finding.key, nullptr)) {
          set(finding, *place);
        } else if (auto fallback = find_key(defaults, finding.key, nullptr)) {
          set(finding, *fallback);
        }
        break;
    }
  }
}

}  // namespace tarnevo::cli
