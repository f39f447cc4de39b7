#include "check/rules/plural_category.hpp"

#include <algorithm>
#include <array>
#include <string>

#include "check/rules/generated/plural_categories.hpp"

namespace tarnevo::cli {
namespace {

constexpr std::array<std::string_view, 6> kNames = {"zero", "one", "two", "few", "many", "other"};

const PluralRow* find_row(std::string_view tag) noexcept {
  const auto row = std::lower_bound(
      kPluralRows.begin(), kPluralRows.end(), tag,
      [](const PluralRow& entry, std::string_view wanted) { return entry.tag < wanted; });
  return row != kPluralRows.end() && row->tag == tag ? &*row : nullptr;
}

}  // namespace

PluralSet plural_category(std::string_view key) noexcept {
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (key == kNames[i]) return static_cast<PluralSet>(1U << i);
  }
  return 0;
}

std::string_view plural_category_name(PluralSet category) noexcept {
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (category == (1U << i)) return kNames[i];
  }
  return {};
}

int category_count(PluralSet set) noexcept {
  int count = 0;
  for (; set != 0; set = static_cast<PluralSet>(set & (set - 1))) ++count;
  return count;
}

namespace {

const PluralRow* find_language(std::string_view locale_name) {
  // The table's form: lower case, subtags joined by "_".
  std::string tag(locale_name);
  for (char& c : tag) {
    if (c == '-') c = '_';
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  while (true) {
    if (const PluralRow* row = find_row(tag)) return row;
    const std::size_t cut = tag.rfind('_');
    if (cut == std::string::npos) return nullptr;
    tag.resize(cut);
  }
}

}  // namespace

std::optional<PluralSet> plural_categories_of(std::string_view locale_name) {
  if (const PluralRow* row = find_language(locale_name)) return row->cardinal;
  return std::nullopt;
}

std::optional<PluralSet> ordinal_categories_of(std::string_view locale_name) {
  if (const PluralRow* row = find_language(locale_name)) return row->ordinal;
  return std::nullopt;
}

bool is_plural_group(const LocaleObject& object) noexcept {
  if (object.size() < 2 || object.find("other") == nullptr) return false;
  return std::all_of(object.begin(), object.end(),
                     [](const LocaleMember& member) { return plural_category(member.key) != 0; });
}

}  // namespace tarnevo::cli
