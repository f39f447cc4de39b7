// Locale files that nest their content under the locale's own name (`de.yml` holding
// `de: {...}`, the convention of several i18n libraries). The one rule for deciding that a
// directory is laid out this way, and for reading a file beneath its root key, shared by the
// loader's option and by `tarnevo check`.
#pragma once

#include <span>
#include <string_view>

#include "tarnevo/options.hpp"
#include "tarnevo/value.hpp"

namespace tarnevo::detail::loader {

// Whether two locale names name one locale as people write them: ASCII letters in either case,
// `-` and `_` alike (`pt-BR`, `pt_br`). Other bytes compare exactly.
bool same_locale_name(std::string_view a, std::string_view b) noexcept;

// The key of a file's tree when it is an object with exactly one member; null otherwise.
const std::string* sole_key(const LocaleValue& file) noexcept;

// Whether the file's tree is an object whose one key names `locale`.
bool rooted_in(const LocaleValue& file, std::string_view locale) noexcept;

// Whether a directory is root-keyed, judged by its default locale's files: there is at least
// one, and every one is rooted in `default_locale`. `On` and `Off` decide without looking.
bool directory_root_keyed(RootKey mode, std::span<const LocaleValue* const> default_files,
                          std::string_view default_locale) noexcept;

// The file's content beneath its root key when the file is rooted in `locale`; the file as it
// is otherwise (a file of a root-keyed directory that names another locale keeps its key, so
// nothing of it is lost or put under the wrong locale silently).
LocaleValue beneath_root_key(LocaleValue file, std::string_view locale);

}  // namespace tarnevo::detail::loader
