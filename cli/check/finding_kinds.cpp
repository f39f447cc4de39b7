#include "check/finding_kinds.hpp"

#include <array>

namespace tarnevo::cli {
namespace {

constexpr std::array<KindInfo, kFindingKindCount> kKinds = {{
    {FindingKind::Failure, "failure", "failing file", "failing files", FailsWhen::Always,
     "A file that does not read; its locale loads as the default locale instead."},
    {FindingKind::Placeholder, "placeholder", "placeholder mismatch", "placeholder mismatches",
     FailsWhen::Always, "A string whose placeholders differ from the default locale's string."},
    {FindingKind::IcuSyntax, "icu-syntax", "ICU syntax error", "ICU syntax errors",
     FailsWhen::Always,
     "A string that does not read as ICU MessageFormat where the default locale's does."},
    {FindingKind::Missing, "missing", "missing", "missing", FailsWhen::Strict,
     "A key of the default locale that the locale lacks; loading fills it from the default."},
    {FindingKind::Extra, "extra", "extra", "extra", FailsWhen::Never,
     "A key that the default locale does not have."},
    {FindingKind::Blank, "blank", "blank string", "blank strings", FailsWhen::Strict,
     "An empty or white-space string where the default locale's string is not."},
    {FindingKind::Plural, "plural", "plural gap", "plural gaps", FailsWhen::Strict,
     "A plural group whose categories differ from the ones the locale's language uses."},
    {FindingKind::Shape, "shape", "shape mismatch", "shape mismatches", FailsWhen::Strict,
     "A value whose shape (string, number, boolean, list) differs from the default's."},
    {FindingKind::Shadowed, "shadowed", "shadowed key", "shadowed keys", FailsWhen::Strict,
     "A key given by more than one file of a locale; the first file read wins."},
    {FindingKind::NotObject, "not-object", "file that adds nothing", "files that add nothing",
     FailsWhen::Strict, "A file whose content is not an object, so it adds nothing to its locale."},
    {FindingKind::RootKey, "root-key", "foreign root key", "foreign root keys", FailsWhen::Strict,
     "A file whose root key names another locale than its own."},
    {FindingKind::Selector, "selector", "dropped selector", "dropped selectors", FailsWhen::Never,
     "A string that leaves out an argument the default uses only to choose a form."},
}};

// The rows are in the enum's order, so a kind is its own index.
constexpr bool rows_in_order() {
  for (std::size_t i = 0; i < kKinds.size(); ++i) {
    if (static_cast<std::size_t>(kKinds[i].kind) != i) return false;
  }
  return true;
}
static_assert(rows_in_order());

std::string known_names() {
  std::string names;
  for (const KindInfo& info : kKinds) {
    if (!names.empty()) names.append(", ");
    names.append(info.name);
  }
  return names;
}

}  // namespace

const KindInfo& kind_info(FindingKind kind) noexcept {
  return kKinds[static_cast<std::size_t>(kind)];
}

std::optional<FindingKind> kind_from_name(std::string_view name) noexcept {
  for (const KindInfo& info : kKinds) {
    if (info.name == name) return info.kind;
  }
  return std::nullopt;
}

std::expected<KindSet, std::string> KindSet::parse(std::string_view written) {
  if (written == "all") return all();
  KindSet kinds;
  while (true) {
    const std::size_t comma = written.find(',');
    const std::string_view name = written.substr(0, comma);
    const auto kind = kind_from_name(name);
    if (!kind) {
      return std::unexpected("unknown kind '" + std::string(name) + "' (kinds: " + known_names() +
                             "; or all)");
    }
    kinds.add(*kind);
    if (comma == std::string_view::npos) return kinds;
    written.remove_prefix(comma + 1);
  }
}

bool kind_fails(FindingKind kind, bool strict) noexcept {
  switch (kind_info(kind).fails) {
    case FailsWhen::Always:
      return true;
    case FailsWhen::Strict:
      return strict;
    case FailsWhen::Never:
      break;
  }
  return false;
}

}  // namespace tarnevo::cli
