// The report of `tarnevo check` as text for people.
#pragma once

#include <string>

#include "check/report.hpp"

namespace tarnevo::cli {

// Failing files first ("PATH: MESSAGE"), then one paragraph per locale, then a last line that
// starts with "OK:" or "FAILED".
std::string render_check_text(const CheckReport& report);

}  // namespace tarnevo::cli
