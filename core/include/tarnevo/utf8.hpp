// UTF-8 checks shared by the loader and the façades.
#pragma once

#include <string>
#include <string_view>

namespace tarnevo {

// True when `bytes` is well-formed UTF-8: no overlong forms, no encoded surrogates, nothing
// above U+10FFFF, no truncated sequence. ASCII runs are checked eight bytes at a time.
bool is_valid_utf8(std::string_view bytes) noexcept;

// Length of the longest valid UTF-8 prefix of `bytes`.
std::size_t valid_utf8_prefix(std::string_view bytes) noexcept;

// `bytes` with every maximal ill-formed subsequence replaced by U+FFFD.
std::string to_utf8_lossy(std::string_view bytes);

}  // namespace tarnevo
