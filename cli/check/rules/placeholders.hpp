// The placeholders of a translated string, and how two strings' placeholders differ.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnevo::cli {

// Recognised forms:
//   {name} {0}          also ICU arguments: {count, plural, one {...} other {...}} is {count},
//                       and the placeholders inside its messages count too; {name:format} and
//                       {name!r} (Python's str.format) are {name}
//   {{name}}            {{ name }}, {{name, format}} and {{- name}} are {{name}}
//   %{name}  %(name)s   the latter with any printf conversion: %(count)d, %(total).2f
//   %s %d %1$s %.2f     printf: an unnumbered one takes the next argument number, so %s %d
//                       and %1$s %2$d are the same; %% is a percent sign
// A form that is not closed, or a name with characters other than letters, digits, "_", "-",
// "." and "$", is text. With `icu_quotes`, apostrophes quote as in ICU MessageFormat
// ('{name}' and '' are text).
struct Placeholder {
  enum class Form : std::uint8_t { Brace, DoubleBrace, PercentBrace, PercentParen, Printf };

  Form form;
  // Empty for printf.
  std::string_view name;
  // printf: the argument number.
  unsigned argument = 0;
  // printf and %(name)s: the conversion letter; flags, width and precision do not count.
  char conversion = 0;
  // The placeholder as it stands in the text.
  std::string_view source;

  // Named "count": the number a plural group's categories are chosen by.
  bool is_count() const noexcept { return form != Form::Printf && name == "count"; }
  // How reports write it: the name in its form's delimiters ({name}, {{name}}, %{name}), or a
  // printf placeholder or %(name)s as it stands in the text.
  std::string written() const;
};

// Two strings' placeholders are compared by form, name, argument number and conversion.
bool same_identity(const Placeholder& a, const Placeholder& b) noexcept;
bool identity_less(const Placeholder& a, const Placeholder& b) noexcept;

// Appends the placeholders of `text`, in order, to `found`; they view into `text`.
void find_placeholders(std::string_view text, std::vector<Placeholder>& found,
                       bool icu_quotes = false);

struct PlaceholderDiff {
  // The default's placeholders that the locale's string lacks, and the locale's that the
  // default's lacks, each once, in the order they first appear.
  std::vector<std::string> missing;
  std::vector<std::string> unexpected;

  bool empty() const noexcept { return missing.empty() && unexpected.empty(); }
};

// Compares strings' placeholders, keeping its working lists from one string to the next: a
// check compares tens of thousands of strings.
class PlaceholderComparison {
 public:
  // In a plural group a category may say the count in words ("One photo") or say it where the
  // default's does not (French "one" covers 0 as well), so `count_may_differ` lets the count
  // placeholder differ. printf placeholders (%s, %(name)s) count in the locale's string only
  // where the default's string has some. `icu_quotes`: both strings are ICU MessageFormat, whose
  // apostrophes quote.
  PlaceholderDiff compare(std::string_view locale_text, std::string_view default_text,
                          bool count_may_differ, bool icu_quotes = false);

 private:
  std::vector<Placeholder> ours_;
  std::vector<Placeholder> theirs_;
};

}  // namespace tarnevo::cli
