// How a file's name selects its format; shared by discovery and format_from_path so that a file
// is indexed exactly when the loader can later choose a reader for it.
#pragma once

#include <expected>
#include <optional>
#include <string_view>

#include "tarnevo/format.hpp"

namespace tarnevo::detail::format {

// The bytes after the last full stop of `file_name`; none without a full stop, or when the only
// one is the first byte (".json" has no extension, "x." has the empty one).
std::optional<std::string_view> file_extension(std::string_view file_name) noexcept;

// `file_name` without its extension and the full stop before it; the whole name when it has no
// extension.
std::string_view file_stem(std::string_view file_name) noexcept;

// The format selected by `file_name`'s extension, lower-cased with full Unicode rules. A missing
// or ill-formed extension counts as the empty one; the error carries the lower-cased text.
std::expected<FileFormat, FormatError> format_from_file_name(std::string_view file_name);

}  // namespace tarnevo::detail::format
