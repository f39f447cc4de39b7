// The report of `tarnevo check --format github`: GitHub Actions workflow commands, which the
// runner turns into annotations on the pull request's files.
#pragma once

#include <span>
#include <string>

#include "check/finding_list.hpp"
#include "check/report.hpp"

namespace tarnevo::cli {

// One command per finding, `::error file=F,line=L,col=C,title=T::MESSAGE` for those that fail
// the run and `::warning ...` for the rest, the failing ones first (the runner shows only the
// first few annotations of each level per step); an `::error::` for what cannot be checked;
// then the text report's last lines. Messages escape `%`, CR and LF as the runner requires;
// properties also `:` and `,`.
std::string render_check_github(const CheckReport& report, std::span<const Finding> findings);

}  // namespace tarnevo::cli
