// The check's findings as one list of uniform values, made once from the rules' typed output;
// every report format writes this list.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "check/finding_kinds.hpp"
#include "check/report.hpp"

namespace tarnevo::cli {

struct Finding {
  FindingKind kind;
  std::string locale;
  // The key path, empty for a finding about a whole file.
  std::string key;
  // The file concerned, when one is: a failing file, a file that adds nothing, a foreign root
  // key, the file that wins for a shadowed key.
  std::string file;
  // What is wrong, without the kind, key or file ("missing {name}; unexpected {nom}"); empty
  // when the kind and key say it all (a missing key).
  std::string message;
  bool fails = false;
  // Where in `file` the key (or, for a file that fails, the fault) is written: 1-based, the
  // column in characters; 0 when unknown (place_findings fills them in).
  std::uint32_t line = 0;
  std::uint32_t column = 0;
};

// Every finding of the kinds that --only selects: the default locale's first, then the other
// locales in the report's order, each locale's in the order of FindingKind.
std::vector<Finding> flatten_findings(const CheckReport& report);

// One line about a finding for tools that show it beside its place: "pl placeholder greeting:
// missing {name}", "fr missing nav.title".
std::string describe_finding(const Finding& finding);

// No finding fails and nothing about the setup does.
bool check_passes(const CheckReport& report, std::span<const Finding> findings) noexcept;

// "a, b and c" (the words of the report).
std::string join_names(const std::vector<std::string>& names, std::string_view separator = ", ");

}  // namespace tarnevo::cli
