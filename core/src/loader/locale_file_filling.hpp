// The loader's own way of reading a locale file: like read_locale_file, but when the file is
// read only to complete another locale's tree, what that tree already holds need not be built.
#pragma once

#include <expected>

#include "loader/discovery.hpp"
#include "tarnevo/error.hpp"
#include "tarnevo/value.hpp"

namespace tarnevo::detail::loader {

// `filling`, when not null, is the tree this file's content will complete. JSON values that land
// where it holds a non-null leaf are checked (the same failures) but not built. Null reads the
// whole file, exactly as read_locale_file does.
std::expected<LocaleValue, LoaderError> read_locale_file(const LocaleFile& file,
                                                         const LocaleValue* filling);

}  // namespace tarnevo::detail::loader
