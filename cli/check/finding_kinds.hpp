// The kinds of finding that `tarnevo check` reports: their names on the command line and in the
// report, the words that count them, and when each fails the run. Adding a kind means a row here
// and its findings in finding_list.cpp; every writer follows.
#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

namespace tarnevo::cli {

// In the order the report lists them within a locale.
enum class FindingKind : std::uint8_t {
  Failure,
  Placeholder,
  IcuSyntax,
  Missing,
  Extra,
  Blank,
  Plural,
  Shape,
  Shadowed,
  NotObject,
  RootKey,
  Selector,
};

inline constexpr std::size_t kFindingKindCount = 12;

enum class FailsWhen : std::uint8_t { Always, Strict, Never };

struct KindInfo {
  FindingKind kind;
  // As written after --show and --only, and in the report's kind column.
  std::string_view name;
  // Counting words for the header and summary: "1 blank string", "3 blank strings".
  std::string_view one;
  std::string_view many;
  FailsWhen fails;
  // One sentence on what a finding of the kind is (the SARIF rule's description).
  std::string_view description;
};

const KindInfo& kind_info(FindingKind kind) noexcept;
std::optional<FindingKind> kind_from_name(std::string_view name) noexcept;

// A set of kinds, one bit each.
class KindSet {
 public:
  constexpr KindSet() = default;
  static constexpr KindSet all() noexcept { return KindSet((1U << kFindingKindCount) - 1); }

  constexpr bool has(FindingKind kind) const noexcept { return (bits_ & bit(kind)) != 0; }
  constexpr void add(FindingKind kind) noexcept { bits_ |= bit(kind); }
  constexpr void remove(FindingKind kind) noexcept {
    bits_ = static_cast<std::uint16_t>(bits_ & ~bit(kind));
  }
  constexpr bool empty() const noexcept { return bits_ == 0; }
  friend constexpr bool operator==(KindSet, KindSet) = default;

  // "missing,blank" or "all"; fails with the reason on an unknown or empty name.
  static std::expected<KindSet, std::string> parse(std::string_view written);

 private:
  explicit constexpr KindSet(std::uint16_t bits) : bits_(bits) {}
  static constexpr std::uint16_t bit(FindingKind kind) noexcept {
    return static_cast<std::uint16_t>(1U << static_cast<unsigned>(kind));
  }
  std::uint16_t bits_ = 0;
};

// Whether a finding of `kind` fails the run, given --strict. (--only leaves other kinds out of
// the findings altogether.)
bool kind_fails(FindingKind kind, bool strict) noexcept;

// Severities set per kind (a settings file's), over what --strict decides.
struct KindSeverities {
  KindSet errors;
  KindSet warnings;

  bool fails(FindingKind kind, bool strict) const noexcept {
    if (errors.has(kind)) return true;
    if (warnings.has(kind)) return false;
    return kind_fails(kind, strict);
  }
};

}  // namespace tarnevo::cli
