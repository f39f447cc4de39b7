// The placeholders of a translated string, and how two strings' placeholders differ.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarnevo::cli {

// Recognised forms:
//   {name} {0}          also ICU arguments: {count, plural, one {...} other {...}} is {count},
//                       and the placeholders inside its messages count too; {name:spec} and
//                       {name!r} (Python's str.format) are {name}
//   {{name}}            {{ name }}, {{name, format}} and {{- name}} are {{name}}
//   %{name}  %(name)s   the latter with any printf conversion: %(count)d, %(total).2f
//   %s %d %1$s %.2f     printf: an unnumbered one takes the next argument number, so %s %d
//                       and %1$s %2$d are the same; %% is a percent sign
// A form that is not closed, or a name with characters other than letters, digits, "_", "-",
// "." and "$", is text.
struct Placeholder {
  // How the report writes it: the name in its form's delimiters ({name}, {{name}}, %{name}), or
  // a printf placeholder or %(name)s as it stands in the text.
  std::string written;
  // What strings are compared by: the written form, except that a printf placeholder is its
  // argument number and conversion, whatever its flags, width and precision.
  std::string identity;
  // Named "count": the number a plural group's categories are chosen by.
  bool is_count = false;
};

std::vector<Placeholder> find_placeholders(std::string_view text);

struct PlaceholderDiff {
  // The default's placeholders that the locale's string lacks, and the locale's that the
  // default's lacks, each once, in the order they first appear.
  std::vector<std::string> missing;
  std::vector<std::string> unexpected;

  bool empty() const noexcept { return missing.empty() && unexpected.empty(); }
};

// In a plural group a category may say the count in words ("One photo") or say it where the
// default's does not (French "one" covers 0 as well), so `count_may_differ` lets the count
// placeholder differ.
PlaceholderDiff compare_placeholders(std::string_view locale_text, std::string_view default_text,
                                     bool count_may_differ);

}  // namespace tarnevo::cli
