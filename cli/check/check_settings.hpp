// The check's settings file applied to its command line: the file found (or named), read, and
// each setting taken where the line does not give the option itself.
#pragma once

#include <expected>
#include <string>

#include "arguments.hpp"

namespace tarnevo::cli {

// Nothing to do under --no-config or when no settings file applies. Fails with the message to
// print (naming the file, and the line and key where the reader knows them) for a file that
// cannot be read or holds a mistake; the command then exits with status 2.
std::expected<void, std::string> apply_check_settings(Arguments& arguments);

}  // namespace tarnevo::cli
