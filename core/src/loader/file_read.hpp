// Reading a locale file whole.
#pragma once

#include <expected>
#include <string>

#include "tarnevo/error.hpp"

namespace tarnevo::detail::loader {

// The file's bytes, read in one pass into one buffer sized from the file's metadata. Fails with
// the operating system's error, or with "not a regular file" when a FIFO, socket or device has
// taken the file's place; never blocks waiting for a writer.
std::expected<std::string, LoaderError> read_whole_file(const std::string& path);

}  // namespace tarnevo::detail::loader
