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

}  // namespace tarnevo
