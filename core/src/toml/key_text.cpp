#include "toml/key_text.hpp"

#include <cstdint>

#include "text/utf8.hpp"

namespace tarnevo::detail::toml {
namespace {

int hex_value(char c) noexcept {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
// The body of a "basic" key with its escapes resolved.
std::string unescape_basic(std::string_view body) {
  std::string out;
  out.reserve(body.size());
  for (std::size_t i = 0; i < body.size(); ++i) {
    const char c = body[i];
    if (c != '\\' || i + 1 == body.size()) {
      out.push_back(c);
      continue;
    }
    const char e = body[++i];
    switch (e) {
      case 'b':
        out.push_back('\b');
        break;
      case 't':
        out.push_back('\t');
        break;
      case 'n':
        out.push_back('\n');
        break;
      case 'f':
        out.push_back('\f');
        break;
      case 'r':
        out.push_back('\r');
        break;
      case 'e':
        out.push_back('\x1B');
        break;
      case '"':
        out.push_back('"');
        break;
      case '\\':
        out.push_back('\\');
        break;
      case 'u':
      case 'U': {
        const std::size_t digits = e == 'u' ? 4 : 8;
        std::uint32_t cp = 0;
        std::size_t taken = 0;
        for (; taken < digits && i + 1 < body.size(); ++taken) {
          const int h = hex_value(body[i + 1]);
          if (h < 0) break;
          cp = cp * 16 + static_cast<std::uint32_t>(h);
          ++i;
        }
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
        text::append_utf8(out, cp);
        break;
      }
      default:
        out.push_back('\\');
        out.push_back(e);
        break;
    }
  }
  return out;
}

bool is_bare_key(std::string_view key) noexcept {
  if (key.empty()) return false;
  for (const char c : key) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                    c == '-' || c == '_';
    if (!ok) return false;
  }
  return true;
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

std::string decode_toml_key_segment(std::string_view raw) {
  if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"') {
    return unescape_basic(raw.substr(1, raw.size() - 2));
  }
  if (raw.size() >= 2 && raw.front() == '\'' && raw.back() == '\'') {
    return std::string(raw.substr(1, raw.size() - 2));
  }
  return std::string(raw);
}

std::string format_toml_key_path(std::span<const std::string> keys) {
  std::string out;
  for (const std::string& key : keys) {
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
