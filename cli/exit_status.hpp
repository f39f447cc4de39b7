// The command's exit statuses, the same for every subcommand.
#pragma once

namespace tarnevo::cli {

enum ExitStatus : int {
  kSuccess = 0,
  // A loader error (no such directory, the locale and the default do not load), a file that
  // fails in `check`, or output that could not be written.
  kFailure = 1,
  // The command line itself is wrong.
  kUsageError = 2,
};

}  // namespace tarnevo::cli
