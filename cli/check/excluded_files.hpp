// --exclude: files of the locale directory left out before anything is read.
#pragma once

#include <cstddef>
#include <string_view>

#include "check/key_filter.hpp"
#include "loader/discovery.hpp"

namespace tarnevo::cli {

// Removes from `index` every file whose path below `directory` (as discovery wrote it) a
// pattern of `exclude` matches, and every locale left without files; the number of files
// removed.
std::size_t exclude_files(detail::loader::LocaleIndex& index, std::string_view directory,
                          const KeyFilter& exclude);

}  // namespace tarnevo::cli
