// The report of `tarnevo check` as text for people.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "check/finding_list.hpp"
#include "check/report.hpp"

namespace tarnevo::cli {

// What cannot be checked first (a default locale or --locale that is not there), failing files
// ("PATH: MESSAGE"), then one paragraph per locale: its header line, every finding that fails
// the run or whose kind `show` names, and each other kind as a count with at most three
// examples; then a last line that starts with "OK:" or "FAILED".
std::string render_check_text(const CheckReport& report, std::span<const Finding> findings,
                              KindSet show);

// Which findings the text lists one per line (the others are counted): only they need placing.
std::vector<bool> findings_listed_in_text(std::span<const Finding> findings, KindSet show);

// The last lines alone: "OK: ..." or the "FAILED..." lines that say why.
std::string render_check_summary(const CheckReport& report, std::span<const Finding> findings);

}  // namespace tarnevo::cli
