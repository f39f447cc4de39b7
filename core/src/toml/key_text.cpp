#include "toml/key_text.hpp"

#include <algorithm>

#include "toml/cursor.hpp"

namespace tarnevo::detail::toml {
namespace {

bool is_bare_key(std::string_view key) noexcept {
  return !key.empty() && std::all_of(key.begin(), key.end(), is_bare_key_byte);
}

void append_quoted_key(std::string& out, std::string_view key) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out.push_back('"');
  for (const char c : key) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(c);
    } else if (byte < 0x20 || byte == 0x7F) {
      out.append("\\u00");
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 0xF]);
    } else {
      out.push_back(c);
    }
  }
  out.push_back('"');
}

}  // namespace

std::string format_toml_key_path(std::span<const std::string_view> keys) {
  std::string out;
  for (const std::string_view key : keys) {
    if (!out.empty()) out.push_back('.');
    if (is_bare_key(key)) {
      out.append(key);
    } else {
      append_quoted_key(out, key);
    }
  }
  return out;
}

}  // namespace tarnevo::detail::toml
