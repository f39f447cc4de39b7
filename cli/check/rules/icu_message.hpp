// A reader of ICU MessageFormat strings, for what `check` compares: the plural and selectordinal
// arguments with their categories, which arguments only choose a form, and why a string does
// not read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <string>
#include <string_view>
#include <vector>

#include "check/rules/plural_category.hpp"

namespace tarnevo::cli {

// A `plural` or `selectordinal` argument: `{count, plural, one {...} other {...}}`.
struct IcuChoice {
  std::string_view argument;
  bool ordinal = false;
  // The category selectors it gives; `=0` and other exact values are not categories.
  PluralSet categories = 0;
  // Selectors that are neither a category nor an exact value (a category name translated, a
  // misspelt one), as written.
  std::vector<std::string_view> unknown;
};

struct IcuMessage {
  // Every plural and selectordinal argument, nested ones too, in the order they close.
  std::vector<IcuChoice> choices;
  // Arguments shown: written as `{name}` (or with a format), or as `#` in their own plural's
  // messages; and arguments that choose a form (of `plural`, `select` or `selectordinal`).
  // Either may name one argument more than once.
  std::vector<std::string_view> shown;
  std::vector<std::string_view> selectors;
  // Arguments that only choose a form and are never shown, each once.
  std::vector<std::string_view> selector_only;
  // At least one argument; a plural, select or selectordinal among them; one with a type such
  // as number or date.
  bool has_arguments = false;
  bool has_choices = false;
  bool has_types = false;
  // An apostrophe quotes syntax somewhere (`'{'`, `''`).
  bool quotes = false;

  // What `{name}` alone cannot tell: the text is written for MessageFormat.
  bool is_message_format() const noexcept { return has_choices || has_types || quotes; }
};

struct IcuSyntaxError {
  // What is wrong, without the place ("an argument is never closed").
  const char* what;
  // Where: a byte offset into the text.
  std::size_t offset;

  // "<what> at character N" (counting UTF-8 characters from 1).
  std::string describe(std::string_view text) const;
};

// Whether `text` may read as MessageFormat that `{name}` alone is not: a plural, select or typed
// argument needs a ",", quotes an apostrophe. Strings without either are not worth reading,
// which spares the reader most placeholder strings (callgrind on the check bench corpus).
bool may_be_message_format(std::string_view text) noexcept;

// The index past the apostrophe at `at` and what it quotes, as ICU's default reads apostrophes:
// `''` is one apostrophe; before `{`, `}`, `|` or (where `number_sign`, in a plural's message)
// `#`, it opens quoted text that runs to the next lone apostrophe, or to the end of the text;
// otherwise it stands for itself.
std::size_t skip_icu_apostrophe(std::string_view text, std::size_t at, bool number_sign) noexcept;

// Reads `text` as ICU MessageFormat into `message` (cleared first; views into `text`). One pass,
// nesting bounded by a count, never by the machine stack; apostrophes as `skip_icu_apostrophe`.
std::expected<void, IcuSyntaxError> read_icu_message(std::string_view text, IcuMessage& message);

}  // namespace tarnevo::cli
