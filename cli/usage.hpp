// The texts of `tarnevo --help`, `tarnevo help COMMAND` and the usage lines under errors.
#pragma once

#include <string_view>

#include "arguments.hpp"

namespace tarnevo::cli {

// The overview: every subcommand, the options, the exit statuses.
std::string_view overview_help() noexcept;
// One subcommand's help, for `tarnevo help COMMAND` and `tarnevo COMMAND --help`.
std::string_view command_help(Command command) noexcept;
// The "Usage: ..." line(s) shown under a usage error.
std::string_view usage_lines(Command command) noexcept;
std::string_view usage_lines() noexcept;

}  // namespace tarnevo::cli
