// Choices a caller of the C++ API can make about how a locale directory is read.
#pragma once

#include <cstdint>

namespace tarnevo {

// Whether each file of a locale nests its content under one key naming the locale
// (`de.yml` holding `de: {...}`), and is then read beneath that key.
enum class RootKey : std::uint8_t {
  // Root-keyed when every file of the default locale is an object whose one key names it.
  Auto,
  // Every file whose one key names its locale is read beneath that key.
  On,
  // Files are read as they are.
  Off,
};

// Where a locale that cannot be loaded, and the keys it lacks, are taken from.
enum class Fallback : std::uint8_t {
  // The default locale alone.
  Default,
  // The locale's own tag, shortened one subtag at a time (`-` and `_` both separate subtags),
  // then the default locale: `fr_CA`, `fr`, then the default; `zh-Hant-TW`, `zh-Hant`, `zh`, then
  // the default. Filling follows the same chain, key by key.
  Regional,
};

// How a LocaleLoader reads its directory. The default is the loader's behaviour without options.
struct LoaderOptions {
  Fallback fallback = Fallback::Default;
  RootKey root_key = RootKey::Off;
};

}  // namespace tarnevo
