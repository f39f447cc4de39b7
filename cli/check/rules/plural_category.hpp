// The six CLDR plural categories, as a set, and which of them a locale's language uses for
// cardinal numbers ("3 photos") and for ordinal ones ("3rd place").
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "tarnevo/value.hpp"

namespace tarnevo::cli {

// A set of plural categories, one bit each.
using PluralSet = std::uint8_t;

inline constexpr PluralSet kZero = 1;
inline constexpr PluralSet kOne = 2;
inline constexpr PluralSet kTwo = 4;
inline constexpr PluralSet kFew = 8;
inline constexpr PluralSet kMany = 16;
inline constexpr PluralSet kOther = 32;

// The category that `key` names ("zero", "one", "two", "few", "many", "other"), or 0.
PluralSet plural_category(std::string_view key) noexcept;

// The name of a single category.
std::string_view plural_category_name(PluralSet category) noexcept;

// The number of categories in a set.
int category_count(PluralSet set) noexcept;

// The cardinal categories that CLDR gives the locale's language, "other" always among them:
// looked up by the full name (pt_BR, pt-BR and pt_br alike), then by ever shorter prefixes down
// to the language (pt). Nothing when CLDR does not know the language.
std::optional<PluralSet> plural_categories_of(std::string_view locale_name);

// The same for ordinal numbers: English has one ("1st"), two ("2nd"), few ("3rd") and other.
std::optional<PluralSet> ordinal_categories_of(std::string_view locale_name);

// An object whose keys are all plural categories, two or more, "other" among them: one message
// in the forms a language needs for different counts. A lone "other" is a plain message (the
// table-per-message layout gives every message an "other").
bool is_plural_group(const LocaleObject& object) noexcept;

}  // namespace tarnevo::cli
