// Where each finding is written: the file, line and column that editors, annotations and code
// scanning point at.
#pragma once

#include <span>
#include <vector>

#include "check/finding_list.hpp"
#include "check/report.hpp"

namespace tarnevo::cli {

// Fills in each finding's file, line and column from the positions the report's readings
// recorded (CheckOptions::positions): a key where the locale's files write it (the first file
// in the loader's order that holds it, or the file that wins for a shadowed key); a missing key
// where the default locale's files define it; a foreign root key at that key; a file that adds
// nothing at its start; a failing file where its reader's message says.
// `wanted`, when not empty, says which findings to place (wanted[i] for findings[i]); the
// others keep no place.
void place_findings(const CheckReport& report, std::span<Finding> findings,
                    const std::vector<bool>& wanted = {});

}  // namespace tarnevo::cli
