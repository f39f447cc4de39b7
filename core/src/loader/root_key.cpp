#include "loader/root_key.hpp"

#include <utility>

namespace tarnevo::detail::loader {

namespace {

char fold_locale_byte(char c) noexcept {
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
  if (c == '-') return '_';
  return c;
}

}  // namespace

bool same_locale_name(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (fold_locale_byte(a[i]) != fold_locale_byte(b[i])) return false;
  }
  return true;
}

const std::string* sole_key(const LocaleValue& file) noexcept {
  if (!file.is_object() || file.as_object().size() != 1) return nullptr;
  return &file.as_object().members().front().key;
}

bool rooted_in(const LocaleValue& file, std::string_view locale) noexcept {
  const std::string* key = sole_key(file);
  return key != nullptr && same_locale_name(*key, locale);
}

bool directory_root_keyed(RootKey mode, std::span<const LocaleValue* const> default_files,
                          std::string_view default_locale) noexcept {
  switch (mode) {
    case RootKey::On:
      return true;
    case RootKey::Off:
      return false;
    case RootKey::Auto:
      break;
  }
  if (default_files.empty()) return false;
  for (const LocaleValue* file : default_files) {
    if (!rooted_in(*file, default_locale)) return false;
  }
  return true;
}

LocaleValue beneath_root_key(LocaleValue file, std::string_view locale) {
  if (!rooted_in(file, locale)) return file;
  return std::move(file.as_object().members().front().value);
}

}  // namespace tarnevo::detail::loader
