// The C interface: six thin wrappers over LocaleLoader. Pointers are checked first, string
// arguments must be well-formed UTF-8, and every failure becomes null or false. An internal
// fault (in practice: memory exhausted) ends the process with a diagnostic instead of
// unwinding into C frames.
#include "tarnevo.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "tarnevo/loader.hpp"
#include "text/utf8.hpp"
#include "tree/write_json.hpp"

// The handle the caller holds: the loader in a heap block of its own.
struct LocaleLoader {
  tarnevo::LocaleLoader core;
};

namespace {

[[noreturn]] void die(const char* function, const char* what) noexcept {
  std::fprintf(stderr, "tarnevo: internal fault in %s: %s\n", function, what);
  std::fflush(stderr);
  std::abort();
}

template <class Body>
auto guarded(const char* function, Body&& body) noexcept -> decltype(body()) {
  try {
    return body();
  } catch (const std::exception& fault) {
    die(function, fault.what());
  } catch (...) {
    die(function, "unknown exception");
  }
}

// The argument's bytes up to its NUL, when present and well-formed UTF-8.
std::optional<std::string_view> utf8_argument(const char* text) noexcept {
  if (text == nullptr) return std::nullopt;
  std::string_view bytes(text);
  if (!tarnevo::detail::text::is_valid_utf8(bytes)) return std::nullopt;
  return bytes;
}

constexpr std::size_t kInitialTextCapacity = 128;

}  // namespace

extern "C" {

TARNEVO_API LocaleLoader* tarnevo_create_loader(const char* dir_path, const char* default_locale) {
  return guarded(__func__, [&]() -> LocaleLoader* {
    const auto path = utf8_argument(dir_path);
    if (!path) return nullptr;
    // An ill-formed default is replaced, never refused; an empty one is kept.
    const auto default_name = utf8_argument(default_locale);
    auto loader =
        tarnevo::LocaleLoader::create(std::string(*path), std::string(default_name.value_or("en")));
    if (!loader) return nullptr;
    return std::make_unique<LocaleLoader>(LocaleLoader{std::move(*loader)}).release();
  });
}

TARNEVO_API bool tarnevo_exists(LocaleLoader* loader, const char* locale) {
  return guarded(__func__, [&]() -> bool {
    if (loader == nullptr || locale == nullptr) return false;
    const auto name = utf8_argument(locale);
    return name && loader->core.exists(*name);
  });
}

TARNEVO_API char* tarnevo_languages_json(LocaleLoader* loader) {
  return guarded(__func__, [&]() -> char* {
    if (loader == nullptr) return nullptr;
    const std::vector<std::string> names = loader->core.languages();
    tarnevo::detail::tree::ByteBuffer text(kInitialTextCapacity);
    text.push_back('[');
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (i != 0) text.push_back(',');
      tarnevo::detail::tree::write_json_string(names[i], text);
    }
    text.push_back(']');
    return text.release_c_string();
  });
}

TARNEVO_API char* tarnevo_load_json(LocaleLoader* loader, const char* locale) {
  return guarded(__func__, [&]() -> char* {
    if (loader == nullptr || locale == nullptr) return nullptr;
    const auto name = utf8_argument(locale);
    if (!name) return nullptr;
    // The cached tree is immutable, so it is written as it is, without a copy.
    const auto tree = loader->core.load_shared(*name);
    if (!tree) return nullptr;
    tarnevo::detail::tree::ByteBuffer text(kInitialTextCapacity);
    tarnevo::detail::tree::write_json(**tree, text);
    return text.release_c_string();
  });
}

TARNEVO_API void tarnevo_free_string(char* text) {
  if (text == nullptr) return;
  text[0] = '\0';
  std::free(text);
}

TARNEVO_API void tarnevo_free_loader(LocaleLoader* loader) {
  guarded(__func__, [&] { std::unique_ptr<LocaleLoader> owned(loader); });
}

}  // extern "C"
