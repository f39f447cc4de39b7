// The report of `tarnevo check --format sarif`: a SARIF 2.1.0 log, which code scanning services
// take as uploaded results.
#pragma once

#include <span>

#include "check/finding_list.hpp"
#include "check/report.hpp"
#include "tarnevo/value.hpp"

namespace tarnevo::cli {

struct CheckedDirectory {
  const CheckReport* report;
  std::span<const Finding> findings;
};

// One log with one run for every directory checked: the tool (tarnevo, its version, one rule
// per finding kind), then every finding as a result (level "error" when it fails the run,
// "warning" otherwise) at its file, as a URI relative to the working directory, and its line
// and column. What cannot be checked (a locale that is not there) is an error notification of
// the run's invocation.
LocaleValue check_sarif_tree(std::span<const CheckedDirectory> directories);

}  // namespace tarnevo::cli
