#include "check/finding_places.hpp"

#include <array>
#include <optional>
#include <string>
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

// The segments of a namespace ("a.b" is two, as assemble_pieces splits it).
std::vector<std::string_view> namespace_segments(const std::optional<std::string>& name) {
  std::vector<std::string_view> segments;
  if (!name) return segments;
  std::string_view rest = *name;
  while (true) {
    const std::size_t dot = rest.find('.');
    segments.push_back(rest.substr(0, dot));
    if (dot == std::string_view::npos) return segments;
    rest.remove_prefix(dot + 1);
  }
}

// The node of `segments` in one file's tree, or kNoPath: the namespace's segments must lead the
// path, and a root-keyed file holds the rest beneath its root key.
std::optional<KeyPositions::Node> node_in(const PlacedFile& file,
                                          std::span<const std::string> segments) {
  const std::vector<std::string_view> prefix = namespace_segments(file.namespace_path);
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

std::optional<Place> find_exact(std::span<const PlacedFile> files,
                                std::span<const std::string> segments, const std::string* only) {
  for (const PlacedFile& file : files) {
    if (only != nullptr && file.path != *only) continue;
    if (const auto node = node_in(file, segments)) {
      if (const auto position = file.positions.position(*node)) return Place{&file, *position};
    }
  }
  return std::nullopt;
}

// A plural group written as sibling keys is named without its suffix ("photo" for photo_one and
// photo_other): its first suffixed key stands for it.
std::optional<Place> find_suffixed(std::span<const PlacedFile> files,
                                   std::vector<std::string> segments) {
  if (segments.empty()) return std::nullopt;
  const std::string base = segments.back();
  for (const std::string_view infix : {"_", "_ordinal_"}) {
    for (PluralSet category = kZero; category <= kOther;
         category = static_cast<PluralSet>(category << 1)) {
      segments.back() = base + std::string(infix) + std::string(plural_category_name(category));
      if (auto place = find_exact(files, segments, nullptr)) return place;
    }
  }
  return std::nullopt;
}

std::optional<Place> find_key(std::span<const PlacedFile> files, const std::string& key,
                              const std::string* only) {
  auto split = split_path(key);
  if (!split) return std::nullopt;
  std::vector<std::string> segments;
  segments.reserve(split->size());
  for (PathSegment& segment : *split) segments.push_back(std::move(segment.text));
  if (auto place = find_exact(files, segments, only)) return place;
  if (auto place = find_suffixed(files, segments)) return place;
  // The nearest enclosing key that is written (a group the locale lacks altogether).
  while (segments.size() > 1) {
    segments.pop_back();
    if (auto place = find_exact(files, segments, only)) return place;
  }
  return std::nullopt;
}

void set(Finding& finding, const Place& place) {
  finding.file = place.file->path;
  finding.line = place.position.line;
  finding.column = place.position.column;
}

}  // namespace

void place_findings(const CheckReport& report, std::span<Finding> findings) {
  const std::span<const PlacedFile> defaults = report.default_placed;
  const LocaleCheck* locale = nullptr;
  for (Finding& finding : findings) {
    if (locale == nullptr || locale->reading.name != finding.locale) {
      for (const LocaleCheck& check : report.locales) {
        if (check.reading.name == finding.locale) locale = &check;
      }
    }
    if (locale == nullptr) continue;
    const std::span<const PlacedFile> own =
        locale->is_default ? defaults : std::span<const PlacedFile>(locale->reading.placed);
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
        for (const PlacedFile& file : own) {
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
