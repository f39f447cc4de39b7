// The subcommands. Each takes the parsed command line and returns the exit status; results go to
// standard output, errors to standard error.
#pragma once

#include "arguments.hpp"

namespace tarnevo::cli {

int run_languages(const Arguments& arguments);
int run_load(const Arguments& arguments);
int run_check(const Arguments& arguments);

}  // namespace tarnevo::cli
